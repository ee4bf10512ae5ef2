// SPDX-License-Identifier: MIT
#pragma once

// The desktop's own services that the window and the menu open: the accessibility settings and files.

#include <QString>

namespace ondrel::gui {

// The system's accessibility settings; where the desktop has none that can be opened, nothing happens.
void openAccessibilitySettings();

// Opens a file with the desktop's default application for it.
void openFile(const QString& path);

}  // namespace ondrel::gui
