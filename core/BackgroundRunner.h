// SPDX-License-Identifier: MIT
#pragma once

// Where the engine's passes run. Inline (the default) runs each job at once on the caller's thread;
// the tray application runs them on a worker thread of its own, one after the other, so that its
// window never waits for another application. Either way `done` runs on the scheduler's thread.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "core/Scheduler.h"

namespace ondrel {

class BackgroundRunner {
public:
    virtual ~BackgroundRunner() = default;
    virtual void run(std::function<void()> job, std::function<void()> done) = 0;
};

class InlineRunner final : public BackgroundRunner {
public:
    void run(std::function<void()> job, std::function<void()> done) override {
        job();
        if (done)
            done();
    }
};

// One worker thread taking jobs in order. Destroying it waits for the job in hand and drops the rest;
// a `done` whose job finished after that is never called.
class WorkerThread final : public BackgroundRunner {
public:
    explicit WorkerThread(Scheduler& scheduler);
    ~WorkerThread() override;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void run(std::function<void()> job, std::function<void()> done) override;

private:
    struct Shared;
    Scheduler& scheduler_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace ondrel
