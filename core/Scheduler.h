// SPDX-License-Identifier: MIT
#pragma once

// The event loop the engine runs on: its repeating timer, one-off timers, and work handed over from
// other threads. The application provides one on its own event loop; tests drive a manual one.

#include <functional>
#include <memory>

namespace ondrel {

// Firing stops when the timer is destroyed.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Calls `fire` every `intervalSeconds` on the thread that owns the event loop, first one period from now.
    virtual std::unique_ptr<RepeatingTimer> scheduleRepeating(double intervalSeconds, std::function<void()> fire) = 0;
    // Calls `fire` once, `delaySeconds` from now, on the loop's thread, unless the timer is destroyed first.
    virtual std::unique_ptr<RepeatingTimer> scheduleOnce(double delaySeconds, std::function<void()> fire) = 0;
    // Runs `work` soon on the loop's thread. The one member that may be called from any thread.
    virtual void post(std::function<void()> work) = 0;
};

}  // namespace ondrel
