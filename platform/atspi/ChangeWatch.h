// SPDX-License-Identifier: MIT
#pragma once

// Changes in the trees of the applications Ondrel follows, as AT-SPI events: children added or
// removed, states that decide what can be pressed, windows opened, closed, minimized or restored.
// Events are received on a thread of the watch's own and handed on as "this process changed"; noisy
// kinds (text, names, focus) are never asked for.

#include <gio/gio.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "core/Accessibility.h"

namespace ondrel::atspi {

class ChangeWatch {
public:
    // Asks the registry for the events and starts receiving them over `bus`.
    explicit ChangeWatch(GDBusConnection* bus);
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // Called on the watch's thread for every change of a followed application: its process, its name
    // on the bus and the path of the object that changed, empty when the change reaches beyond that
    // object (one that died: the lists that hold it are out of date too).
    using Listener = std::function<void(ProcessId process, const std::string& busName, const std::string& path)>;
    void setListener(Listener listener);
    // Events sent by `busName` are changes of `process` from now on.
    void follow(const std::string& busName, ProcessId process);

    // Whether an event of this interface, member, detail and first number ("Object", "StateChanged",
    // "enabled", 1 for set) can change what a walk finds.
    static bool changesWhatIsFound(std::string_view interface, std::string_view member, std::string_view detail,
                                   int set);

private:
    static void onSignal(GDBusConnection* connection, const gchar* sender, const gchar* path, const gchar* interface,
                         const gchar* member, GVariant* parameters, gpointer watch);
    void run();

    GDBusConnection* bus_;
    GMainContext* context_;
    GMainLoop* loop_;
    std::mutex mutex_;
    Listener listener_;
    std::map<std::string, ProcessId, std::less<>> followed_;
    std::thread thread_;
};

}  // namespace ondrel::atspi
