// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/RunProgram.h"

namespace ondrel::testing_support {

// A program a test starts and ends itself, its standard output kept until then.
class Spawned {
public:
    Spawned(const std::string& path, const std::vector<std::string>& arguments) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = spawnProgram(path, arguments, {}, out[1], -1);
        ::close(out[1]);
        out_ = out[0];
    }
    ~Spawned() { end(SIGKILL); }
    Spawned(const Spawned&) = delete;
    Spawned& operator=(const Spawned&) = delete;

    pid_t pid() const { return pid_; }

    // The exit status once the program ended by itself within `seconds`; -1 where it did not exit so.
    int exitStatusWithin(double seconds) {
        int status = 0;
        for (int waited = 0; pid_ > 0 && waited <= seconds * 1000; waited += 50) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(50'000);
        }
        return -1;
    }

    // Ends the program with `signal` and returns all it wrote.
    std::string end(int signal = SIGTERM) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        std::string text;
        char chunk[4096];
        for (ssize_t count; out_ >= 0 && (count = ::read(out_, chunk, sizeof chunk)) > 0;)
            text.append(chunk, static_cast<std::size_t>(count));
        if (out_ >= 0)
            ::close(out_);
        out_ = -1;
        return text;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

}  // namespace ondrel::testing_support
