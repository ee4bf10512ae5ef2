// SPDX-License-Identifier: MIT
#include "platform/atspi/ChangeWatch.h"

#include <array>
#include <future>

#include "platform/atspi/AtspiProtocol.h"
#include "platform/atspi/BusCalls.h"

namespace ondrel::atspi {
namespace {

constexpr std::array<const char*, 6> registeredEvents = {
    "object:children-changed", "object:state-changed", "window:create",
    "window:destroy",          "window:minimize",      "window:restore",
};
constexpr std::array<std::string_view, 6> structuralStates = {"enabled", "sensitive", "showing",
                                                              "visible", "iconified", "defunct"};

}  // namespace

bool ChangeWatch::changesWhatIsFound(std::string_view interface, std::string_view member, std::string_view detail,
                                     int set) {
    if (interface == "org.a11y.atspi.Event.Window")
        return member == "Create" || member == "Destroy" || member == "Minimize" || member == "Restore";
    if (interface != "org.a11y.atspi.Event.Object")
        return false;
    if (member == "ChildrenChanged")
        return true;
    if (member == "StateChanged") {
        // "defunct" cleared is an element coming to be for an assistive technology that asked after it
        // (GTK makes them as they are first read, thousands at once): the tree itself is as it was.
        if (detail == "defunct")
            return set != 0;
        for (std::string_view state : structuralStates) {
            if (detail == state)
                return true;
        }
    }
    return false;
}

ChangeWatch::ChangeWatch(GDBusConnection* bus)
    : bus_(bus), context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {
    g_object_ref(bus_);
    // The promise is shared with the thread, so that it lives until both are done with it.
    auto subscribed = std::make_shared<std::promise<void>>();
    std::future<void> done = subscribed->get_future();
    thread_ = std::thread([this, subscribed] {
        g_main_context_push_thread_default(context_);
        // Subscribed here so that the signals are dispatched on this thread's context.
        for (const char* interface : {"org.a11y.atspi.Event.Object", "org.a11y.atspi.Event.Window"}) {
            g_dbus_connection_signal_subscribe(bus_, nullptr, interface, nullptr, nullptr, nullptr,
                                               G_DBUS_SIGNAL_FLAGS_NONE, onSignal, this, nullptr);
        }
        subscribed->set_value();
        run();
        g_main_context_pop_thread_default(context_);
    });
    done.wait();
    // Applications send these only while some client has asked the registry for them.
    for (const char* event : registeredEvents) {
        callMethod(bus_,
                   {registryName, registryPath, "org.a11y.atspi.Registry", "RegisterEvent",
                    parameters(g_variant_new("(s@ass)", event, g_variant_new_strv(nullptr, 0), "")), nullptr},
                   dbusTimeoutMs);
    }
}

ChangeWatch::~ChangeWatch() {
    // Quit from inside the loop, which may not have started running yet.
    GSource* quit = g_idle_source_new();
    g_source_set_callback(
        quit,
        [](gpointer loop) {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop_, nullptr);
    g_source_attach(quit, context_);
    g_source_unref(quit);
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
    g_object_unref(bus_);
}

void ChangeWatch::run() {
    g_main_loop_run(loop_);
}

void ChangeWatch::setListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void ChangeWatch::follow(const std::string& busName, ProcessId process) {
    std::lock_guard lock(mutex_);
    followed_[busName] = process;
}

void ChangeWatch::onSignal(GDBusConnection*, const gchar* sender, const gchar* path, const gchar* interface,
                           const gchar* member, GVariant* parameters, gpointer data) {
    auto* watch = static_cast<ChangeWatch*>(data);
    // Every event carries (detail, detail1, detail2, value, properties); other signals carry less.
    std::string_view detail;
    gint32 set = 0;
    const gsize fields = g_variant_n_children(parameters);
    if (fields > 0) {
        GVariantPtr first(g_variant_get_child_value(parameters, 0));
        if (g_variant_is_of_type(first.get(), G_VARIANT_TYPE_STRING))
            detail = g_variant_get_string(first.get(), nullptr);  // lives in `parameters`
    }
    if (fields > 1) {
        GVariantPtr second(g_variant_get_child_value(parameters, 1));
        if (g_variant_is_of_type(second.get(), G_VARIANT_TYPE_INT32))
            set = g_variant_get_int32(second.get());
    }
    if (!changesWhatIsFound(interface, member, detail, set))
        return;
    Listener listener;
    ProcessId process = 0;
    {
        std::lock_guard lock(watch->mutex_);
        const auto followed = watch->followed_.find(sender != nullptr ? sender : "");
        if (followed == watch->followed_.end() || !watch->listener_)
            return;
        process = followed->second;
        listener = watch->listener_;
    }
    const bool died = detail == "defunct";
    listener(process, sender, died || path == nullptr ? "" : path);
}

}  // namespace ondrel::atspi
