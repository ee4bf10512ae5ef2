// SPDX-License-Identifier: MIT
#pragma once

// Where the tray application keeps what it remembers between runs: the window's frame, the
// notices already given, the menus' switches.

#include <QSettings>

#include "core/DecisionHistory.h"

namespace ondrel::gui {

inline QSettings settings() {
    return QSettings(QStringLiteral("Ondrel"), QStringLiteral("Ondrel"));
}

// "Keep a History": on unless the user turned it off. Every mode follows it, the command-line ones too.
inline bool keepsHistory() {
    return settings().value(QStringLiteral("keepHistory"), true).toBool();
}

inline void setKeepsHistory(bool on) {
    settings().setValue(QStringLiteral("keepHistory"), on);
    keepHistory(on);
}

}  // namespace ondrel::gui
