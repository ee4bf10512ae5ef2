// SPDX-License-Identifier: MIT
// Ondrel's own connection to a bus, against a bus daemon of the test's own: a batch far larger than the
// socket's buffers comes back whole and in order, a call the bus refuses comes back as its error, and a
// bus that goes away loses the connection at once rather than holding the caller.

#include "platform/atspi/WireCalls.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <utility>

#include "tests/support/RunProgram.h"

namespace ondrel::atspi {
namespace {

class Wire : public testing::Test {
protected:
    void SetUp() override {
        const auto bus = testing_support::runProgram("/usr/bin/dbus-daemon",
                                                     {"--session", "--fork", "--print-address=1", "--print-pid=1"});
        std::istringstream printed(bus.out);
        printed >> address >> daemon;
        ASSERT_FALSE(address.empty());
    }
    void TearDown() override {
        if (daemon > 1)
            ::kill(daemon, SIGTERM);
    }

    std::string address;
    pid_t daemon = -1;
};

GObjectPtr<GDBusMessage> busCall(const char* method, GVariant* arguments) {
    GObjectPtr<GDBusMessage> message(g_dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                                    "org.freedesktop.DBus", method));
    g_dbus_message_set_body(message.get(), arguments);
    return message;
}

TEST_F(Wire, exchange_largeBatchRefusedCallBusGone_repliesInOrderErrorLost) {
    auto wire = WireCalls::open(address, 5000);
    ASSERT_TRUE(wire);
    // Every third name is the bus's own; a method the bus does not know ends the batch.
    std::vector<GObjectPtr<GDBusMessage>> calls;
    for (int i = 0; i < 20000; ++i) {
        const std::string name = i % 3 == 0 ? "org.freedesktop.DBus" : "org.example.Name" + std::to_string(i);
        calls.push_back(busCall("NameHasOwner", g_variant_new("(s)", name.c_str())));
    }
    calls.push_back(busCall("NoSuchMethod", nullptr));
    std::vector<GDBusMessage*> sent;
    for (const auto& call : calls)
        sent.push_back(call.get());
    const auto replies = wire->exchange(sent, 20000);
    ASSERT_EQ(replies.size(), calls.size());
    for (std::size_t i = 0; i + 1 < replies.size(); ++i) {
        ASSERT_TRUE(replies[i]) << i;
        gboolean owned = FALSE;
        g_variant_get(g_dbus_message_get_body(replies[i].get()), "(b)", &owned);
        ASSERT_EQ(owned != FALSE, i % 3 == 0) << i;
    }
    ASSERT_TRUE(replies.back());
    EXPECT_EQ(g_dbus_message_get_message_type(replies.back().get()), G_DBUS_MESSAGE_TYPE_ERROR);
    EXPECT_FALSE(wire->lost());

    const pid_t killed = daemon;
    ::kill(std::exchange(daemon, -1), SIGKILL);
    for (int waited = 0; waited < 100 && !testing_support::gone(killed); ++waited)
        ::usleep(50'000);
    const auto began = std::chrono::steady_clock::now();
    auto after = busCall("NameHasOwner", g_variant_new("(s)", "org.freedesktop.DBus"));
    EXPECT_FALSE(wire->exchange({after.get()}, 5000).front());
    EXPECT_TRUE(wire->lost());
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(1));
}

}  // namespace
}  // namespace ondrel::atspi
