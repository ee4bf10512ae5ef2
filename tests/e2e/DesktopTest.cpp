// SPDX-License-Identifier: MIT
// Ondrel's behaviours on a private desktop against the stand-in Velquin (a GTK 3 program).

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "core/DecisionHistory.h"
#include "core/Text.h"
#include "tests/support/Desktop.h"
#include "tests/support/Files.h"

namespace ondrel::testing_support {
namespace {

// A prompt's text of exactly `length` characters: `first`, then numbered lines `line`1, `line`2, ... and a
// separator comment up to the length, then `last`; its line breaks as the scenario writes them.
std::string longText(std::size_t length, const std::string& first, const std::string& line, const std::string& last) {
    std::string text = first + "\n";
    for (int n = 1; text.size() + line.size() + last.size() + 8 < length; ++n)
        text += line + std::to_string(n) + "\n";
    text += "# " + std::string(length - text.size() - last.size() - 3, '-') + "\n" + last;
    for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\\n");
    return text;
}

// Each window as one pass meets it, in order, and what the pass logs for it (nothing for a disabled Allow);
// the history holds what was logged, on the whole text it was judged on, with who Velquin was.
TEST_F(Desktop, eachWindow_pressedOnlyWhenShownEnabledAndHarmlessRecordedWithItsPrompt) {
    const auto script = [](const std::string& last) {
        return longText(818, "#!/bin/sh\nset -eu\ncd \"$HOME\"", "tar -czf archive/all.tar.gz projects/part-", last);
    };
    const auto heredoc = [](const std::string& last) {
        return longText(3000, "cat > /srv/app/releases/NOTES <<'EOF'", "The service restarted cleanly, build ",
                        "EOF\n" + last);
    };
    // What the pass does with a window: "" nothing it logs, "pressed", "minimized", or the fragment it left it for.
    struct Row {
        std::string title, text, outcome, button = "button Allow", window = "window";
    };
    const std::vector<Row> rows = {
        {"Hidden", "Read a.txt", "minimized", "button Allow", "window-minimized"},
        {"Waiting", "Wait for it", "", "button-disabled Allow"},
        {"Shown", "Read b.txt", "pressed"},
        // Long prompts in the prompt's own box are judged whole, however far down the command is.
        {"Script", script("rm -rf ~/projects"), "rm -rf"},
        {"Script twin", script("ls -la ~/projects"), "pressed"},
        {"Heredoc", heredoc("rm -rf /srv/app/releases/old"), "rm -rf"},
        {"Heredoc twin", heredoc("ls -la /srv/app/releases/old"), "pressed"},
    };
    std::string scenario;
    Lines log{"Accessibility OK."}, presses, decisions;  // decisions as recorded: window, decision, pattern
    std::map<std::string, std::string> lastLines;        // of each window's prompt, in matching form
    for (const Row& row : rows) {
        scenario += promptWindow(row.title, row.text, row.button, row.window);
        const auto lastLine = row.text.rfind("\\n");
        lastLines[row.title] = text::lowercased(row.text.substr(lastLine == std::string::npos ? 0 : lastLine + 2));
        if (row.outcome == "minimized") {
            log.push_back("WARNING: window [" + row.title +
                          "] is minimized. Ondrel leaves minimized windows alone, so "
                          "Allow prompts there are not clicked. Un-minimize it to enable auto-approval.");
        } else if (row.outcome == "pressed") {
            log.push_back("Pressed \"Allow\" in [" + row.title + "]");
            presses.push_back("Allow in " + row.title);
            decisions.push_back(row.title + " pressed ");
        } else if (!row.outcome.empty()) {
            log.push_back("SKIP (safe mode) in [" + row.title + "]: prompt mentions \"" + row.outcome +
                          "\" - left for you");
            decisions.push_back(row.title + " left " + row.outcome);
        }
    }
    StandIn velquin(scenario);
    EXPECT_EQ(messages(ondrel({"--once"}).out), log);
    EXPECT_EQ(velquin.presses(), presses);

    Lines recorded;
    std::istringstream lines(readFile(decisionsFilePath()));
    for (std::string line; std::getline(lines, line);) {
        const std::optional<DecisionRecord> record = parseRecordLine(line);
        ASSERT_TRUE(record) << line;
        EXPECT_EQ(record->identity + " " + std::to_string(record->process),
                  "bus-name " + std::to_string(velquin.pid()));
        EXPECT_FALSE(record->promptCut);
        EXPECT_NE(record->prompt.find(lastLines[record->window]), std::string::npos) << record->prompt;
        recorded.push_back(record->window + " " + std::string(decisionWord(record->decision)) + " " + record->pattern);
    }
    EXPECT_EQ(recorded, decisions);
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

// A stopped Velquin answers nothing: the pass ends by itself and later passes work once it goes on; a killed
// one leaves headless watching on without a crash.
TEST_F(Desktop, targetStoppedThenKilled_passEndsLaterPassesWorkHeadlessGoesOn) {
    auto velquin = std::make_unique<StandIn>(promptWindow("Chat", "Read README.md"));
    velquin->stop();
    EXPECT_EQ(ondrel({"--once"}, 15).status, 0);  // ended by itself, well before the 15 s limit
    velquin->resume();
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        velquin->kill();
    });
    const ProgramRun run = ondrel({"--headless", "--interval", "0.2"}, 4);
    killer.join();
    EXPECT_EQ(run.signal, SIGKILL);
    const Lines lines = messages(run.out);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Pressed \"Allow\" in [Chat]"), 1) << run.out;
    EXPECT_EQ(lines.back(), "Velquin not running");
}

}  // namespace
}  // namespace ondrel::testing_support
