// SPDX-License-Identifier: MIT
#pragma once

// Tells the user through the desktop's notifications about each prompt that safe mode newly left for
// them, while "Notify about skipped prompts" is on (it is unless they turned it off).

#include "app/SkipNotices.h"
#include "app/integration/DesktopIntegration.h"
#include "core/Engine.h"

namespace ondrel::gui {

class SkipNotifier {
public:
    explicit SkipNotifier(WatcherEngine& engine);

    static bool enabled();
    static void setEnabled(bool on);

private:
    SkipNotices notices_;
    DesktopNotifications desktop_;
    Subscription listening_;
};

}  // namespace ondrel::gui
