// SPDX-License-Identifier: MIT
#pragma once

// The desktop's notifications: the freedesktop.org notification service on the session bus on Linux
// desktops (with or without a tray), the user notification center on macOS. Posting never waits for
// the desktop; the first failure is logged once, later ones are not.

#include <memory>

#include "app/SkipNotices.h"

namespace ondrel::gui {

class DesktopNotifications {
public:
    DesktopNotifications();
    ~DesktopNotifications();
    DesktopNotifications(const DesktopNotifications&) = delete;
    DesktopNotifications& operator=(const DesktopNotifications&) = delete;

    void post(const Notice& notice);

private:
    struct Service;
    std::unique_ptr<Service> service_;
};

}  // namespace ondrel::gui
