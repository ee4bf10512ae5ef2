#pragma once

// One pass over the target (runPass) and the long-lived engine that runs passes on a timer.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/Options.h"
#include "core/Scanner.h"
#include "core/Scheduler.h"

namespace ondrel {

inline constexpr std::size_t promptTextLimit = 600;

struct PassResult {
    std::int64_t pressed = 0;
    std::int64_t skipped = 0;
    std::int64_t windows = 0;
    bool running = false;

    bool operator==(const PassResult&) const = default;
};

// Finds, judges and presses (or, in list mode, prints the labelled buttons); logs as it goes.
PassResult runPass(Scanner& scanner, const Options& opts);

class WatcherEngine {
public:
    WatcherEngine(Scanner& scanner, Scheduler& scheduler, Options options);
    WatcherEngine(const WatcherEngine&) = delete;
    WatcherEngine& operator=(const WatcherEngine&) = delete;

    bool paused = false;
    std::int64_t approved = 0;
    std::int64_t skipped = 0;
    std::int64_t windows = 0;
    bool velquinRunning = false;
    Options opts;
    std::unique_ptr<RepeatingTimer> timer;
    std::function<void()> onUpdate;

    // (Re)creates the repeating timer with the period opts.interval; the first pass is one period away.
    void start();
    // One timer firing: a pass unless paused, totals, onUpdate. Must run on the creating thread.
    void tick();
    // Pauses a running engine or resumes a paused one, logs it and calls onUpdate.
    void togglePause();
    // Switches safe mode when it changes, logs it and calls onUpdate.
    void setSafe(bool on);

    std::string statusText() const;

    Scanner& scanner() { return scanner_; }

private:
    void notify() const;

    Scanner& scanner_;
    Scheduler& scheduler_;
    std::thread::id owner_;
};

}  // namespace ondrel
