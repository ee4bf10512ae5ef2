// SPDX-License-Identifier: MIT
#pragma once

// What the tray application saved with Qt's settings, read without Qt by the command-line program:
// Qt keeps them on Linux as an INI file in the user's configuration folder.

#include <string>

namespace ondrel {

// $XDG_CONFIG_HOME/Ondrel/Ondrel.conf, with ~/.config as the configuration folder's default.
std::string savedSettingsPathFor(const std::string& home, const std::string& xdgConfigHome);

// "Keep a History" as saved in `contents`: on unless the user turned it off.
bool keepHistoryIn(const std::string& contents);

// "Keep a History" as the tray application saved it for the user running Ondrel.
bool savedKeepHistory();

}  // namespace ondrel
