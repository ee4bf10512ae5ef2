// SPDX-License-Identifier: MIT
#pragma once

// Sends standard output to /dev/null while measuring, so the per-pass log lines stay out of the report.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace ondrel::bench {

class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = ::dup(1);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 1);
        ::close(devNull);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(saved_, 1);
        ::close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_ = -1;
};

}  // namespace ondrel::bench
