// SPDX-License-Identifier: MIT
#include "core/BlockingScheduler.h"

#include <algorithm>

namespace ondrel {
namespace {

// A year at most: a huge interval must not overflow the clock's arithmetic.
BlockingScheduler::Clock::duration period(double seconds) {
    const double bounded = std::clamp(seconds, 0.0, 365.0 * 24 * 3600);
    return std::chrono::duration_cast<BlockingScheduler::Clock::duration>(std::chrono::duration<double>(bounded));
}

}  // namespace

struct BlockingScheduler::Timer {
    Clock::time_point due;
    Clock::duration period;
    bool repeating;
    bool cancelled = false;  // its handle went
    bool done = false;       // a one-off timer that fired
    std::function<void()> fire;
};

// Firing stops when the handle goes; the loop drops the timer at its next look.
class BlockingScheduler::Handle final : public RepeatingTimer {
public:
    Handle(BlockingScheduler& loop, std::shared_ptr<Timer> timer) : loop_(loop), timer_(std::move(timer)) {}
    ~Handle() override {
        std::lock_guard lock(loop_.mutex_);
        timer_->cancelled = true;
    }

private:
    BlockingScheduler& loop_;
    std::shared_ptr<Timer> timer_;
};

std::unique_ptr<RepeatingTimer> BlockingScheduler::scheduleRepeating(double intervalSeconds,
                                                                     std::function<void()> fire) {
    return schedule(intervalSeconds, true, std::move(fire));
}

std::unique_ptr<RepeatingTimer> BlockingScheduler::scheduleOnce(double delaySeconds, std::function<void()> fire) {
    return schedule(delaySeconds, false, std::move(fire));
}

std::unique_ptr<RepeatingTimer> BlockingScheduler::schedule(double seconds, bool repeating,
                                                            std::function<void()> fire) {
    auto timer = std::make_shared<Timer>(
        Timer{Clock::now() + period(seconds), period(seconds), repeating, false, false, std::move(fire)});
    {
        std::lock_guard lock(mutex_);
        timers_.push_back(timer);
    }
    wake_.notify_all();
    return std::make_unique<Handle>(*this, std::move(timer));
}

void BlockingScheduler::post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(work));
    }
    wake_.notify_all();
}

void BlockingScheduler::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

void BlockingScheduler::run() {
    while (auto work = next())
        work();
}

std::function<void()> BlockingScheduler::next() {
    std::unique_lock lock(mutex_);
    while (!stopped_) {
        if (!posted_.empty()) {
            auto work = std::move(posted_.front());
            posted_.pop_front();
            return work;
        }
        std::erase_if(timers_, [](const auto& timer) { return timer->cancelled || timer->done; });
        const auto soonest = std::min_element(timers_.begin(), timers_.end(),
                                              [](const auto& a, const auto& b) { return a->due < b->due; });
        if (soonest == timers_.end()) {
            wake_.wait(lock);
            continue;
        }
        const Clock::time_point now = Clock::now();
        if ((*soonest)->due > now) {
            wake_.wait_until(lock, (*soonest)->due);
            continue;
        }
        std::shared_ptr<Timer> timer = *soonest;
        timer->done = !timer->repeating;
        // A late firing does not bring a burst of firings after it.
        timer->due = timer->due + timer->period > now ? timer->due + timer->period : now + timer->period;
        // Its handle may go before it fires, by work that runs first: it is looked at again then.
        return [timer, this] {
            std::function<void()> fire;
            {
                std::lock_guard guard(mutex_);
                if (timer->cancelled)
                    return;
                fire = timer->fire;
            }
            fire();
        };
    }
    return nullptr;
}

}  // namespace ondrel
