// SPDX-License-Identifier: MIT
#pragma once

// The user's configuration folder, where the autostart entry and the tray application's settings go.

#include <string>

namespace ondrel {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or relative: XDG calls a relative one invalid.
inline std::string configFolderFor(const std::string& home, const std::string& xdgConfigHome) {
    const bool usable = !xdgConfigHome.empty() && xdgConfigHome.front() == '/';
    return usable ? xdgConfigHome : home + "/.config";
}

}  // namespace ondrel
