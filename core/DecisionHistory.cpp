// SPDX-License-Identifier: MIT
#include "core/DecisionHistory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "core/ActivityLog.h"

namespace ondrel {
namespace {

std::atomic<bool>& kept() {
    static std::atomic<bool> on{true};
    return on;
}

Subscribers<bool>& switchListeners() {
    static Subscribers<bool> listeners;
    return listeners;
}

}  // namespace

const std::string& decisionsFilePath() {
    static const std::string path =
        decisionsFilePathFor(homeFolderFor(environmentVariable("HOME")), environmentVariable("XDG_STATE_HOME"));
    return path;
}

bool historyKept() {
    return kept();
}

void keepHistory(bool on) {
    if (kept().exchange(on) != on)
        switchListeners().notify(on);
}

Subscription listenToHistorySwitch(std::function<void(bool kept)> listener) {
    return switchListeners().add(std::move(listener));
}

void recordDecision(const DecisionRecord& record, const std::string& path, std::uintmax_t limit) {
    if (historyKept())
        appendToFile(path, recordLine(record), limit);
}

bool clearHistory(const std::string& path) {
    // Under the lock writers take, so that no record is half in the emptied file; never through a link.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    bool cleared = fd >= 0 || errno == ENOENT;
    if (fd >= 0) {
        int locked = 0;
        do {
            locked = ::flock(fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        cleared = locked == 0 && ::ftruncate(fd, 0) == 0;
        ::close(fd);
    }
    const std::string older = path + ".1";
    return (std::remove(older.c_str()) == 0 || errno == ENOENT) && cleared;
}

}  // namespace ondrel
