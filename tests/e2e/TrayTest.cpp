// The tray application on a private desktop: its own window is on the accessibility bus too, and
// must never slow its passes down; and a hung Velquin must never hold its window up.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "core/Scanner.h"
#include "platform/atspi/AtspiPlatform.h"
#include "tests/support/Desktop.h"

namespace ondrel::testing_support {
namespace {

TEST_F(Desktop, trayApplication_ownWindowOpen_passesKeepTheirInterval) {
    StandIn velquin("window Chat\ntext Nothing to allow here\n");
    ASSERT_TRUE(velquin.ready());
    // The run ends by the deadline; one pass a second should fit about 13 times into it.
    const ProgramRun run = ondrel({"--interval", "1"}, 14);
    const Lines lines = messages(run.out);
    const auto passes = std::count(lines.begin(), lines.end(), "pass: no Allow button (1 window(s) scanned)");
    EXPECT_GE(passes, 12) << run.out;
}

TEST_F(Desktop, trayApplication_velquinHung_windowStillAnswersAClickAtOnce) {
    StandIn velquin(promptWindow("Chat", "Velquin wants to read README.md", "button Run"));
    ASSERT_TRUE(velquin.ready());
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    const pid_t tray = spawnProgram(ONDREL_BINARY, {"--interval", "0.2"}, {}, output[1], -1);
    ::close(output[1]);
    std::this_thread::sleep_for(std::chrono::seconds(3));  // up, registered, and passing
    velquin.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // a pass is stuck on Velquin by now

    // The user clicks Stop in Ondrel's window, through its accessibility as a screen reader would.
    atspi::AtspiPlatform platform;
    Scanner scanner(platform);
    const std::vector<ProcessId> ondrels = platform.runningProcesses("dev.ondrel.Ondrel");
    ASSERT_EQ(ondrels, std::vector<ProcessId>{tray});
    const auto stop = scanner.findButtons(platform.applicationElement(tray), {"Stop"}, false);
    ASSERT_EQ(stop.size(), 1u);
    const auto clicked = std::chrono::steady_clock::now();
    EXPECT_EQ(platform.performAction(stop.front().element, ax::action::press), axSuccess);
    // Answered by the window's own thread while the pass waits on Velquin (a call times out after 0.8 s).
    EXPECT_LT(std::chrono::steady_clock::now() - clicked, std::chrono::milliseconds(400));

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(tray, SIGKILL);
    ::waitpid(tray, nullptr, 0);
    std::string out;
    char chunk[4096];
    for (ssize_t count; (count = ::read(output[0], chunk, sizeof chunk)) > 0;)
        out.append(chunk, static_cast<std::size_t>(count));
    ::close(output[0]);
    const Lines lines = messages(out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Paused."), lines.end()) << out;
}

}  // namespace
}  // namespace ondrel::testing_support
