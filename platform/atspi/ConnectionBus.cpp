// SPDX-License-Identifier: MIT
#include "platform/atspi/ConnectionBus.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace ondrel::atspi {

struct ConnectionBus::Batch {
    std::unordered_map<std::uint32_t, GObjectPtr<GDBusMessage>> replies;  // by the serial they answer
    std::unordered_set<std::uint32_t> wanted;                             // the batch's serials, once sent
    std::size_t missing = 0;                                              // how many of those have no reply
};

struct ConnectionBus::Shared {
    std::mutex mutex;
    std::condition_variable arrived;
    Batch* batch = nullptr;  // the batch in hand, if any
};

// Every reply that passes while a batch lasts is kept by it and let on its way, so that no other
// caller's reply is ever taken.
GDBusMessage* ConnectionBus::keepReply(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer data) {
    if (!incoming)
        return message;
    const GDBusMessageType type = g_dbus_message_get_message_type(message);
    if (type != G_DBUS_MESSAGE_TYPE_METHOD_RETURN && type != G_DBUS_MESSAGE_TYPE_ERROR)
        return message;
    auto& shared = **static_cast<std::shared_ptr<ConnectionBus::Shared>*>(data);
    std::lock_guard lock(shared.mutex);
    if (shared.batch == nullptr)
        return message;
    const std::uint32_t serial = g_dbus_message_get_reply_serial(message);
    auto& batch = *shared.batch;
    if (batch.replies.contains(serial))
        return message;
    batch.replies.emplace(serial, GObjectPtr<GDBusMessage>(static_cast<GDBusMessage*>(g_object_ref(message))));
    if (batch.wanted.contains(serial) && --batch.missing == 0)
        shared.arrived.notify_all();
    return message;
}

namespace {

GObjectPtr<GDBusMessage> messageFor(const BusCall& call) {
    GObjectPtr<GDBusMessage> message(
        g_dbus_message_new_method_call(call.destination.c_str(), call.path.c_str(), call.interface, call.method));
    if (call.parameters)
        g_dbus_message_set_body(message.get(), call.parameters.get());
    if (!call.startsService)
        g_dbus_message_set_flags(message.get(), G_DBUS_MESSAGE_FLAGS_NO_AUTO_START);
    return message;
}

BusReply replyFrom(GDBusMessage* message, const BusCall& call) {
    BusReply reply;
    if (g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_RETURN) {
        const gchar* name = g_dbus_message_get_error_name(message);
        reply.error = name != nullptr ? name : "";
        return reply;
    }
    GVariant* body = g_dbus_message_get_body(message);
    const GVariantType* expected = call.replyType != nullptr ? call.replyType : G_VARIANT_TYPE_UNIT;
    if (body != nullptr && g_variant_is_of_type(body, expected))
        reply.value.reset(g_variant_ref(body));
    else if (body == nullptr && g_variant_type_equal(expected, G_VARIANT_TYPE_UNIT))
        reply.value.reset(g_variant_ref_sink(g_variant_new_tuple(nullptr, 0)));
    else
        reply.error = "org.freedesktop.DBus.Error.InvalidSignature";
    return reply;
}

}  // namespace

ConnectionBus::ConnectionBus(GDBusConnection* connection, std::unique_ptr<WireCalls> wire)
    : connection_(static_cast<GDBusConnection*>(g_object_ref(connection))),
      shared_(std::make_shared<Shared>()),
      wire_(std::move(wire)) {
    filter_ = g_dbus_connection_add_filter(connection_, keepReply, new std::shared_ptr<Shared>(shared_),
                                           [](gpointer data) { delete static_cast<std::shared_ptr<Shared>*>(data); });
}

ConnectionBus::~ConnectionBus() {
    g_dbus_connection_remove_filter(connection_, filter_);
    g_object_unref(connection_);
}

std::vector<BusReply> ConnectionBus::callAll(std::vector<BusCall> calls, int timeoutMs) {
    std::vector<BusReply> replies(calls.size());
    if (calls.empty())
        return replies;
    std::lock_guard turn(turn_);
    if (wire_ && !wire_->lost())
        return callOverWire(calls, timeoutMs);
    Batch batch;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->batch = &batch;
    }
    std::vector<std::uint32_t> serials(calls.size(), 0);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        GObjectPtr<GDBusMessage> message = messageFor(calls[i]);
        guint32 serial = 0;
        if (g_dbus_connection_send_message(connection_, message.get(), G_DBUS_SEND_MESSAGE_FLAGS_NONE, &serial,
                                           nullptr))
            serials[i] = serial;
        else
            replies[i].error = "org.freedesktop.DBus.Error.Disconnected";
    }
    std::unique_lock lock(shared_->mutex);
    for (std::uint32_t serial : serials) {
        if (serial != 0 && batch.wanted.insert(serial).second && !batch.replies.contains(serial))
            ++batch.missing;
    }
    shared_->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return batch.missing == 0; });
    shared_->batch = nullptr;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (serials[i] == 0)
            continue;
        const auto kept = batch.replies.find(serials[i]);
        if (kept == batch.replies.end()) {
            replies[i].timedOut = true;
            replies[i].error = "org.freedesktop.DBus.Error.NoReply";
        } else {
            replies[i] = replyFrom(kept->second.get(), calls[i]);
        }
    }
    return replies;
}

std::vector<BusReply> ConnectionBus::callOverWire(const std::vector<BusCall>& calls, int timeoutMs) {
    std::vector<GObjectPtr<GDBusMessage>> messages;
    std::vector<GDBusMessage*> sent;
    for (const BusCall& call : calls) {
        messages.push_back(messageFor(call));
        sent.push_back(messages.back().get());
    }
    const std::vector<GObjectPtr<GDBusMessage>> answers = wire_->exchange(sent, timeoutMs);
    std::vector<BusReply> replies(calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (answers[i]) {
            replies[i] = replyFrom(answers[i].get(), calls[i]);
        } else if (wire_->lost()) {
            // Not sent again over GDBus: a press may have been done before the connection went.
            replies[i].error = "org.freedesktop.DBus.Error.Disconnected";
        } else {
            replies[i].timedOut = true;
            replies[i].error = "org.freedesktop.DBus.Error.NoReply";
        }
    }
    return replies;
}

}  // namespace ondrel::atspi
