// SPDX-License-Identifier: MIT
// Ondrel --headless from login to logout while the desktop's services come and go under it: the
// accessibility registry restarted, the accessibility bus restarted, and at last the session bus gone.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/Desktop.h"

namespace ondrel::testing_support {
namespace {

using Clock = std::chrono::steady_clock;

std::string gdbus(const std::vector<std::string>& arguments) {
    return runProgram("/usr/bin/gdbus", arguments, {}, 10).out;
}

// The number in gdbus's "(uint32 1234,)"; -1 for an error.
pid_t pidIn(const std::string& reply) {
    const auto number = reply.find("uint32 ");
    return number == std::string::npos ? -1 : static_cast<pid_t>(std::stol(reply.substr(number + 7)));
}

// The process that owns `name` on the session bus, asked without starting anything.
pid_t ownerOnSessionBus(const std::string& name) {
    return pidIn(gdbus({"call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                        "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.GetConnectionUnixProcessID", name}));
}

// The process that owns `name` on the accessibility bus of the session.
pid_t ownerOnAccessibilityBus(const std::string& name) {
    const std::string reply = gdbus({"call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus",
                                     "--method", "org.a11y.Bus.GetAddress"});
    const auto open = reply.find('\''), close = reply.rfind('\'');
    if (open == std::string::npos || close <= open)
        return -1;
    const std::string owner = gdbus({"call", "--address", reply.substr(open + 1, close - open - 1), "--dest",
                                     "org.freedesktop.DBus", "--object-path", "/org/freedesktop/DBus", "--method",
                                     "org.freedesktop.DBus.GetConnectionUnixProcessID", name});
    return pidIn(owner);
}

// Ended, whether or not anybody reaped it yet.
bool gone(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string pid, name, state;
    return !(stat >> pid >> name >> state) || state == "Z";
}

template <typename Condition>
bool within(double seconds, Condition condition) {
    for (const auto until = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < until;) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

class Services : public Desktop {
protected:
    void SetUp() override {
        // A session bus of the test's own, so that it can end under Ondrel; everything started from here on
        // uses it, the test's own calls too.
        const ProgramRun bus = runProgram("/usr/bin/dbus-daemon", {"--session", "--fork", "--print-address=1",
                                                                   "--print-pid=1"});
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
    // Never a signal to -1 or 0: that would reach every process of the machine, or the test's own group.
    static void end(pid_t process, int signal) {
        if (process > 1)
            ::kill(process, signal);
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

    pid_t sessionBus_ = -1;
    pid_t launcher_ = -1;
};

// A prompt that shows a moment after its program started, so that Ondrel meets it through an event.
std::string laterPrompt(const std::string& title) {
    return "window-later 1 " + title + "\nfillers 20\nbox\ntext Edit notes.txt\nbutton Allow\nend\n";
}

TEST_F(Services, headless_registryAndBusRestartedThenSessionEnds_pressesAgainEndsWithStatusZero) {
    int out[2];
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    // A long interval: what brings the presses is Ondrel hearing the desktop again, not its timer.
    const pid_t watcher = spawnProgram(ONDREL_BINARY, {"--headless", "--quiet", "--interval", "60"}, {}, out[1], -1);
    ::close(out[1]);

    {
        StandIn velquin(laterPrompt("Before"));  // which also starts the registry
        ASSERT_TRUE(velquin.ready());
        EXPECT_TRUE(within(8, [&] { return !velquin.presses().empty(); }));
    }
    const pid_t registry = ownerOnAccessibilityBus("org.a11y.atspi.Registry");
    ASSERT_GT(registry, 1);
    end(registry, SIGKILL);  // the bus starts another on demand
    {
        StandIn velquin(laterPrompt("After the registry"));
        ASSERT_TRUE(velquin.ready());
        EXPECT_TRUE(within(8, [&] { return !velquin.presses().empty(); }));
    }
    stopAccessibilityBus();
    // The desktop starts it again, unless Ondrel's asking for it already had the session bus start one.
    if (ownerOnSessionBus("org.a11y.Bus") <= 1)
        startAccessibilityBus();
    {
        StandIn velquin(laterPrompt("After the bus"));
        ASSERT_TRUE(velquin.ready());
        EXPECT_TRUE(within(8, [&] { return !velquin.presses().empty(); }));
    }
    endSession();
    int status = -1;
    EXPECT_TRUE(within(5, [&] { return ::waitpid(watcher, &status, WNOHANG) == watcher; }));
    if (::waitpid(watcher, nullptr, WNOHANG) == 0) {
        end(watcher, SIGKILL);
        ::waitpid(watcher, nullptr, 0);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::string printed;
    char chunk[4096];
    for (ssize_t count; (count = ::read(out[0], chunk, sizeof chunk)) > 0;)
        printed.append(chunk, static_cast<std::size_t>(count));
    ::close(out[0]);
    const Lines lines = messages(printed);
    const auto has = [&](const std::string& start) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(start); });
    };
    EXPECT_TRUE(has("Pressed \"Allow\" in [After the registry]")) << printed;
    EXPECT_TRUE(has("Lost the accessibility bus (")) << printed;
    EXPECT_TRUE(has("The accessibility bus is back: Ondrel reads Velquin afresh.")) << printed;
    EXPECT_TRUE(has("Pressed \"Allow\" in [After the bus]")) << printed;
    EXPECT_EQ(lines.back(), "The desktop session ended (its session bus closed): Ondrel stops.") << printed;
}

}  // namespace
}  // namespace ondrel::testing_support
