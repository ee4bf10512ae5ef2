// SPDX-License-Identifier: MIT
#include "core/BackgroundRunner.h"

namespace ondrel {

struct WorkerThread::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::pair<std::function<void()>, std::function<void()>>> jobs;
    bool stopping = false;
};

WorkerThread::WorkerThread(Scheduler& scheduler) : scheduler_(scheduler), shared_(std::make_shared<Shared>()) {
    thread_ = std::thread([shared = shared_, &scheduler = scheduler_] {
        while (true) {
            std::pair<std::function<void()>, std::function<void()>> next;
            {
                std::unique_lock lock(shared->mutex);
                shared->wake.wait(lock, [&] { return shared->stopping || !shared->jobs.empty(); });
                if (shared->stopping)
                    return;
                next = std::move(shared->jobs.front());
                shared->jobs.pop_front();
            }
            next.first();
            if (next.second) {
                // Handed back only while the runner lives; after that nobody is left to hear it.
                scheduler.post([weak = std::weak_ptr<Shared>(shared), done = std::move(next.second)] {
                    if (auto alive = weak.lock(); alive && !alive->stopping)
                        done();
                });
            }
        }
    });
}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        shared_->jobs.clear();
    }
    shared_->wake.notify_all();
    thread_.join();
}

void WorkerThread::run(std::function<void()> job, std::function<void()> done) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->jobs.emplace_back(std::move(job), std::move(done));
    }
    shared_->wake.notify_one();
}

}  // namespace ondrel
