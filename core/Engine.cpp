// SPDX-License-Identifier: MIT
#include "core/Engine.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/ActivityLog.h"

namespace ondrel {

struct WatcherEngine::Link {
    Link(Scheduler& loop, WatcherEngine* watcher) : scheduler(loop), engine(watcher) {}
    Scheduler& scheduler;
    WatcherEngine* engine;
    // A change already handed to the engine's thread and not yet taken: a burst of changes is handed on
    // once, so that a flood of them neither fills the loop's queue nor costs more than one look.
    std::atomic<bool> changePending{false};
};

WatcherEngine::WatcherEngine(Scanner& scanner, Scheduler& scheduler, Options options, BackgroundRunner* runner,
                             std::function<Clock::time_point()> now)
    : scanner_(scanner),
      scheduler_(scheduler),
      runner_(runner != nullptr ? *runner : inline_),
      now_(std::move(now)),
      opts_(std::move(options)),
      owner_(std::this_thread::get_id()) {}

EngineState WatcherEngine::state() const {
    return {started_, paused_, approved_, skipped_, windows_, velquinRunning_, opts_.safe};
}

WatcherEngine::~WatcherEngine() {
    // Listeners on other threads may still hold the link; from now on it leads nowhere.
    if (link_) {
        scanner_.watchChanges(nullptr);
        scanner_.platform().watchService(nullptr);
    }
}

void WatcherEngine::checkThread() const {
    if (std::this_thread::get_id() != owner_) {
        std::fputs("WatcherEngine used off the thread that created it\n", stderr);
        std::abort();
    }
}

void WatcherEngine::start() {
    checkThread();
    timer_.reset();
    // The timer belongs to the engine and stops firing when destroyed with it, so `this` never dangles.
    timer_ = scheduler_.scheduleRepeating(opts_.interval, [this] { tick(); });
    const bool startedNow = !std::exchange(started_, true);
    if (!link_) {
        link_ = std::make_shared<Link>(scheduler_, this);
        const std::weak_ptr<Link> weak(link_);
        scanner_.watchChanges([weak](ProcessId) {
            auto link = weak.lock();
            if (!link || link->changePending.exchange(true))
                return;
            link->scheduler.post([weak] {
                if (auto alive = weak.lock()) {
                    alive->changePending = false;
                    alive->engine->targetChanged();
                }
            });
        });
        scanner_.platform().watchService([weak](ServiceEvent event, const std::string& message) {
            if (auto link = weak.lock()) {
                link->scheduler.post([weak, event, message] {
                    if (auto alive = weak.lock())
                        alive->engine->serviceChanged(event, message);
                });
            }
        });
    }
    if (startedNow)
        notify();
}

void WatcherEngine::tick() {
    checkThread();
    if (paused_ || passRunning_)
        return;
    runPassNow();
}

void WatcherEngine::targetChanged() {
    checkThread();
    if (!started_ || paused_ || spacedPassPending_)
        return;
    if (passRunning_) {
        changedDuringPass_ = true;
        return;
    }
    const double sinceLastPass =
        lastPassStart_ ? std::chrono::duration<double>(now_() - *lastPassStart_).count() : quietSeconds;
    if (sinceLastPass >= quietSeconds)
        spacing_ = changedPassSpacingSeconds;
    if (sinceLastPass >= spacing_) {
        runPassNow();
        return;
    }
    // Changes that keep coming (a stream of text, a list rebuilt over and over) space their passes more
    // and more, up to a limit, so that a flood costs Ondrel less than it costs the application.
    const double wait = spacing_ - sinceLastPass;
    spacing_ = std::min(spacing_ * 2, floodPassSpacingSeconds);
    // The timer object stays until the next one replaces it: it must not go while it fires.
    spacedPassPending_ = true;
    spacedPass_ = scheduler_.scheduleOnce(wait, [this] {
        spacedPassPending_ = false;
        if (!paused_ && !passRunning_)
            runPassNow();
    });
}

void WatcherEngine::serviceChanged(ServiceEvent event, const std::string& message) {
    checkThread();
    log(message);
    switch (event) {
        case ServiceEvent::lost:
            return;
        case ServiceEvent::restored:
            // Nothing read over the old connection holds: read everything afresh, now.
            scanner_.forgetEverything();
            targetChanged();
            return;
        case ServiceEvent::sessionEnded:
            timer_.reset();
            spacedPass_.reset();
            sessionEnded_.notify();
            return;
    }
}

void WatcherEngine::runPassNow() {
    passRunning_ = true;
    lastPassStart_ = now_();
    auto result = std::make_shared<PassResult>();
    runner_.run([&scanner = scanner_, &memory = memory_, options = opts_,
                 result] { *result = runPass(scanner, options, memory); },
                [this, result] {
                    passRunning_ = false;
                    approved_ += result->pressed;
                    skipped_ += result->skipped;
                    windows_ = result->windows;
                    velquinRunning_ = result->running;
                    notify();
                    skips_.notify(result->skippedPrompts);
                    if (std::exchange(changedDuringPass_, false))
                        targetChanged();
                });
}

void WatcherEngine::withScanner(std::function<void(Scanner& scanner)> job, std::function<void()> done) {
    checkThread();
    runner_.run([&scanner = scanner_, job = std::move(job)] { job(scanner); }, std::move(done));
}

void WatcherEngine::togglePause() {
    checkThread();
    paused_ = !paused_;
    log(paused_ ? "Paused." : "Resumed.");
    notify();
}

void WatcherEngine::setSafe(bool on) {
    checkThread();
    if (on == opts_.safe)
        return;
    opts_.safe = on;
    log(on ? "Safe mode ON." : "Safe mode OFF.");
    if (!on)
        log("WARNING: safe mode off - destructive prompts will be auto-approved too.");
    notify();
}

std::string statusText(const EngineState& state) {
    if (state.paused)
        return "Paused";
    if (!state.velquinRunning)
        return "Velquin not running";
    std::string text = "Watching " + std::to_string(state.windows) + (state.windows == 1 ? " window" : " windows") +
                       "  \u00B7  approved " + std::to_string(state.approved);
    if (state.skipped >= 1)
        text += ", left for you " + std::to_string(state.skipped);
    return text;
}

}  // namespace ondrel
