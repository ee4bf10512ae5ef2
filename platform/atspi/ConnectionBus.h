// SPDX-License-Identifier: MIT
#pragma once

// Calls over one GDBus connection. The replies of a batch are gathered by one filter, installed once for
// the life of the connection, on GDBus's own thread: nothing of GLib's per-call machinery (a task and a
// main-context source per call, and a filter's release queued on the caller's main context, which a
// command-line process never runs) is involved. Batches take turns; a batch keeps every reply that passes
// while it lasts, so that one that comes before its call's serial is known is not missed. Where a connection
// of Ondrel's own to the bus was made (see WireCalls), the calls go there instead.

#include <gio/gio.h>

#include <memory>
#include <mutex>

#include "platform/atspi/Bus.h"
#include "platform/atspi/WireCalls.h"

namespace ondrel::atspi {

class ConnectionBus final : public Bus {
public:
    // Takes a reference to `connection`. Make it on the thread whose main context is running: the filter's
    // release at the end is queued there. With `wire`, a connection of its own to the same bus, calls go
    // there while it lasts.
    explicit ConnectionBus(GDBusConnection* connection, std::unique_ptr<WireCalls> wire = nullptr);
    ~ConnectionBus() override;
    ConnectionBus(const ConnectionBus&) = delete;
    ConnectionBus& operator=(const ConnectionBus&) = delete;

    std::vector<BusReply> callAll(std::vector<BusCall> calls, int timeoutMs) override;
    GDBusConnection* connection() const { return connection_; }
    bool closed() const { return g_dbus_connection_is_closed(connection_) != FALSE; }

private:
    struct Batch;
    struct Shared;  // what the filter reaches, which may outlive this object by a moment
    std::vector<BusReply> callOverWire(const std::vector<BusCall>& calls, int timeoutMs);
    static GDBusMessage* keepReply(GDBusConnection* connection, GDBusMessage* message, gboolean incoming,
                                   gpointer shared);

    GDBusConnection* connection_;
    std::shared_ptr<Shared> shared_;
    guint filter_ = 0;
    std::mutex turn_;  // one batch at a time
    std::unique_ptr<WireCalls> wire_;
};

}  // namespace ondrel::atspi
