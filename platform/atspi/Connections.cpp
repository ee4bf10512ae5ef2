// SPDX-License-Identifier: MIT
#include "platform/atspi/Connections.h"

#include "platform/atspi/AtspiProtocol.h"

namespace ondrel::atspi {
namespace {

// Asking for the accessibility bus may start its launcher, which takes longer than an ordinary call.
constexpr int busLaunchTimeoutMs = 5000;
constexpr double retrySeconds = 1.0;

// A D-Bus error's message on one line, for a log line.
std::string oneLine(const GError* error) {
    std::string text = error != nullptr && error->message != nullptr ? error->message : "no reason given";
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return text;
}

GObjectPtr<GDBusConnection> connectTo(const char* address, std::string& failure) {
    GError* raw = nullptr;
    GObjectPtr<GDBusConnection> connection(g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &raw));
    GErrorPtr error(raw);
    if (!connection)
        failure = oneLine(error.get());
    return connection;
}

BusCall statusCall(const char* method, GVariant* arguments, const GVariantType* replyType) {
    return {"org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", method, parameters(arguments),
            replyType};
}

}  // namespace

Connections::~Connections() {
    thread_.invoke([this] {
        std::lock_guard lock(mutex_);
        *alive_ = false;
        for (Watched* watched : {&session_, &accessibility_}) {
            if (watched->bus && watched->closedHandler != 0)
                g_signal_handler_disconnect(watched->bus->connection(), watched->closedHandler);
            *watched = {};
        }
    });
}

std::shared_ptr<ConnectionBus> Connections::session() {
    bool tried = false;
    {
        std::lock_guard lock(mutex_);
        tried = triedSession_;
    }
    if (!tried)
        thread_.invoke([this] { connectSession(); });
    std::lock_guard lock(mutex_);
    return session_.bus && !session_.bus->closed() ? session_.bus : nullptr;
}

std::shared_ptr<ConnectionBus> Connections::accessibility() {
    bool tried = false;
    {
        std::lock_guard lock(mutex_);
        if (accessibility_.bus && !accessibility_.bus->closed())
            return accessibility_.bus;
        tried = triedAccessibility_;
    }
    if (!tried)
        thread_.invoke([this] { connectAccessibility(); });
    std::lock_guard lock(mutex_);
    return accessibility_.bus && !accessibility_.bus->closed() ? accessibility_.bus : nullptr;
}

std::optional<std::string> Connections::unavailableReason() {
    if (accessibility())
        return std::nullopt;
    std::lock_guard lock(mutex_);
    return accessibilityError_;
}

void Connections::onConnected(std::function<void(const std::shared_ptr<ConnectionBus>&)> subscribe) {
    thread_.invoke([&] { subscribe_ = std::move(subscribe); });
}

void Connections::watchService(AccessibilityPlatform::ServiceListener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void Connections::report(ServiceEvent event, const std::string& message) {
    AccessibilityPlatform::ServiceListener listener;
    {
        std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (listener)
        listener(event, message);
}

Connections::Watched Connections::watch(GDBusConnection* connection, bool session,
                                        std::unique_ptr<WireCalls> wire) {
    Watched watched{std::make_shared<ConnectionBus>(connection, std::move(wire)), 0};
    // Emitted on this thread, whose context was the thread-default when the connection was made.
    const auto onClosed = session ? G_CALLBACK(+[](GDBusConnection*, gboolean, GError*, gpointer self) {
        static_cast<Connections*>(self)->sessionClosed();
    })
                                  : G_CALLBACK(+[](GDBusConnection*, gboolean, GError* error, gpointer self) {
                                        static_cast<Connections*>(self)->accessibilityClosed(oneLine(error));
                                    });
    watched.closedHandler = g_signal_connect(connection, "closed", onClosed, this);
    return watched;
}

void Connections::connectSession() {
    {
        std::lock_guard lock(mutex_);
        if (triedSession_)
            return;
        triedSession_ = true;
    }
    GError* raw = nullptr;
    GCharPtr address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &raw));
    GErrorPtr error(raw);
    std::string failure = oneLine(error.get());
    GObjectPtr<GDBusConnection> connection = address ? connectTo(address.get(), failure) : nullptr;
    std::lock_guard lock(mutex_);
    if (connection)
        session_ = watch(connection.get(), true);
    else
        sessionError_ = failure;
}

bool Connections::connectAccessibility() {
    connectSession();
    std::shared_ptr<ConnectionBus> session;
    {
        std::lock_guard lock(mutex_);
        triedAccessibility_ = true;
        session = session_.bus;
        if (!session || session->closed()) {
            accessibilityError_ = "Accessibility is unavailable: there is no D-Bus session bus (" + sessionError_ +
                                  "). Run Ondrel inside your desktop session, where DBUS_SESSION_BUS_ADDRESS is set.";
            return false;
        }
    }
    // Asked the way assistive technologies ask, so that a desktop which starts the bus on demand does.
    BusCall getAddress{"org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", nullptr, G_VARIANT_TYPE("(s)"),
                       true};
    const BusReply reply = session->call(std::move(getAddress), busLaunchTimeoutMs);
    std::string failure;
    GObjectPtr<GDBusConnection> connection;
    std::unique_ptr<WireCalls> wire;
    if (reply.value) {
        const gchar* address = nullptr;
        g_variant_get(reply.value.get(), "(&s)", &address);
        connection = connectTo(address, failure);
        // The reads' own connection; without it they go over GDBus's, only slower.
        if (connection)
            wire = WireCalls::open(address, busLaunchTimeoutMs);
    }
    std::shared_ptr<ConnectionBus> made;
    bool wasLost = false;
    {
        std::lock_guard lock(mutex_);
        if (!reply.value) {
            accessibilityError_ =
                "Accessibility is unavailable: nothing on the session bus provides the accessibility bus "
                "org.a11y.Bus (" +
                (reply.error.empty() ? std::string("no answer") : reply.error) +
                "). Install at-spi2-core (Debian and Ubuntu: sudo apt install at-spi2-core), then log out and in "
                "again.";
            return false;
        }
        if (!connection) {
            accessibilityError_ = "Accessibility is unavailable: the accessibility bus does not accept connections (" +
                                  failure + "). Log out and in again to restart it.";
            return false;
        }
        accessibility_ = watch(connection.get(), false, std::move(wire));
        made = accessibility_.bus;
        wasLost = std::exchange(lost_, false);
    }
    if (subscribe_)
        subscribe_(made);
    if (wasLost)
        report(ServiceEvent::restored, "The accessibility bus is back: Ondrel reads Velquin afresh.");
    return true;
}

void Connections::accessibilityClosed(const std::string& why) {
    bool sessionGone = false;
    {
        std::lock_guard lock(mutex_);
        if (lost_ || sessionEnded_)
            return;
        lost_ = true;
        sessionGone = !session_.bus || session_.bus->closed();
        accessibilityError_ = "Accessibility is unavailable: the accessibility bus went away (" + why + ").";
    }
    if (sessionGone) {
        sessionClosed();
        return;
    }
    report(ServiceEvent::lost, "Lost the accessibility bus (" + why + "): looking for it again every second.");
    thread_.every(retrySeconds, [this, alive = std::weak_ptr<bool>(alive_)] {
        const auto stillHere = alive.lock();
        if (!stillHere || !*stillHere)
            return false;
        {
            std::lock_guard lock(mutex_);
            if (sessionEnded_)
                return false;
        }
        return !connectAccessibility();
    });
}

void Connections::sessionClosed() {
    {
        std::lock_guard lock(mutex_);
        if (sessionEnded_)
            return;
        sessionEnded_ = true;
        accessibilityError_ = "Accessibility is unavailable: the desktop session ended.";
    }
    report(ServiceEvent::sessionEnded, "The desktop session ended (its session bus closed): Ondrel stops.");
}

std::optional<bool> Connections::switchedOn() {
    const auto bus = session();
    if (!bus)
        return std::nullopt;
    const BusReply reply = bus->call(statusCall("Get", g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"),
                                                G_VARIANT_TYPE("(v)")),
                                     dbusTimeoutMs);
    const GVariantPtr value = propertyValue(reply);
    if (!value || !g_variant_is_of_type(value.get(), G_VARIANT_TYPE_BOOLEAN))
        return std::nullopt;
    return g_variant_get_boolean(value.get()) != FALSE;
}

void Connections::switchOn() {
    // Only IsEnabled: ScreenReaderEnabled would make applications behave as if a screen reader ran.
    if (const auto bus = session()) {
        bus->call(statusCall("Set",
                             g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)),
                             nullptr),
                  dbusTimeoutMs);
    }
}

}  // namespace ondrel::atspi
