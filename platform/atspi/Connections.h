// SPDX-License-Identifier: MIT
#pragma once

// The backend's two connections: the session bus (the desktop's accessibility switch, bus names) and the
// accessibility bus (AT-SPI itself), both made on the bus thread so that their closing is heard there.
// A lost accessibility bus is looked for again every second until it is back; the session bus closing
// means the user's session ended. Either way one line tells the user, through the service listener.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/BusThread.h"
#include "platform/atspi/ConnectionBus.h"

namespace ondrel::atspi {

class Connections {
public:
    explicit Connections(BusThread& thread) : thread_(thread) {}
    ~Connections();
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;

    // Null when there is none (see unavailableReason). The first call connects and waits for it.
    std::shared_ptr<ConnectionBus> session();
    // Null when there is none; once lost, null until it is back.
    std::shared_ptr<ConnectionBus> accessibility();
    // Why there is no accessibility bus, for the user; nullopt while there is one.
    std::optional<std::string> unavailableReason();

    // `subscribe` runs on the bus thread for every accessibility connection made, before it is handed
    // out: the first and each one after a loss.
    void onConnected(std::function<void(const std::shared_ptr<ConnectionBus>& bus)> subscribe);
    void watchService(AccessibilityPlatform::ServiceListener listener);

    // The desktop's accessibility switch (org.a11y.Status IsEnabled): nullopt when it cannot be read.
    std::optional<bool> switchedOn();
    void switchOn();

private:
    struct Watched {
        std::shared_ptr<ConnectionBus> bus;
        gulong closedHandler = 0;
    };
    // On the bus thread.
    void connectSession();
    bool connectAccessibility();
    void accessibilityClosed(const std::string& why);
    void sessionClosed();
    Watched watch(GDBusConnection* connection, bool session, std::unique_ptr<WireCalls> wire = nullptr);
    void report(ServiceEvent event, const std::string& message);

    BusThread& thread_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // what the bus thread's timers hold
    std::mutex mutex_;
    Watched session_;
    Watched accessibility_;
    std::string sessionError_;
    std::string accessibilityError_;
    bool triedSession_ = false;
    bool triedAccessibility_ = false;
    bool lost_ = false;          // the accessibility bus went away and is looked for
    bool sessionEnded_ = false;  // for good
    std::function<void(const std::shared_ptr<ConnectionBus>&)> subscribe_;
    AccessibilityPlatform::ServiceListener listener_;
};

}  // namespace ondrel::atspi
