#include "platform/atspi/BusCalls.h"

#include <memory>

namespace ondrel::atspi {
namespace {

struct Pending {
    BusReply* reply;
    int* outstanding;
};

void onReply(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
    GError* raw = nullptr;
    pending->reply->value.reset(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &raw));
    GErrorPtr error(raw);
    pending->reply->timedOut = g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_TIMED_OUT);
    --*pending->outstanding;
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
    // Replies are dispatched to this context alone, so nothing else of the program runs meanwhile.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    int outstanding = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        BusCall& call = calls[i];
        ++outstanding;
        g_dbus_connection_call(connection, call.destination.c_str(), call.path.c_str(), call.interface, call.method,
                               call.parameters.get(), call.replyType, G_DBUS_CALL_FLAGS_NO_AUTO_START, timeoutMs,
                               nullptr, onReply, new Pending{&replies[i], &outstanding});
    }
    while (outstanding > 0)
        g_main_context_iteration(context, TRUE);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return replies;
}

}  // namespace ondrel::atspi
