// SPDX-License-Identifier: MIT
#pragma once

// A scheduler whose timers fire, and whose posted work runs, only when the test says so.

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
        bool once = false;
        bool live = true;
    };

    std::unique_ptr<RepeatingTimer> scheduleRepeating(double interval, std::function<void()> fire) override {
        entries.push_back(std::make_shared<Entry>(Entry{interval, std::move(fire)}));
        return std::make_unique<Timer>(entries.back());
    }

    std::unique_ptr<RepeatingTimer> scheduleOnce(double delay, std::function<void()> fire) override {
        entries.push_back(std::make_shared<Entry>(Entry{delay, std::move(fire), true}));
        return std::make_unique<Timer>(entries.back());
    }

    void post(std::function<void()> work) override { posted.push_back(std::move(work)); }

    // Fires every live repeating timer once.
    void fireAll() {
        for (const auto& entry : entries) {
            if (entry->live && !entry->once)
                entry->fire();
        }
    }

    // Fires the one-off timers that are due, each once.
    void fireOnce() {
        for (auto entry : entries) {
            if (entry->live && entry->once) {
                entry->live = false;
                entry->fire();
            }
        }
    }

    void runPosted() {
        while (!posted.empty()) {
            auto work = std::move(posted.front());
            posted.erase(posted.begin());
            work();
        }
    }

    int liveTimers() const {
        int count = 0;
        for (const auto& entry : entries)
            count += entry->live && !entry->once ? 1 : 0;
        return count;
    }

    int pendingOnce() const {
        int count = 0;
        for (const auto& entry : entries)
            count += entry->live && entry->once ? 1 : 0;
        return count;
    }

    std::vector<std::shared_ptr<Entry>> entries;
    std::vector<std::function<void()>> posted;

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
