// SPDX-License-Identifier: MIT
#include "app/gui/DesktopServices.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace ondrel::gui {

void openAccessibilitySettings() {
#ifdef __APPLE__
    QDesktopServices::openUrl(QUrl("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
#else
    // The settings panels of the common Linux desktops, first one installed wins.
    const struct {
        const char* program;
        QStringList arguments;
    } panels[] = {
        {"gnome-control-center", {"universal-access"}},
        {"systemsettings", {"kcm_access"}},
        {"xfce4-accessibility-settings", {}},
        {"mate-at-properties", {}},
    };
    for (const auto& panel : panels) {
        const QString program = QStandardPaths::findExecutable(panel.program);
        if (!program.isEmpty() && QProcess::startDetached(program, panel.arguments))
            return;
    }
#endif
}

void openFile(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace ondrel::gui
