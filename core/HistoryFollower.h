// SPDX-License-Identifier: MIT
#pragma once

// Reads the history of decisions as it grows, for a view of it: first the records the files hold (the
// older file's, then the current one's, at most `tailBytes` from the end of each), then at every look
// what was appended since, following the file through rotations, whoever writes it. A line counts once
// it is whole; one that does not hold a record is passed over.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/DecisionRecord.h"
#include "core/LogRotation.h"

namespace ondrel {

class HistoryFollower {
public:
    explicit HistoryFollower(std::string path, std::uintmax_t tailBytes = logFileLimit);
    ~HistoryFollower();
    HistoryFollower(const HistoryFollower&) = delete;
    HistoryFollower& operator=(const HistoryFollower&) = delete;

    struct News {
        bool fromStart = false;  // the records replace all read before: the first look, or the file was emptied
        std::vector<DecisionRecord> records;  // oldest first
    };
    News look();
    // The next look starts again from the files' tails.
    void restart();

    struct Lines {
        std::string partial;  // the start of a line not yet whole
        bool cut = false;     // the first line feed ends a line whose start was not read
    };

private:
    void readOn(std::vector<DecisionRecord>& records);
    // Whether the path still names the file followed (it is gone or another after a rotation).
    bool stillFollowed() const;
    // Follows the file the path names from its last `tailBytes` on.
    void follow(std::uintmax_t tailBytes);
    void close();

    std::string path_;
    std::uintmax_t tailBytes_;
    bool started_ = false;
    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::uintmax_t offset_ = 0;
    Lines lines_;
};

}  // namespace ondrel
