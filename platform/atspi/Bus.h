// SPDX-License-Identifier: MIT
#pragma once

// The D-Bus calls the backend makes, behind one narrow seam: a desktop's bus in the product, a scripted
// tree in tests. A batch of calls is sent before the first reply is awaited, so it costs about one round
// trip however many calls it holds: that is what makes reading a tree level by level fast.

#include <gio/gio.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/atspi/GLibHandles.h"

namespace ondrel::atspi {

struct BusCall {
    std::string destination;
    std::string path;
    const char* interface;
    const char* method;
    GVariantPtr parameters;  // may be null
    const GVariantType* replyType;
    bool startsService = false;  // whether the bus may start the destination to answer it
};

struct BusReply {
    GVariantPtr value;  // null when the call failed
    bool timedOut = false;
    std::string error;  // the D-Bus error's name, when the call failed with one
};

class Bus {
public:
    virtual ~Bus() = default;
    // Replies in the order of `calls`; each call waits at most `timeoutMs`, all of them at the same time.
    virtual std::vector<BusReply> callAll(std::vector<BusCall> calls, int timeoutMs) = 0;

    BusReply call(BusCall call, int timeoutMs) {
        std::vector<BusCall> calls;
        calls.push_back(std::move(call));
        return std::move(callAll(std::move(calls), timeoutMs).front());
    }
};

// A floating GVariant made for a call, owned until the call takes it.
inline GVariantPtr parameters(GVariant* floating) {
    return floating != nullptr ? GVariantPtr(g_variant_ref_sink(floating)) : nullptr;
}

// The value inside a reply to org.freedesktop.DBus.Properties.Get ("(v)"); null when it failed.
inline GVariantPtr propertyValue(const BusReply& reply) {
    if (!reply.value)
        return nullptr;
    GVariantPtr boxed(g_variant_get_child_value(reply.value.get(), 0));
    return GVariantPtr(g_variant_get_variant(boxed.get()));
}

inline BusCall propertyCall(std::string destination, std::string path, const char* interface,
                            const char* property) {
    return {std::move(destination),
            std::move(path),
            "org.freedesktop.DBus.Properties",
            "Get",
            parameters(g_variant_new("(ss)", interface, property)),
            G_VARIANT_TYPE("(v)")};
}

}  // namespace ondrel::atspi
