// SPDX-License-Identifier: MIT
#include "platform/atspi/WireCalls.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <unordered_map>

namespace ondrel::atspi {
namespace {

using Clock = std::chrono::steady_clock;

// A D-Bus message's fixed header: enough to tell the whole message's length.
constexpr std::size_t headerBytes = 16;

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until `deadline`; the events that came, or 0.
short await(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd ready{fd, events, 0};
        const int count = ::poll(&ready, 1, millisecondsUntil(deadline));
        if (count > 0)
            return ready.revents;
        if (count == 0 || errno != EINTR)
            return 0;
    }
}

bool sendAll(int fd, const std::string& bytes, Clock::time_point deadline) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        if ((await(fd, POLLOUT, deadline) & POLLOUT) == 0)
            return false;
        const ssize_t count = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        sent += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return true;
}

std::string hex(const std::string& text) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string result;
    for (unsigned char c : text) {
        result += digits[c >> 4];
        result += digits[c & 0xF];
    }
    return result;
}

}  // namespace

std::unique_ptr<WireCalls> WireCalls::open(const std::string& address, int timeoutMs) {
    GError* raw = nullptr;
    GObjectPtr<GIOStream> stream(g_dbus_address_get_stream_sync(address.c_str(), nullptr, nullptr, &raw));
    GErrorPtr error(raw);
    if (!stream || !G_IS_SOCKET_CONNECTION(stream.get()))
        return nullptr;
    const int fd = g_socket_get_fd(g_socket_connection_get_socket(G_SOCKET_CONNECTION(stream.get())));
    std::unique_ptr<WireCalls> wire(new WireCalls(std::move(stream), fd));
    if (!wire->authenticate(timeoutMs))
        return nullptr;
    GObjectPtr<GDBusMessage> hello(g_dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                                  "org.freedesktop.DBus", "Hello"));
    const auto replies = wire->exchange({hello.get()}, timeoutMs);
    if (!replies.front() || g_dbus_message_get_message_type(replies.front().get()) != G_DBUS_MESSAGE_TYPE_METHOD_RETURN)
        return nullptr;
    return wire;
}

bool WireCalls::authenticate(int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // The bus knows who connects from the socket itself; the identity claimed must match it.
    const std::string greeting = std::string(1, '\0') + "AUTH EXTERNAL " + hex(std::to_string(::getuid())) + "\r\n";
    if (!sendAll(fd_, greeting, deadline))
        return false;
    std::string line;
    while (line.find("\r\n") == std::string::npos) {
        if ((await(fd_, POLLIN, deadline) & (POLLIN | POLLHUP | POLLERR)) == 0)
            return false;
        char chunk[256];
        const ssize_t count = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR) || line.size() > 4096)
            return false;
        line.append(chunk, count > 0 ? static_cast<std::size_t>(count) : 0);
    }
    return line.starts_with("OK ") && sendAll(fd_, "BEGIN\r\n", deadline);
}

std::vector<GObjectPtr<GDBusMessage>> WireCalls::exchange(const std::vector<GDBusMessage*>& messages, int timeoutMs) {
    std::vector<GObjectPtr<GDBusMessage>> replies(messages.size());
    if (lost_)
        return replies;
    std::string out;
    std::unordered_map<std::uint32_t, std::size_t> wanted;  // the replies still to come: serial, index
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (++serial_ == 0)
            serial_ = 1;
        g_dbus_message_set_serial(messages[i], serial_);
        gsize size = 0;
        GError* raw = nullptr;
        GCharPtr blob(reinterpret_cast<gchar*>(
            g_dbus_message_to_blob(messages[i], &size, G_DBUS_CAPABILITY_FLAGS_NONE, &raw)));
        GErrorPtr error(raw);
        if (!blob)
            continue;  // not a message the bus could take: no reply
        out.append(blob.get(), size);
        wanted.emplace(serial_, i);
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Writing and reading go together: a bus that cannot hand over replies stops reading calls.
    std::size_t written = 0;
    while ((written < out.size() || !wanted.empty()) && !lost_) {
        const short events = await(fd_, static_cast<short>(POLLIN | (written < out.size() ? POLLOUT : 0)), deadline);
        if (events == 0)
            break;
        if ((events & POLLOUT) != 0) {
            const ssize_t count =
                ::send(fd_, out.data() + written, out.size() - written, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (count < 0 && errno != EAGAIN && errno != EINTR)
                lost_ = true;
            written += count > 0 ? static_cast<std::size_t>(count) : 0;
        }
        if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char chunk[65536];
            const ssize_t count = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
            if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
                lost_ = true;
            received_.append(chunk, count > 0 ? static_cast<std::size_t>(count) : 0);
            takeMessages(wanted, replies);
        }
    }
    // A message cut short would garble every later one: the connection is given up.
    if (written < out.size())
        lost_ = true;
    if (lost_) {
        for (auto& reply : replies)
            reply.reset();
    }
    return replies;
}

void WireCalls::takeMessages(std::unordered_map<std::uint32_t, std::size_t>& wanted,
                             std::vector<GObjectPtr<GDBusMessage>>& replies) {
    std::size_t at = 0;
    while (received_.size() - at >= headerBytes) {
        auto* data = reinterpret_cast<guchar*>(received_.data() + at);
        const gssize needed = g_dbus_message_bytes_needed(data, headerBytes, nullptr);
        if (needed <= 0) {
            lost_ = true;
            break;
        }
        if (received_.size() - at < static_cast<std::size_t>(needed))
            break;
        GObjectPtr<GDBusMessage> message(
            g_dbus_message_new_from_blob(data, static_cast<gsize>(needed), G_DBUS_CAPABILITY_FLAGS_NONE, nullptr));
        at += static_cast<std::size_t>(needed);
        if (!message)
            continue;
        // Signals (the bus's NameAcquired) and the replies to calls that timed out earlier are let go.
        const GDBusMessageType type = g_dbus_message_get_message_type(message.get());
        if (type != G_DBUS_MESSAGE_TYPE_METHOD_RETURN && type != G_DBUS_MESSAGE_TYPE_ERROR)
            continue;
        const auto reply = wanted.find(g_dbus_message_get_reply_serial(message.get()));
        if (reply == wanted.end())
            continue;
        replies[reply->second] = std::move(message);
        wanted.erase(reply);
    }
    received_.erase(0, at);
}

}  // namespace ondrel::atspi
