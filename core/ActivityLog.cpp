#include "core/ActivityLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace ondrel {

LogSink logSink;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

#ifndef __APPLE__
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
#endif

int openForAppend(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

int openCreatingFolder(const std::string& path) {
    int fd = openForAppend(path);
#ifndef __APPLE__
    // The XDG state folder may not exist yet on a fresh account; ~/Library/Logs always does on macOS.
    if (fd < 0 && errno == ENOENT) {
        makeFolders(parentFolder(path));
        fd = openForAppend(path);
    }
#endif
    return fd;
}

}  // namespace

std::string logFilePathFor(const std::string& home, [[maybe_unused]] const std::string& xdgStateHome) {
#ifdef __APPLE__
    return home + "/Library/Logs/Ondrel.log";
#else
    // XDG: a relative XDG_STATE_HOME is invalid and must be ignored.
    const bool usable = !xdgStateHome.empty() && xdgStateHome.front() == '/';
    return (usable ? xdgStateHome : home + "/.local/state") + "/Ondrel.log";
#endif
}

const std::string& logFilePath() {
    static const std::string path = logFilePathFor(environment("HOME"), environment("XDG_STATE_HOME"));
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

    if (logSink)
        logSink(std::string(message));

    appendToFile(logFilePath(), line);
}

}  // namespace ondrel
