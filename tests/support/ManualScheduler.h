#pragma once

// A scheduler whose timers fire only when the test says so.

#include <functional>
#include <memory>
#include <vector>

#include "core/Scheduler.h"

namespace ondrel::testing_support {

class ManualScheduler final : public Scheduler {
public:
    struct Entry {
        double interval;
        std::function<void()> fire;
        bool live = true;
    };

    std::unique_ptr<RepeatingTimer> scheduleRepeating(double interval, std::function<void()> fire) override {
        entries.push_back(std::make_shared<Entry>(Entry{interval, std::move(fire)}));
        return std::make_unique<Timer>(entries.back());
    }

    // Fires every live timer once.
    void fireAll() {
        for (const auto& entry : entries) {
            if (entry->live)
                entry->fire();
        }
    }

    int liveTimers() const {
        int count = 0;
        for (const auto& entry : entries)
            count += entry->live ? 1 : 0;
        return count;
    }

    std::vector<std::shared_ptr<Entry>> entries;

private:
    class Timer final : public RepeatingTimer {
    public:
        explicit Timer(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        ~Timer() override { entry_->live = false; }

    private:
        std::shared_ptr<Entry> entry_;
    };
};

}  // namespace ondrel::testing_support
