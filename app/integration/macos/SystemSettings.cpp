// SPDX-License-Identifier: MIT
// The system's settings on macOS: the Accessibility pane of Privacy & Security, and the region the user
// chose there (an application started from the Finder has no LANG).

#include <QDesktopServices>
#include <QLocale>
#include <QUrl>

#include "app/integration/DesktopIntegration.h"

namespace ondrel {

void openAccessibilitySettings() {
    QDesktopServices::openUrl(QUrl("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
}

std::string timeOfDayLocale() {
    return QLocale::system().name().toStdString();
}

}  // namespace ondrel
