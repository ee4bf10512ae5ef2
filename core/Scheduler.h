#pragma once

// The repeating timer the engine runs on. The application provides one on its event loop; tests
// drive a manual one.

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
};

}  // namespace ondrel
