// SPDX-License-Identifier: MIT
#pragma once

// A connection of Ondrel's own to a D-Bus bus, for batches of calls, beside the GDBus connection that
// hears the bus's signals. GDBus hands every message to its worker thread and every reply back, which
// costs several times what the call costs the bus and the application; a tree read is thousands of
// calls. Here a batch's messages are written together and their replies read on the calling thread.
// GDBus still makes and reads the messages (GDBusMessage): only their carriage is this class's.

#include <gio/gio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/atspi/GLibHandles.h"

namespace ondrel::atspi {

class WireCalls {
public:
    // Connected to the bus at `address` and known to it (EXTERNAL authentication, which a desktop's bus
    // accepts from its own user, then Hello), or null when that fails within `timeoutMs`.
    static std::unique_ptr<WireCalls> open(const std::string& address, int timeoutMs);

    // Sends `messages`, whose serials it sets, and returns their replies in the same order: null for those
    // that did not come within `timeoutMs`, and for all once the connection is lost.
    std::vector<GObjectPtr<GDBusMessage>> exchange(const std::vector<GDBusMessage*>& messages, int timeoutMs);
    bool lost() const { return lost_; }

private:
    WireCalls(GObjectPtr<GIOStream> stream, int fd) : stream_(std::move(stream)), fd_(fd) {}
    // Authentication, line by line: false when the bus refuses or does not answer in time.
    bool authenticate(int timeoutMs);
    // Takes the whole messages out of what was received: the replies `wanted` (serial, index) go to
    // `replies` and out of `wanted`.
    void takeMessages(std::unordered_map<std::uint32_t, std::size_t>& wanted,
                      std::vector<GObjectPtr<GDBusMessage>>& replies);

    GObjectPtr<GIOStream> stream_;  // owns the socket
    int fd_;
    std::uint32_t serial_ = 0;
    std::string received_;  // bytes read that make no whole message yet
    bool lost_ = false;
};

}  // namespace ondrel::atspi
