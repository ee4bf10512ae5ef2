// SPDX-License-Identifier: MIT
#pragma once

// A desktop test on a session bus of its own, so that its services can be restarted and the session can
// end under the program tested: the bus and the accessibility bus started here, and questions of who
// owns a name on either.

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/Desktop.h"

namespace ondrel::testing_support {

// The number in gdbus's "(uint32 1234,)"; -1 for an error.
inline pid_t pidIn(const std::string& reply) {
    const auto number = reply.find("uint32 ");
    return number == std::string::npos ? -1 : static_cast<pid_t>(std::stol(reply.substr(number + 7)));
}

// The process that owns `name` on the session bus, asked without starting anything.
inline pid_t ownerOnSessionBus(const std::string& name) {
    return pidIn(gdbus({"call", "--session", "--dest", "org.freedesktop.DBus", "--object-path", "/org/freedesktop/DBus",
                        "--method", "org.freedesktop.DBus.GetConnectionUnixProcessID", name}));
}

// The process that owns `name` on the accessibility bus of the session.
inline pid_t ownerOnAccessibilityBus(const std::string& name) {
    const std::string reply = gdbus({"call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus",
                                     "--method", "org.a11y.Bus.GetAddress"});
    const auto open = reply.find('\''), close = reply.rfind('\'');
    if (open == std::string::npos || close <= open)
        return -1;
    return pidIn(gdbus({"call", "--address", reply.substr(open + 1, close - open - 1), "--dest", "org.freedesktop.DBus",
                        "--object-path", "/org/freedesktop/DBus", "--method",
                        "org.freedesktop.DBus.GetConnectionUnixProcessID", name}));
}

// Never a signal to -1 or 0: that would reach every process of the machine, or the test's own group.
inline void end(pid_t process, int signal) {
    if (process > 1)
        ::kill(process, signal);
}

class PrivateSession : public Desktop {
protected:
    void SetUp() override {
        // Everything started from here on uses this bus, the test's own calls too.
        const ProgramRun bus =
            runProgram("/usr/bin/dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"});
        std::istringstream printed(bus.out);
        std::string address;
        printed >> address >> sessionBus_;
        ASSERT_FALSE(address.empty());
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        startAccessibilityBus();
        Desktop::SetUp();
    }
    void TearDown() override {
        stopAccessibilityBus();
        endSession();
    }

    // Nothing asks for org.a11y.Bus before the launcher owns it: that would start another one.
    void startAccessibilityBus() {
        launcher_ = spawnProgram("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"}, {}, -1, -1, true);
        ASSERT_TRUE(within(10, [] { return ownerOnSessionBus("org.a11y.Bus") > 1; }));
    }
    void stopAccessibilityBus() {
        if (launcher_ <= 1)
            return;
        const pid_t bus = ownerOnAccessibilityBus("org.freedesktop.DBus");  // the bus's own daemon
        ::kill(-launcher_, SIGKILL);
        ::waitpid(launcher_, nullptr, 0);
        end(bus, SIGKILL);
        EXPECT_TRUE(within(5, [bus] { return gone(bus); }));
        launcher_ = -1;
    }
    void endSession() {
        end(sessionBus_, SIGTERM);
        sessionBus_ = -1;
    }

private:
    pid_t sessionBus_ = -1;
    pid_t launcher_ = -1;
};

}  // namespace ondrel::testing_support
