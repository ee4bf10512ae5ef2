// SPDX-License-Identifier: MIT
#include "platform/atspi/BusCalls.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace ondrel::atspi {
namespace {

// The replies a batch waits for, gathered by a connection filter on GDBus's own thread. Nothing of
// GLib's per-call machinery (a task and a main-context source per call) is involved: with thousands of
// calls in flight that machinery cost more than the calls themselves. The filter keeps a reference to
// every reply that passes while the batch lasts and lets each go on its way, so that no other caller's
// reply is ever taken, and a reply that comes before its call's serial is known is not missed.
struct Batch {
    std::mutex mutex;
    std::condition_variable arrived;
    std::unordered_map<guint32, GDBusMessage*> replies;  // by the serial they answer; owned references
    std::unordered_set<guint32> wanted;                  // the serials of the batch, once all are sent
    std::size_t missing = 0;                             // how many of those have no reply yet
    bool closed = false;  // a filter still running after its removal keeps nothing more
};

GDBusMessage* keepReply(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer data) {
    if (!incoming)
        return message;
    const GDBusMessageType type = g_dbus_message_get_message_type(message);
    if (type != G_DBUS_MESSAGE_TYPE_METHOD_RETURN && type != G_DBUS_MESSAGE_TYPE_ERROR)
        return message;
    auto& batch = **static_cast<std::shared_ptr<Batch>*>(data);
    const guint32 serial = g_dbus_message_get_reply_serial(message);
    std::lock_guard lock(batch.mutex);
    if (batch.closed || batch.replies.contains(serial))
        return message;
    batch.replies.emplace(serial, static_cast<GDBusMessage*>(g_object_ref(message)));
    if (batch.wanted.contains(serial) && --batch.missing == 0)
        batch.arrived.notify_all();
    return message;
}

}  // namespace

GVariantPtr parameters(GVariant* floating) {
    return floating != nullptr ? GVariantPtr(g_variant_ref_sink(floating)) : nullptr;
}

BusReply callMethod(GDBusConnection* connection, BusCall call, int timeoutMs) {
    BusReply reply;
    if (connection == nullptr)
        return reply;
    GError* raw = nullptr;
    reply.value.reset(g_dbus_connection_call_sync(connection, call.destination.c_str(), call.path.c_str(),
                                                  call.interface, call.method, call.parameters.get(), call.replyType,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, timeoutMs, nullptr, &raw));
    GErrorPtr error(raw);
    reply.timedOut = g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_TIMED_OUT);
    return reply;
}

std::vector<BusReply> callMethods(GDBusConnection* connection, std::vector<BusCall> calls, int timeoutMs) {
    std::vector<BusReply> replies(calls.size());
    if (connection == nullptr || calls.empty())
        return replies;
    auto batch = std::make_shared<Batch>();
    const guint filter = g_dbus_connection_add_filter(
        connection, keepReply, new std::shared_ptr<Batch>(batch),
        [](gpointer data) { delete static_cast<std::shared_ptr<Batch>*>(data); });

    std::vector<std::optional<guint32>> serials(calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const BusCall& call = calls[i];
        GObjectPtr<GDBusMessage> message(g_dbus_message_new_method_call(call.destination.c_str(), call.path.c_str(),
                                                                         call.interface, call.method));
        if (call.parameters)
            g_dbus_message_set_body(message.get(), call.parameters.get());
        g_dbus_message_set_flags(message.get(), G_DBUS_MESSAGE_FLAGS_NO_AUTO_START);
        guint32 serial = 0;
        if (g_dbus_connection_send_message(connection, message.get(), G_DBUS_SEND_MESSAGE_FLAGS_NONE, &serial,
                                           nullptr))
            serials[i] = serial;
    }
    {
        std::unique_lock lock(batch->mutex);
        for (const auto& serial : serials) {
            if (serial && batch->wanted.insert(*serial).second && !batch->replies.contains(*serial))
                ++batch->missing;
        }
        batch->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return batch->missing == 0; });
    }
    g_dbus_connection_remove_filter(connection, filter);

    std::lock_guard lock(batch->mutex);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (!serials[i])
            continue;
        const auto kept = batch->replies.find(*serials[i]);
        if (kept == batch->replies.end()) {
            replies[i].timedOut = true;
            continue;
        }
        GDBusMessage* reply = kept->second;
        if (g_dbus_message_get_message_type(reply) != G_DBUS_MESSAGE_TYPE_METHOD_RETURN)
            continue;
        GVariant* body = g_dbus_message_get_body(reply);
        const GVariantType* expected = calls[i].replyType != nullptr ? calls[i].replyType : G_VARIANT_TYPE_UNIT;
        if (body != nullptr && g_variant_is_of_type(body, expected))
            replies[i].value.reset(g_variant_ref(body));
        else if (body == nullptr && g_variant_type_equal(expected, G_VARIANT_TYPE_UNIT))
            replies[i].value.reset(g_variant_ref_sink(g_variant_new_tuple(nullptr, 0)));
    }
    for (auto& [serial, reply] : batch->replies)
        g_object_unref(reply);
    batch->replies.clear();
    batch->closed = true;
    return replies;
}

}  // namespace ondrel::atspi
