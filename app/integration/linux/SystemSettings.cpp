// SPDX-License-Identifier: MIT
// The system's settings on Linux desktops: the accessibility panel of whichever desktop is installed,
// and the locale the environment names.

#include <QProcess>
#include <QStandardPaths>

#include "app/TimeOfDay.h"
#include "app/integration/DesktopIntegration.h"

namespace ondrel {

void openAccessibilitySettings() {
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
}

std::string timeOfDayLocale() {
    return timeLocaleFromEnvironment();
}

}  // namespace ondrel
