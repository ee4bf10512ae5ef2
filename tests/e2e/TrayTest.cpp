// SPDX-License-Identifier: MIT
// The tray application on a private desktop: its own window is on the accessibility bus too, and
// must never slow its passes down; a hung Velquin must never hold its window up; and a prompt left
// for the user reaches the desktop's notification service once.

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/Scanner.h"
#include "platform/atspi/AtspiPlatform.h"
#include "tests/support/PrivateSession.h"
#include "tests/support/Spawned.h"

namespace ondrel::testing_support {
namespace {

// The tray application's own window is on the accessibility bus beside three hung applications: each of
// those costs one timeout, all three the same one, and not again for 30 s, so the passes keep their interval.
TEST_F(Desktop, trayApplication_ownWindowOpenHungApplicationsBeside_passesKeepTheirInterval) {
    StandIn velquin("window Chat\ntext Nothing to allow here\n");
    std::vector<std::unique_ptr<StandIn>> hung;
    for (const char* id : {"org.example.one", "org.example.two", "org.example.three"}) {
        hung.push_back(
            std::make_unique<StandIn>("window Other\ntext hello\n", std::vector<std::string>{"--app-id", id}));
        hung.back()->stop();
    }
    ASSERT_TRUE(velquin.ready());
    // The run ends by the deadline; one pass every half second should fit about 17 times into it.
    const ProgramRun run = ondrel({"--interval", "0.5"}, 10);
    const Lines lines = messages(run.out);
    const auto passes = std::count(lines.begin(), lines.end(), "pass: no Allow button (1 window(s) scanned)");
    EXPECT_GE(passes, 14) << run.out;
}

TEST_F(Desktop, trayApplication_velquinHung_windowStillAnswersAClickAtOnce) {
    StandIn velquin(promptWindow("Chat", "Velquin wants to read README.md", "button Run"));
    ASSERT_TRUE(velquin.ready());
    Spawned tray(ONDREL_BINARY, {"--interval", "0.2"});
    std::this_thread::sleep_for(std::chrono::seconds(3));  // up, registered, and passing
    velquin.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // a pass is stuck on Velquin by now

    // The user clicks Stop in Ondrel's window, through its accessibility as a screen reader would.
    atspi::AtspiPlatform platform;
    Scanner scanner(platform);
    const std::vector<ProcessId> ondrels = platform.runningProcesses("dev.ondrel.Ondrel");
    ASSERT_EQ(ondrels, std::vector<ProcessId>{tray.pid()});
    const auto stop = scanner.findButtons(platform.applicationElement(tray.pid()), {"Stop"}, false);
    ASSERT_EQ(stop.size(), 1u);
    const auto clicked = std::chrono::steady_clock::now();
    EXPECT_EQ(platform.performAction(stop.front().element, ax::action::press), ActionResult::done());
    // Answered by the window's own thread while the pass waits on Velquin (a call times out after 0.8 s).
    EXPECT_LT(std::chrono::steady_clock::now() - clicked, std::chrono::milliseconds(400));

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string out = tray.end(SIGKILL);
    const Lines lines = messages(out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Paused."), lines.end()) << out;
}

TEST_F(Desktop, trayApplication_riskyPromptOverManyPasses_oneNotificationShown) {
    // The desktop's notification service, as a session starts it, and a bus monitor that sees what it is told.
    Spawned service("/usr/lib/notification-daemon/notification-daemon", {});
    ASSERT_GT(service.pid(), 0);
    ASSERT_TRUE(within(5, [] { return ownerOnSessionBus("org.freedesktop.Notifications") > 1; }));
    Spawned monitor("/usr/bin/dbus-monitor", {"--session", "interface='org.freedesktop.Notifications'",
                                              "type='method_return',sender='org.freedesktop.Notifications'"});
    StandIn velquin(promptWindow("Build <1>", "Velquin wants to run: rm -rf build/"));
    ASSERT_TRUE(velquin.ready());

    const ProgramRun run = ondrel({"--interval", "0.5"}, 6);
    const std::string seen = monitor.end();
    std::size_t notices = 0;
    for (std::size_t at = 0; (at = seen.find("string \"Ondrel left a prompt for you\"", at)) != std::string::npos; ++at)
        ++notices;
    EXPECT_EQ(notices, 1u) << seen;
    // The service answered both the question of its capabilities and the notice.
    EXPECT_NE(seen.find("method return", seen.find("member=Notify")), std::string::npos) << seen;
    EXPECT_NE(seen.find("string \"In [Build &lt;1&gt;]: prompt mentions \"rm -rf\"\""), std::string::npos) << seen;
    EXPECT_EQ(run.out.find("Could not show a notification"), std::string::npos) << run.out;
    EXPECT_TRUE(velquin.presses().empty());
}

}  // namespace
}  // namespace ondrel::testing_support
