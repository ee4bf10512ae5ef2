// SPDX-License-Identifier: MIT
// Starting at login on Linux desktops: the autostart entry written, read and removed.

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "app/integration/DesktopIntegration.h"
#include "app/integration/Relaunch.h"
#include "app/integration/linux/AutostartEntry.h"
#include "core/ActivityLog.h"
#include "core/TextForms.h"

namespace ondrel {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string autostartEntryPath() {
    return autostartEntryPathFor(homeFolderFor(environment("HOME")), environment("XDG_CONFIG_HOME"));
}

// Writes the whole file or nothing: a new file beside it, renamed over the old one.
std::optional<std::string> replaceFile(const std::filesystem::path& path, const std::string& contents) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return error.message();
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return std::strerror(errno);
    bool written = true;
    for (std::string_view rest = contents; written && !rest.empty();) {
        const ssize_t count = ::write(fd, rest.data(), rest.size());
        if (count < 0 && errno == EINTR)
            continue;
        written = count > 0;
        if (written)
            rest.remove_prefix(static_cast<std::size_t>(count));
    }
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0)
        return std::nullopt;
    const std::string reason = std::strerror(written ? errno : writeError);
    ::unlink(temporary.c_str());
    return reason;
}

}  // namespace

bool startsAtLogin() {
    // An entry marked Hidden counts as deleted, which is how some settings panels turn one off.
    std::ifstream entry(autostartEntryPath());
    if (!entry)
        return false;
    for (std::string line; std::getline(entry, line);) {
        if (line == "Hidden=true")
            return false;
    }
    return true;
}

std::optional<std::string> setStartAtLogin(bool on) {
    const std::string path = autostartEntryPath();
    if (!on) {
        std::error_code error;
        std::filesystem::remove(path, error);
        if (error)
            return "Start at Login: could not remove " + escapeForLine(path) + ": " + error.message() + ".";
        return std::nullopt;
    }
    const std::string executable = relaunchCommand().path;
    const std::optional<std::string> entry = autostartEntry(executable);
    if (!entry)
        return "Start at Login: the program's path " + escapeForLine(executable) +
               " cannot stand in an autostart entry.";
    if (auto failure = replaceFile(path, *entry))
        return "Start at Login: could not write " + escapeForLine(path) + ": " + *failure + ".";
    return std::nullopt;
}

}  // namespace ondrel
