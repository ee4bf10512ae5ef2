// SPDX-License-Identifier: MIT
#pragma once

// The processes that stopped answering during the current scan. A hung target costs one timed-out
// call; every later call into it fails at once until the next scan gives it another chance.

#include <chrono>
#include <cstdint>
#include <set>

namespace ondrel::platform {

class UnresponsiveProcesses {
public:
    using Clock = std::chrono::steady_clock;

    explicit UnresponsiveProcesses(Clock::duration callTimeout) : callTimeout_(callTimeout) {}

    bool contains(std::int64_t process) const { return processes_.contains(process); }

    // A failed call that took nearly the whole timeout means the process did not answer; a quick
    // failure (an element that went away, a process that ended) says nothing about the rest.
    void noteFailure(std::int64_t process, Clock::duration elapsed) {
        if (elapsed * 10 >= callTimeout_ * 9)
            processes_.insert(process);
    }

    void clear() { processes_.clear(); }

private:
    Clock::duration callTimeout_;
    std::set<std::int64_t> processes_;
};

}  // namespace ondrel::platform
