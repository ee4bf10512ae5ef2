// SPDX-License-Identifier: MIT
#pragma once

// Where the tray application keeps what it remembers between runs: the window's frame, the
// notices already given, the menus' switches.

#include <QSettings>

namespace ondrel::gui {

inline QSettings settings() {
    return QSettings(QStringLiteral("Ondrel"), QStringLiteral("Ondrel"));
}

}  // namespace ondrel::gui
