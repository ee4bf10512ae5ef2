// SPDX-License-Identifier: MIT
#pragma once

// The engine's event loop is Qt's, on the main thread: its timers, and work other threads hand over.
// Timers also fire while a menu is open, since Qt's menus keep that loop running.

#include <QObject>

#include "core/Scheduler.h"

namespace ondrel::gui {

class QtScheduler final : public Scheduler {
public:
    std::unique_ptr<RepeatingTimer> scheduleRepeating(double intervalSeconds, std::function<void()> fire) override;
    std::unique_ptr<RepeatingTimer> scheduleOnce(double delaySeconds, std::function<void()> fire) override;
    void post(std::function<void()> work) override;

private:
    QObject context_;  // lives on the thread that made the scheduler; posted work runs there
};

}  // namespace ondrel::gui
