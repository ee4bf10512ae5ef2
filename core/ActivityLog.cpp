// SPDX-License-Identifier: MIT
#include "core/ActivityLog.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace ondrel {

namespace {

Subscribers<std::string>& logListeners() {
    static Subscribers<std::string> listeners;
    return listeners;
}

}  // namespace

Subscription listenToLog(std::function<void(const std::string& message)> listener) {
    return logListeners().add(std::move(listener));
}

namespace {

std::string parentFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// Creates the folder and any missing parents with mode 0700, as XDG asks for the state folder.
void makeFolders(const std::string& folder) {
    if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST)
        return;
    if (errno != ENOENT)
        return;
    makeFolders(parentFolder(folder));
    ::mkdir(folder.c_str(), 0700);
}

// Private to the user, never through a symbolic link put where the file should be, and only a regular
// file: opening never waits (a FIFO there would wait for a reader, and with it the whole watch loop).
int openForAppend(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat opened {};
    if (fd >= 0 && (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::string userDatabaseHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr)
        return {};
    return found->pw_dir;
}

int openCreatingFolder(const std::string& path) {
    int fd = openForAppend(path);
    // The folders may not exist yet on a fresh account (the XDG state folder, the history's own).
    if (fd < 0 && errno == ENOENT) {
        makeFolders(parentFolder(path));
        fd = openForAppend(path);
    }
    return fd;
}

}  // namespace

std::string homeFolderFor(const std::string& homeVariable) {
    return homeVariable.empty() ? userDatabaseHome() : homeVariable;
}

std::string environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

const std::string& logFilePath() {
    static const std::string path =
        logFilePathFor(homeFolderFor(environmentVariable("HOME")), environmentVariable("XDG_STATE_HOME"));
    return path;
}

std::string formatLogTimestamp(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buffer[32];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return std::string(buffer, length);
}

bool appendToFile(const std::string& path, std::string_view bytes, std::uintmax_t limit) {
    const int fd = openLogForRecord(path, bytes.size(), limit, openCreatingFolder);
    if (fd < 0)
        return false;
    // One write keeps a record whole when several processes append at once.
    bool written = true;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + offset, bytes.size() - offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            written = false;
            break;
        }
        offset += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return written;
}

void log(std::string_view message) {
    // Appended piece by piece: g++ 12 at -O3 takes `"[" + std::string` for an overlapping copy (-Wrestrict).
    std::string line = "[";
    line += formatLogTimestamp(std::chrono::system_clock::now());
    line += "] ";
    line += message;
    line += '\n';

    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);

    logListeners().notify(std::string(message));

    appendToFile(logFilePath(), line);
}

}  // namespace ondrel
