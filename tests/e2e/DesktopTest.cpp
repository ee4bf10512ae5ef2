// Ondrel against real applications on a private desktop: the stand-in Velquin (a GTK program),
// the accessibility bus and its registry. Run inside desktop-session.sh.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/StandIn.h"
#include "tests/support/RunProgram.h"

namespace ondrel {
namespace {

using testing_support::ProgramRun;
using testing_support::runProgram;
using testing_support::StandIn;
using Lines = std::vector<std::string>;

// A window holding a conversation long enough that the prompt's own box is what safe mode reads.
std::string promptWindow(const std::string& title, const std::string& text, const std::string& buttons = "button Allow",
                         const std::string& window = "window") {
    return window + " " + title + "\nfillers 80\nbox\ntext " + text + "\n" + buttons + "\nend\n";
}

class Desktop : public testing::Test {
protected:
    void SetUp() override { setAccessibilityEnabled(true); }

    static void setAccessibilityEnabled(bool on) {
        runProgram("/usr/bin/gdbus",
                   {"call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus", "--method",
                    "org.freedesktop.DBus.Properties.Set", "org.a11y.Status", "IsEnabled", on ? "<true>" : "<false>"});
    }

    static ProgramRun ondrel(const std::vector<std::string>& arguments, double timeoutSeconds = 20) {
        return runProgram(ONDREL_BINARY, arguments, {}, timeoutSeconds);
    }

    // The log's messages without their timestamps; other lines (the listing) as they are.
    static Lines messages(const std::string& out) {
        Lines lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("[") && line.find("Z] ") != std::string::npos)
                line = line.substr(line.find("Z] ") + 3);
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(Desktop, once_harmlessPrompt_pressedAndLogged) {
    StandIn velquin(promptWindow("Chat", "Velquin wants to read README.md"));
    ASSERT_TRUE(velquin.ready());
    const ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", "Pressed \"Allow\" in [Chat]"}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Chat"});
}

TEST_F(Desktop, once_riskyPromptSafeMode_leftForUser) {
    StandIn velquin(promptWindow("Chat", "Run: rm -rf build/") + promptWindow("Notes", "Edit notes.txt"));
    const ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(messages(run.out),
              (Lines{"Accessibility OK.", "SKIP (safe mode) in [Chat]: prompt mentions \"rm -rf\" - left for you",
                     "Pressed \"Allow\" in [Notes]"}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Notes"});
}

TEST_F(Desktop, once_dryRun_reportsPressesNothing) {
    StandIn velquin(promptWindow("Chat", "Velquin wants to read README.md"));
    const ProgramRun run = ondrel({"--once", "--dry-run"});
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", "DRY-RUN in [Chat]: would press \"Allow\""}));
    EXPECT_TRUE(velquin.presses().empty());
}

TEST_F(Desktop, list_labelledButtons_perWindowSorted) {
    StandIn velquin(promptWindow("Chat", "Pick one", "button Run\nbutton Allow\nbutton-disabled Allow") +
                    "window Empty\ntext nothing here\n");
    const ProgramRun run = ondrel({"--list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", "Chat - 3 labelled button(s):", "    Allow", "    Run",
                                        "Empty - 0 labelled button(s):"}));
    EXPECT_TRUE(velquin.presses().empty());
}

TEST_F(Desktop, labelsAndContains_matchAsConfigured) {
    StandIn velquin(promptWindow("A", "one", "button Run") + promptWindow("B", "two", "button Always Allow") +
                    promptWindow("C", "three", "button Don't Allow"));
    ondrel({"--once", "--labels", "Run"});
    EXPECT_EQ(velquin.presses(), Lines{"Run in A"});
    const ProgramRun run = ondrel({"--once", "--contains"});
    EXPECT_EQ(velquin.presses(), (Lines{"Run in A", "Always Allow in B"}));
    EXPECT_EQ(messages(run.out).back(), "Pressed \"Always Allow\" in [B]");
}

TEST_F(Desktop, disabledAllow_notPressed) {
    StandIn velquin(promptWindow("Chat", "Wait for it", "button-disabled Allow"));
    const ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", "pass: no Allow button (1 window(s) scanned)"}));
    EXPECT_TRUE(velquin.presses().empty());
}

TEST_F(Desktop, minimizedWindow_warnedAndSkipped) {
    StandIn velquin(promptWindow("Hidden", "Read a.txt", "button Allow", "window-minimized") +
                    promptWindow("Shown", "Read b.txt"));
    const ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(messages(run.out),
              (Lines{"Accessibility OK.",
                     "WARNING: window [Hidden] is minimized. macOS does not expose its buttons, so Allow prompts there "
                     "cannot be clicked. Un-minimize it to enable auto-approval.",
                     "Pressed \"Allow\" in [Shown]"}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Shown"});
}

TEST_F(Desktop, otherApplication_neverPressed) {
    StandIn other(promptWindow("Other", "Allow this?"), {"--app-id", "org.example.other"});
    ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", "Velquin not running"}));
    StandIn velquin(promptWindow("Chat", "Read README.md"));
    run = ondrel({"--once"});
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Chat"});
    EXPECT_TRUE(other.presses().empty());
}

TEST_F(Desktop, processMatching_byBusNameAtspiNameOrDesktopEntry_inProcessOrder) {
    // The first owns the name on the session bus; the second is found by its AT-SPI name; the third is
    // a web-runtime application known only by the desktop entry in its environment.
    StandIn first(promptWindow("First", "one"));
    StandIn second(promptWindow("Second", "two"), {"--non-unique"});
    StandIn webApp(promptWindow("Web", "three"), {"--app-id", "org.example.runtime"},
                   {"CHROME_DESKTOP=dev.velquin.desktop.desktop"});
    // A helper that merely inherits that environment registers nothing and is never a target.
    std::system("CHROME_DESKTOP=dev.velquin.desktop.desktop sleep 5 &");
    const ProgramRun run = ondrel({"--once", "--dry-run"});
    Lines expected{"Accessibility OK."};
    std::vector<std::pair<pid_t, std::string>> byPid{
        {first.pid(), "First"}, {second.pid(), "Second"}, {webApp.pid(), "Web"}};
    std::sort(byPid.begin(), byPid.end());
    for (const auto& [pid, title] : byPid)
        expected.push_back("DRY-RUN in [" + title + "]: would press \"Allow\"");
    EXPECT_EQ(messages(run.out), expected);
}

TEST_F(Desktop, notRunning_verboseLine) {
    const ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", "Velquin not running"}));
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
              (Lines{"NO Accessibility permission yet. Enable Ondrel under System Settings > Privacy "
                     "& Security > Accessibility. Retrying every 10s.",
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
}  // namespace ondrel
