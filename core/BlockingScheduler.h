// SPDX-License-Identifier: MIT
#pragma once

// The event loop of the command-line watch: timers and work posted from other threads run one after the
// other on the thread that calls run(), which sleeps in between. stop() ends run() from any thread.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "core/Scheduler.h"

namespace ondrel {

class BlockingScheduler final : public Scheduler {
public:
    using Clock = std::chrono::steady_clock;

    std::unique_ptr<RepeatingTimer> scheduleRepeating(double intervalSeconds, std::function<void()> fire) override;
    std::unique_ptr<RepeatingTimer> scheduleOnce(double delaySeconds, std::function<void()> fire) override;
    void post(std::function<void()> work) override;

    // Runs timers and posted work until stop(); posted work goes first.
    void run();
    void stop();

private:
    struct Timer;
    class Handle;
    std::unique_ptr<RepeatingTimer> schedule(double seconds, bool repeating, std::function<void()> fire);
    // The next thing to run, waiting for it as long as it is not due; null once stopped.
    std::function<void()> next();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> posted_;
    std::vector<std::shared_ptr<Timer>> timers_;
    bool stopped_ = false;
};

}  // namespace ondrel
