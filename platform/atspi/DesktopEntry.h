// SPDX-License-Identifier: MIT
#pragma once

// Desktop entries the way freedesktop.org defines them: where the entry of a desktop file ID lives
// (XDG base directories, first match wins) and which program it starts (TryExec, else Exec).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::atspi {

// The folders that hold desktop entries, most important first: $XDG_DATA_HOME/applications (by
// default ~/.local/share/applications), then those of $XDG_DATA_DIRS (by default /usr/local/share and
// /usr/share). Relative folders are ignored, as the base-directory rules ask.
std::vector<std::string> applicationFolders(const std::string& home, const std::string& dataHome,
                                            const std::string& dataDirs);

// The file of the desktop file ID `id` ("dev.velquin.desktop.desktop") in the first folder that has
// one. A "-" in an ID may stand for a subfolder ("vendor-app.desktop" in "vendor/app.desktop").
std::optional<std::string> findDesktopEntry(std::string_view id, const std::vector<std::string>& folders);

// The program an application's entry starts, absolute, with symbolic links resolved: TryExec, else the
// first word of Exec, looked up on `searchPath` when it holds no "/". None when the entry is hidden,
// not an application, unreadable, when the program does not exist, or when it is a program that runs
// other programs (a shell, an interpreter, a launcher): every application started through one of those
// shares its executable, so it identifies no application.
std::optional<std::string> desktopEntryProgram(const std::string& entryFile, const std::string& searchPath);

// Whether `program` (a path or a file name) runs other programs, as shells, interpreters and launchers do.
bool runsOtherPrograms(std::string_view program);

}  // namespace ondrel::atspi
