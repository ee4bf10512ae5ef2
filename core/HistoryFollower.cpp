// SPDX-License-Identifier: MIT
#include "core/HistoryFollower.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <limits>
#include <string_view>
#include <utility>

namespace ondrel {
namespace {

// Only a regular file, never through a link, and never waiting at the open (a FIFO put there).
int openForReading(const std::string& path, struct stat& opened) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd >= 0 && (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads from `offset` to the end, taking every whole line in `lines` and what follows; what is left after
// the last line feed stays in `lines`. Returns the offset reached.
std::uintmax_t readLines(int fd, std::uintmax_t offset, HistoryFollower::Lines& lines,
                         std::vector<DecisionRecord>& records) {
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        offset += static_cast<std::uintmax_t>(count);
        lines.partial.append(buffer.data(), static_cast<std::size_t>(count));
    }
    std::size_t start = 0;
    for (std::size_t end = lines.partial.find('\n'); end != std::string::npos; end = lines.partial.find('\n', start)) {
        if (!std::exchange(lines.cut, false)) {
            if (auto record = parseRecordLine(std::string_view(lines.partial).substr(start, end - start)))
                records.push_back(std::move(*record));
        }
        start = end + 1;
    }
    lines.partial.erase(0, start);
    return offset;
}

// Where reading the last `tailBytes` of a file of `size` bytes begins: one byte early, so that a tail that
// begins a line loses nothing when the partial line it is taken to begin with is dropped.
std::uintmax_t tailStart(std::uintmax_t size, std::uintmax_t tailBytes, HistoryFollower::Lines& lines) {
    lines = {};
    lines.cut = size > tailBytes;
    return lines.cut ? size - tailBytes - 1 : 0;
}

}  // namespace

HistoryFollower::HistoryFollower(std::string path, std::uintmax_t tailBytes)
    : path_(std::move(path)), tailBytes_(tailBytes) {}

HistoryFollower::~HistoryFollower() {
    close();
}

void HistoryFollower::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    lines_ = {};
}

void HistoryFollower::restart() {
    close();
    started_ = false;
}

void HistoryFollower::follow(std::uintmax_t tailBytes) {
    close();
    struct stat opened {};
    fd_ = openForReading(path_, opened);
    if (fd_ < 0)
        return;
    device_ = opened.st_dev;
    inode_ = opened.st_ino;
    offset_ = tailStart(static_cast<std::uintmax_t>(opened.st_size), tailBytes, lines_);
}

bool HistoryFollower::stillFollowed() const {
    struct stat named {};
    if (::stat(path_.c_str(), &named) != 0)
        return fd_ < 0;  // gone: writers write only to the file the path names, and make it anew
    return fd_ >= 0 && named.st_dev == device_ && named.st_ino == inode_;
}

void HistoryFollower::readOn(std::vector<DecisionRecord>& records) {
    if (fd_ >= 0)
        offset_ = readLines(fd_, offset_, lines_, records);
}

HistoryFollower::News HistoryFollower::look() {
    News news;
    struct stat held {};
    const bool emptied = fd_ >= 0 && ::fstat(fd_, &held) == 0 && static_cast<std::uintmax_t>(held.st_size) < offset_;
    if (!started_ || emptied) {
        started_ = true;
        news.fromStart = true;
        struct stat older {};
        if (const int fd = openForReading(path_ + ".1", older); fd >= 0) {
            Lines lines;
            const std::uintmax_t start = tailStart(static_cast<std::uintmax_t>(older.st_size), tailBytes_, lines);
            readLines(fd, start, lines, news.records);
            ::close(fd);
        }
        follow(tailBytes_);
        readOn(news.records);
        return news;
    }
    readOn(news.records);  // what was appended to the file followed, even when it was rotated meanwhile
    if (!stillFollowed()) {
        follow(std::numeric_limits<std::uintmax_t>::max());  // a new file: all of it is new
        readOn(news.records);
    }
    return news;
}

}  // namespace ondrel
