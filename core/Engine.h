// SPDX-License-Identifier: MIT
#pragma once

// The long-lived engine that runs passes (see Pass.h): on a timer, and within moments of a change the
// platform reports in Velquin's trees.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/BackgroundRunner.h"
#include "core/Options.h"
#include "core/Pass.h"
#include "core/Scanner.h"
#include "core/Scheduler.h"
#include "core/Subscribers.h"

namespace ondrel {

// What the engine shows the window and the status item: a copy, so it can be handed between threads.
struct EngineState {
    bool started = false;  // the timer runs: watching has really begun
    bool paused = false;
    std::int64_t approved = 0;
    std::int64_t skipped = 0;
    std::int64_t windows = 0;
    bool velquinRunning = false;
    bool safe = true;
};

// "Paused", "Velquin not running" or "Watching 2 windows  ·  approved 5, left for you 1".
std::string statusText(const EngineState& state);

// Lives on one thread, the one that created it; its scheduler's loop runs there. Passes never overlap.
class WatcherEngine {
public:
    using Clock = std::chrono::steady_clock;
    // A change starts a pass at once, but no sooner than this after the last pass began. While changes keep
    // coming the spacing doubles with every pass they bring, up to the flood's spacing, and it is back to
    // the first once a second has gone by without a pass.
    static constexpr double changedPassSpacingSeconds = 0.05;
    static constexpr double floodPassSpacingSeconds = 0.4;
    static constexpr double quietSeconds = 1.0;

    // Passes run on `runner` (on the engine's own thread when null).
    WatcherEngine(Scanner& scanner, Scheduler& scheduler, Options options, BackgroundRunner* runner = nullptr,
                  std::function<Clock::time_point()> now = Clock::now);
    ~WatcherEngine();
    WatcherEngine(const WatcherEngine&) = delete;
    WatcherEngine& operator=(const WatcherEngine&) = delete;

    EngineState state() const;
    std::string statusText() const { return ondrel::statusText(state()); }
    // `onUpdate` is called, in subscription order, after every pass and every change of state.
    [[nodiscard]] Subscription subscribe(std::function<void()> onUpdate) { return updates_.add(std::move(onUpdate)); }
    // `onSkips` is called after every pass, after `onUpdate`, with the prompts that pass left for the user
    // (none when it left none, which tells that earlier ones went).
    using SkipListener = std::function<void(const std::vector<SkippedPrompt>& left)>;
    [[nodiscard]] Subscription subscribeToSkips(SkipListener onSkips) { return skips_.add(std::move(onSkips)); }

    // Starts the repeating timer with the period of the options' interval (the first pass one period
    // away) and listens for changes; notifies the first time. Again: restarts the timer.
    void start();
    // One timer firing: a pass unless paused or one is still running.
    void tick();
    // A change in Velquin's trees was reported: a pass now, or as soon as the spacing allows.
    void targetChanged();
    // Pauses a running engine or resumes a paused one, logs it and notifies.
    void togglePause();
    // Switches safe mode when it changes, logs it and notifies.
    void setSafe(bool on);
    // `onEnd` is called when the user's session ended and with it the platform's service: nothing is
    // watched any more, and the program should end.
    [[nodiscard]] Subscription subscribeToSessionEnd(std::function<void()> onEnd) {
        return sessionEnded_.add(std::move(onEnd));
    }
    // Runs `job` where passes run, never beside a pass; `done` afterwards on the engine's thread.
    void withScanner(std::function<void(Scanner& scanner)> job, std::function<void()> done = nullptr);

private:
    struct Link;
    void checkThread() const;
    void runPassNow();
    // The platform's service was lost, is back, or ended with the session: logs its message and acts.
    void serviceChanged(ServiceEvent event, const std::string& message);
    void notify() const { updates_.notify(); }

    Scanner& scanner_;
    Scheduler& scheduler_;
    InlineRunner inline_;
    BackgroundRunner& runner_;
    std::function<Clock::time_point()> now_;
    Options opts_;  // safe mode is the one field that changes
    PassMemory memory_;  // used by passes only, which never overlap
    bool started_ = false;
    bool paused_ = false;
    std::int64_t approved_ = 0;
    std::int64_t skipped_ = 0;
    std::int64_t windows_ = 0;
    bool velquinRunning_ = false;
    Subscribers<> updates_;
    Subscribers<std::vector<SkippedPrompt>> skips_;
    Subscribers<> sessionEnded_;
    std::unique_ptr<RepeatingTimer> timer_;
    std::unique_ptr<RepeatingTimer> spacedPass_;  // a changed pass waiting for the spacing
    bool spacedPassPending_ = false;
    bool passRunning_ = false;
    bool changedDuringPass_ = false;
    std::optional<Clock::time_point> lastPassStart_;
    double spacing_ = changedPassSpacingSeconds;
    std::shared_ptr<Link> link_;  // what change listeners on other threads hold of the engine
    std::thread::id owner_;
};

}  // namespace ondrel
