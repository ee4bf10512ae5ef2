// SPDX-License-Identifier: MIT
#pragma once

// The desktop entry in the user's XDG autostart folder by which every freedesktop.org session starts
// Ondrel when the user logs in.

#include <optional>
#include <string>

namespace ondrel {

// $XDG_CONFIG_HOME/autostart/ondrel.desktop, with ~/.config when XDG_CONFIG_HOME is unset or relative.
std::string autostartEntryPathFor(const std::string& home, const std::string& xdgConfigHome);

// One argument of an Exec line, quoted as desktop entries want it and escaped as their string values do.
std::string desktopExecArgument(const std::string& argument);

// The entry that starts `executable` at login; none when the path cannot stand in a desktop entry (bytes
// that are not UTF-8, control characters).
std::optional<std::string> autostartEntry(const std::string& executable);

}  // namespace ondrel
