// SPDX-License-Identifier: MIT
#pragma once

// Changes in the trees of the applications Ondrel follows, as AT-SPI events: children added or removed,
// states that decide what can be pressed, windows opened, closed, minimized or restored, and names and
// texts changed. Only the followed applications' events are listened to (the bus hands Ondrel nothing of
// the others, however busy); they arrive on the bus thread and are handed on as "this element changed".
// The registry keeps what was asked for only while it runs: whenever one appears, the events are asked
// for again. Applications joining or leaving the bus, and the registry's own list changing, say which
// applications there are may have changed.

#include <gio/gio.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/BusThread.h"
#include "platform/atspi/ConnectionBus.h"

namespace ondrel::atspi {

class ChangeWatch {
public:
    struct Listeners {
        // An object of a followed application changed; none named when the change reaches beyond one
        // object (events missed).
        std::function<void(const Change& change)> changed;
        // Which applications there are may have changed.
        std::function<void()> applicationsChanged;
    };

    explicit ChangeWatch(BusThread& thread) : thread_(thread) {}
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // On the bus thread: listens on `bus`, a new accessibility connection, and asks the registry for the
    // events. What was followed over an earlier connection is forgotten.
    void subscribe(const std::shared_ptr<ConnectionBus>& bus);
    void setListeners(Listeners listeners);
    // Events sent by `busName` are changes of `process` from now on.
    void follow(const std::string& busName, ProcessId process);

    // What an event of this interface, member and detail ("Object", "StateChanged", "enabled") can
    // change; none for events that change nothing a walk reads.
    static std::optional<ChangeKind> changeKindOf(std::string_view interface, std::string_view member,
                                                  std::string_view detail);

private:
    static void onEvent(GDBusConnection* connection, const gchar* sender, const gchar* path, const gchar* interface,
                        const gchar* member, GVariant* parameters, gpointer watch);
    static void onOwnerChanged(GDBusConnection* connection, const gchar* sender, const gchar* path,
                               const gchar* interface, const gchar* member, GVariant* parameters, gpointer watch);
    // The child a children-changed event names (its path), or "".
    static std::string childOf(GVariant* parameters);
    // The change an event of a followed application's object reports.
    static Change changeOf(ProcessId process, const gchar* sender, const gchar* path, std::string_view member,
                           std::string_view detail, ChangeKind kind, GVariant* parameters);
    // On the bus thread: whether the event tells only what a change of its parent already told.
    bool coveredByItsParent(std::string_view member, std::string_view detail, const gchar* path,
                            GVariant* parameters);
    void askForEvents();
    void unsubscribe();
    void changedEverywhere();
    // On the bus thread: listens to the events of `busName`, or no longer.
    void listenTo(const std::string& busName);
    void stopListeningTo(const std::string& busName);

    BusThread& thread_;
    std::shared_ptr<ConnectionBus> bus_;  // on the bus thread only
    std::vector<guint> subscriptions_;    // on the bus thread only
    std::map<std::string, std::vector<guint>, std::less<>> listened_;  // by bus name; on the bus thread only
    static constexpr std::size_t recentlyAddedAtMost = 4096;
    std::set<std::string, std::less<>> recentlyAdded_;  // children reported added; on the bus thread only
    std::mutex mutex_;
    Listeners listeners_;
    std::map<std::string, ProcessId, std::less<>> followed_;
};

}  // namespace ondrel::atspi
