// SPDX-License-Identifier: MIT
#pragma once

// A wake-up call from other threads: the command-line watch loop waits on it between passes, so that
// a change in Velquin's trees ends the wait at once instead of after the whole interval.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace ondrel {

class ChangeSignal {
public:
    // Any thread.
    void notify() {
        {
            std::lock_guard lock(mutex_);
            changed_ = true;
        }
        wake_.notify_all();
    }

    // Waits up to `seconds` for a change; true when one came (and is taken), false when the time ran out.
    bool waitFor(double seconds) {
        std::unique_lock lock(mutex_);
        const auto limit = std::chrono::duration<double>(std::max(0.0, std::min(seconds, 365.0 * 24 * 3600)));
        wake_.wait_for(lock, limit, [this] { return changed_; });
        return std::exchange(changed_, false);
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool changed_ = false;
};

}  // namespace ondrel
