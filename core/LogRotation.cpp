// SPDX-License-Identifier: MIT
#include "core/LogRotation.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace ondrel {
namespace {

// Another writer may rotate or remove the file between our open and our lock, each time sending us
// round again; past this many rounds the record goes into whichever file we hold, so none is dropped.
constexpr int rounds = 64;

// flock, not fcntl: its lock belongs to the open file, so it also keeps apart threads of one process,
// and closing another descriptor of the same file elsewhere in the process does not drop it.
bool lockExclusive(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// Whether `path` still names the file open on `fd`.
bool stillNamed(const std::string& path, const struct stat& held) {
    struct stat named {};
    return ::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

}  // namespace

int openLogForRecord(const std::string& path, std::size_t recordSize, std::uintmax_t limit, AppendOpener open) {
    for (int round = 1;; ++round) {
        const int fd = open(path);
        if (fd < 0)
            return -1;
        struct stat held {};
        if (!lockExclusive(fd) || ::fstat(fd, &held) != 0) {
            ::close(fd);
            return -1;
        }
        if (round == rounds)
            return fd;
        if (!stillNamed(path, held)) {  // rotated or removed before we got the lock
            ::close(fd);
            continue;
        }
        const auto size = static_cast<std::uintmax_t>(held.st_size);
        if (size > 0 && size + recordSize > limit && std::rename(path.c_str(), (path + ".1").c_str()) == 0) {
            ::close(fd);  // the next round opens (and creates) the new file
            continue;
        }
        return fd;
    }
}

}  // namespace ondrel
