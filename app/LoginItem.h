// SPDX-License-Identifier: MIT
#pragma once

// Starting Ondrel when the user logs in: an XDG autostart entry on Linux desktops, a login item on macOS.

#include <optional>
#include <string>

namespace ondrel {

bool startsAtLogin();

// Turns starting at login on or off for the running program. Returns a line for the log when something
// went wrong or the user still has something to do; nothing when it is done.
std::optional<std::string> setStartAtLogin(bool on);

// The menus' "Start at Login": switches to the other state and logs what the user must know.
void toggleStartAtLogin();

}  // namespace ondrel
