// SPDX-License-Identifier: MIT
#pragma once

// Method calls over a D-Bus connection, one at a time or a whole batch in flight at once: a batch
// costs about one round trip however many calls it holds, which is what makes reading a tree level by
// level fast.

#include <gio/gio.h>

#include <string>
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
};

struct BusReply {
    GVariantPtr value;  // null when the call failed
    bool timedOut = false;
};

// A method call and its reply, or its failure; waits at most `timeoutMs`.
BusReply callMethod(GDBusConnection* connection, BusCall call, int timeoutMs);

// Every call sent before the first reply is awaited; replies in the order of `calls`. Each call waits
// at most `timeoutMs`, all of them at the same time.
std::vector<BusReply> callMethods(GDBusConnection* connection, std::vector<BusCall> calls, int timeoutMs);

// A floating GVariant made for a call, owned until the call takes it.
GVariantPtr parameters(GVariant* floating);

}  // namespace ondrel::atspi
