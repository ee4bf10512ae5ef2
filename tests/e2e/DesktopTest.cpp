// SPDX-License-Identifier: MIT
// Ondrel's behaviours on a private desktop against the stand-in Velquin (a GTK 3 program).

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "tests/support/Desktop.h"

namespace ondrel::testing_support {
namespace {

TEST_F(Desktop, minimizedWindowOrDisabledAllow_notPressed) {
    StandIn velquin(promptWindow("Hidden", "Read a.txt", "button Allow", "window-minimized") +
                    promptWindow("Waiting", "Wait for it", "button-disabled Allow") +
                    promptWindow("Shown", "Read b.txt"));
    const ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(messages(run.out),
              (Lines{"Accessibility OK.",
                     "WARNING: window [Hidden] is minimized. Ondrel leaves minimized windows alone, so Allow prompts "
                     "there are not clicked. Un-minimize it to enable auto-approval.",
                     "Pressed \"Allow\" in [Shown]"}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Shown"});
}

// An upgrade while the gate waits replaces the file the process started from: the relaunch runs the new one.
TEST_F(Desktop, permissionGate_executableReplacedWhileWaiting_relaunchedWithSameArgumentsThenRuns) {
    setAccessibilityEnabled(false);
    StandIn velquin(promptWindow("Chat", "Read README.md"));
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("ondrel-upgrade-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path installed = folder / "ondrel";
    fs::copy_file(ONDREL_BINARY, installed);
    std::thread upgrade([&] {
        std::this_thread::sleep_for(std::chrono::seconds(3));  // well inside the 10 s wait
        fs::copy_file(ONDREL_BINARY, folder / "ondrel.new");
        fs::rename(folder / "ondrel.new", installed);
    });
    const ProgramRun run = runProgram(installed, {"--once", "--dry-run", "--labels", "Allow, Run"}, {}, 40);
    upgrade.join();
    fs::remove_all(folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(messages(run.out),
              (Lines{"NO Accessibility yet: this desktop's accessibility switch is off. Ondrel has asked to switch it "
                     "on; if this line repeats, turn on accessibility (assistive technologies) in the desktop's "
                     "settings. Retrying every 10s.",
                     "Accessibility OK.", "DRY-RUN in [Chat]: would press \"Allow\""}));
}

TEST_F(Desktop, headless_promptAppearingLater_pressedWhenItAppears) {
    StandIn velquin("window-later 2 Later\nfillers 80\nbox\ntext Edit notes.txt\nbutton Allow\nend\n");
    const ProgramRun run = ondrel({"--headless", "--quiet", "--interval", "0.5"}, 5);
    EXPECT_EQ(run.signal, SIGKILL);  // still watching when the test ended it
    EXPECT_EQ(messages(run.out),
              (Lines{"Accessibility OK.", "Ondrel watching headless (interval 0.5s, labels [\"Allow\"], safe=true).",
                     "Pressed \"Allow\" in [Later]"}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Later"});
}

TEST_F(Desktop, stoppedTarget_passEndsAndLaterPassesWork) {
    StandIn velquin(promptWindow("Chat", "Read README.md"));
    velquin.stop();
    const ProgramRun stopped = ondrel({"--once"}, 15);
    EXPECT_EQ(stopped.status, 0);  // ended by itself, well before the 15 s limit
    velquin.resume();
    ondrel({"--once"});
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Chat"});
}

TEST_F(Desktop, killedTarget_headlessGoesOnWithoutCrash) {
    auto velquin = std::make_unique<StandIn>(promptWindow("Chat", "Read README.md"));
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        velquin->kill();
    });
    const ProgramRun run = ondrel({"--headless", "--interval", "0.2"}, 4);
    killer.join();
    EXPECT_EQ(run.signal, SIGKILL);
    const Lines lines = messages(run.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Pressed \"Allow\" in [Chat]"), lines.end());
    EXPECT_EQ(lines.back(), "Velquin not running");
}

}  // namespace
}  // namespace ondrel::testing_support
