// SPDX-License-Identifier: MIT
#include "platform/atspi/ChangeWatch.h"

#include <array>

#include "platform/atspi/AtspiElement.h"
#include "platform/atspi/AtspiProtocol.h"

namespace ondrel::atspi {
namespace {

constexpr std::array<const char*, 9> registeredEvents = {
    "object:children-changed",
    "object:state-changed",
    "object:property-change:accessible-name",
    "object:property-change:accessible-description",
    "object:text-changed",
    "window:create",
    "window:destroy",
    "window:minimize",
    "window:restore",
};
// What an element dying says (GTK's "defunct", hundreds a second in a stream of changes) its parent's list
// of children says too: those states are not listened to.
constexpr std::array<std::string_view, 5> structuralStates = {"enabled", "sensitive", "showing", "visible",
                                                              "iconified"};

// The detail of an event's (detail, detail1, detail2, value, properties).
std::string detailOf(GVariant* parameters) {
    if (g_variant_n_children(parameters) == 0)
        return {};
    GVariantPtr first(g_variant_get_child_value(parameters, 0));
    return g_variant_is_of_type(first.get(), G_VARIANT_TYPE_STRING) ? g_variant_get_string(first.get(), nullptr) : "";
}

}  // namespace

std::optional<ChangeKind> ChangeWatch::changeKindOf(std::string_view interface, std::string_view member,
                                                    std::string_view detail) {
    if (interface == "org.a11y.atspi.Event.Window") {
        if (member == "Create" || member == "Destroy" || member == "Minimize" || member == "Restore")
            return ChangeKind::structure;
        return std::nullopt;
    }
    if (interface != "org.a11y.atspi.Event.Object")
        return std::nullopt;
    if (member == "ChildrenChanged")
        return ChangeKind::structure;
    if (member == "TextChanged" ||
        (member == "PropertyChange" && (detail == "accessible-name" || detail == "accessible-description")))
        return ChangeKind::text;
    if (member == "StateChanged") {
        for (std::string_view state : structuralStates) {
            if (detail == state)
                return ChangeKind::structure;
        }
    }
    return std::nullopt;
}

ChangeWatch::~ChangeWatch() {
    thread_.invoke([this] { unsubscribe(); });
}

void ChangeWatch::unsubscribe() {
    if (bus_) {
        for (guint subscription : subscriptions_)
            g_dbus_connection_signal_unsubscribe(bus_->connection(), subscription);
        for (const auto& [busName, subscriptions] : listened_) {
            for (guint subscription : subscriptions)
                g_dbus_connection_signal_unsubscribe(bus_->connection(), subscription);
        }
    }
    subscriptions_.clear();
    listened_.clear();
    bus_.reset();
}

void ChangeWatch::listenTo(const std::string& busName) {
    if (!bus_ || listened_.contains(busName))
        return;
    std::vector<guint>& subscriptions = listened_[busName];
    // Only the kinds and details that change what is read: the bus passes on nothing else (the states
    // that come and go as the user works, focused, armed, selected, never reach Ondrel).
    const auto subscribe = [&](const char* interface, const char* member, const char* detail) {
        subscriptions.push_back(g_dbus_connection_signal_subscribe(bus_->connection(), busName.c_str(), interface,
                                                                   member, nullptr, detail, G_DBUS_SIGNAL_FLAGS_NONE,
                                                                   onEvent, this, nullptr));
    };
    constexpr const char* object = "org.a11y.atspi.Event.Object";
    subscribe(object, "ChildrenChanged", nullptr);
    subscribe(object, "TextChanged", nullptr);
    for (std::string_view state : structuralStates)
        subscribe(object, "StateChanged", std::string(state).c_str());
    for (const char* property : {"accessible-name", "accessible-description"})
        subscribe(object, "PropertyChange", property);
    subscribe("org.a11y.atspi.Event.Window", nullptr, nullptr);
}

void ChangeWatch::stopListeningTo(const std::string& busName) {
    const auto listened = listened_.find(busName);
    if (listened == listened_.end())
        return;
    for (guint subscription : listened->second)
        g_dbus_connection_signal_unsubscribe(bus_->connection(), subscription);
    listened_.erase(listened);
}

void ChangeWatch::subscribe(const std::shared_ptr<ConnectionBus>& bus) {
    unsubscribe();
    {
        std::lock_guard lock(mutex_);
        followed_.clear();  // names on an earlier bus mean nothing on this one
    }
    bus_ = bus;
    GDBusConnection* connection = bus->connection();
    // The registry tells of applications registering as a change of its root's children.
    subscriptions_.push_back(g_dbus_connection_signal_subscribe(connection, registryName, "org.a11y.atspi.Event.Object",
                                                                "ChildrenChanged", applicationRootPath, nullptr,
                                                                G_DBUS_SIGNAL_FLAGS_NONE, onEvent, this, nullptr));
    subscriptions_.push_back(g_dbus_connection_signal_subscribe(
        connection, "org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged", "/org/freedesktop/DBus",
        nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onOwnerChanged, this, nullptr));
    askForEvents();
}

void ChangeWatch::askForEvents() {
    // Applications send events only while some client has asked the registry for them; asking starts the
    // registry where the bus starts it on demand.
    std::vector<BusCall> calls;
    for (const char* event : registeredEvents) {
        calls.push_back({registryName, registryPath, "org.a11y.atspi.Registry", "RegisterEvent",
                         parameters(g_variant_new("(s@ass)", event, g_variant_new_strv(nullptr, 0), "")), nullptr,
                         true});
    }
    if (bus_)
        bus_->callAll(std::move(calls), dbusTimeoutMs);
}

void ChangeWatch::setListeners(Listeners listeners) {
    std::lock_guard lock(mutex_);
    listeners_ = std::move(listeners);
}

void ChangeWatch::follow(const std::string& busName, ProcessId process) {
    {
        std::lock_guard lock(mutex_);
        if (!followed_.insert_or_assign(busName, process).second)
            return;
    }
    thread_.post([this, busName] { listenTo(busName); });
}

void ChangeWatch::changedEverywhere() {
    std::vector<std::pair<std::string, ProcessId>> followed;
    Listeners listeners;
    {
        std::lock_guard lock(mutex_);
        followed.assign(followed_.begin(), followed_.end());
        listeners = listeners_;
    }
    if (listeners.applicationsChanged)
        listeners.applicationsChanged();
    if (listeners.changed) {
        for (const auto& [busName, process] : followed)
            listeners.changed({.process = process});
    }
}

std::string ChangeWatch::childOf(GVariant* parameters) {
    if (g_variant_n_children(parameters) < 4)
        return {};
    GVariantPtr boxed(g_variant_get_child_value(parameters, 3));
    GVariantPtr child(g_variant_get_variant(boxed.get()));
    if (!g_variant_is_of_type(child.get(), G_VARIANT_TYPE("(so)")))
        return {};
    const gchar* path = nullptr;
    g_variant_get_child(child.get(), 1, "&o", &path);
    return path;
}

bool ChangeWatch::coveredByItsParent(std::string_view member, std::string_view detail, const gchar* path,
                                     GVariant* parameters) {
    // GTK tells of a new child twice: as its parent's children changing (which has the parent's list read
    // again, the new child with it) and as the child being shown. The second is nothing more to read.
    if (member == "ChildrenChanged" && detail.starts_with("add")) {
        if (recentlyAdded_.size() >= recentlyAddedAtMost)
            recentlyAdded_.clear();
        recentlyAdded_.insert(childOf(parameters));
        return false;
    }
    return member == "StateChanged" && (detail == "showing" || detail == "visible") && path != nullptr &&
           recentlyAdded_.contains(path);
}

void ChangeWatch::onOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                 GVariant* parameters, gpointer data) {
    auto* watch = static_cast<ChangeWatch*>(data);
    const gchar* name = nullptr;
    const gchar* oldOwner = nullptr;
    const gchar* newOwner = nullptr;
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sss)")))
        return;
    g_variant_get(parameters, "(&s&s&s)", &name, &oldOwner, &newOwner);
    if (std::string_view(name) == registryName) {
        if (*newOwner != '\0') {
            // A registry appeared (started after Ondrel, or again): it knows of no events asked for, and
            // what was sent meanwhile went nowhere.
            watch->askForEvents();
            watch->changedEverywhere();
        }
        return;
    }
    if (name[0] != ':')
        return;  // applications are known by their unique names
    Listeners listeners;
    {
        std::lock_guard lock(watch->mutex_);
        listeners = watch->listeners_;
        if (*newOwner == '\0')
            watch->followed_.erase(std::string(name));
    }
    if (*newOwner == '\0')
        watch->stopListeningTo(name);
    if (listeners.applicationsChanged)
        listeners.applicationsChanged();
}

void ChangeWatch::onEvent(GDBusConnection*, const gchar* sender, const gchar* path, const gchar* interface,
                          const gchar* member, GVariant* parameters, gpointer data) {
    auto* watch = static_cast<ChangeWatch*>(data);
    const std::string detail = detailOf(parameters);
    const std::optional<ChangeKind> kind = changeKindOf(interface, member, detail);
    if (!kind || watch->coveredByItsParent(member, detail, path, parameters))
        return;
    Listeners listeners;
    ProcessId process = 0;
    bool followed = false;
    {
        std::lock_guard lock(watch->mutex_);
        listeners = watch->listeners_;
        if (const auto found = watch->followed_.find(sender != nullptr ? sender : ""); found != watch->followed_.end()) {
            process = found->second;
            followed = true;
        }
    }
    // The registry's list of applications, or an application's list of windows, changed.
    if (std::string_view(member) == "ChildrenChanged" && path != nullptr &&
        std::string_view(path) == applicationRootPath && listeners.applicationsChanged)
        listeners.applicationsChanged();
    if (!followed || !listeners.changed)
        return;
    listeners.changed(changeOf(process, sender, path, member, detail, *kind, parameters));
}

Change ChangeWatch::changeOf(ProcessId process, const gchar* sender, const gchar* path, std::string_view member,
                             std::string_view detail, ChangeKind kind, GVariant* parameters) {
    const auto busName = std::make_shared<const std::string>(sender);
    Change change{.process = process, .kind = kind};
    if (path != nullptr)
        change.element = std::make_shared<AtspiElement>(busName, path, process, false);
    // A child put in or taken out, named with its place: the parent's list is known as it is now from what
    // was known of it before, and a child taken out is gone for good.
    const std::string child = member == "ChildrenChanged" ? childOf(parameters) : "";
    if (child.empty() || path == nullptr)
        return change;
    GVariantPtr first(g_variant_get_child_value(parameters, 1));
    const gint32 position = g_variant_is_of_type(first.get(), G_VARIANT_TYPE_INT32) ? g_variant_get_int32(first.get()) : -1;
    if (detail.starts_with("remove")) {
        change.kind = ChangeKind::removed;
    } else if (detail.starts_with("add") && position >= 0) {
        change.kind = ChangeKind::added;
        change.position = static_cast<std::size_t>(position);
    } else {
        return change;
    }
    change.child = std::make_shared<AtspiElement>(busName, child, process, false);
    return change;
}

}  // namespace ondrel::atspi
