#pragma once

// The engine's repeating timer on the Qt event loop of the main thread. It also fires while a menu
// is open, since Qt's menus keep that loop running.

#include "core/Scheduler.h"

namespace ondrel::gui {

class QtScheduler final : public Scheduler {
public:
    std::unique_ptr<RepeatingTimer> scheduleRepeating(double intervalSeconds, std::function<void()> fire) override;
};

}  // namespace ondrel::gui
