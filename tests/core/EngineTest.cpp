#include "core/Engine.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/CaseName.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

class Pass : public testing_support::Scene {
protected:
    // A window holding a prompt text and a button labelled `label` under one container.
    Element prompt(const Element& window, const std::string& text, const std::string& label = "Allow") {
        Element box = platform.addGroup(window);
        platform.addText(box, text);
        return platform.addButton(box, label);
    }
    PassResult pass() {
        return quietly([&] { return runPass(scanner, opts); });
    }

    Options opts;
};

TEST_F(Pass, runPass_notRunning_verboseLineOnly) {
    EXPECT_EQ(pass(), (PassResult{0, 0, 0, false}));
    EXPECT_EQ(logged, std::vector<std::string>{"Velquin not running"});
    opts.verbose = false;
    logged.clear();
    pass();
    EXPECT_TRUE(logged.empty());
}

TEST_F(Pass, runPass_runningAllWindowsMinimized_nothingLoggedEvenVerbose) {
    platform.addWindow(platform.addProcess(1), "Chat", true);
    pass();
    logged.clear();
    EXPECT_EQ(pass(), (PassResult{0, 0, 0, true}));
    EXPECT_TRUE(logged.empty());
}

struct DecisionCase {
    const char* name;
    const char* prompt;
    bool safe, dryRun;
    PassResult expected;
    const char* line;
};
class Decision : public testing_support::Scene, public testing::WithParamInterface<DecisionCase> {};

// Safe mode's skip comes first, then dry run, then the press.
TEST_P(Decision, runPass_matchingButton_decidedInOrder) {
    const DecisionCase& c = GetParam();
    Element box = platform.addGroup(velquinWindow());
    platform.addText(box, c.prompt);
    platform.addButton(box, "Allow (⌘⏎)");
    Options opts;
    opts.safe = c.safe;
    opts.dryRun = c.dryRun;
    EXPECT_EQ(quietly([&] { return runPass(scanner, opts); }), c.expected);
    EXPECT_EQ(logged, std::vector<std::string>{c.line});
    EXPECT_EQ(platform.presses.size(), static_cast<std::size_t>(c.expected.pressed));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decision,
    testing::Values(
        DecisionCase{"riskySafe",
                     "Run rm -rf /tmp/build?",
                     true,
                     false,
                     {0, 1, 1, true},
                     "SKIP (safe mode) in [Chat]: prompt mentions \"rm -rf\" - left for you"},
        DecisionCase{
            "riskyUnsafe", "Run rm -rf /tmp/build?", false, false, {1, 0, 1, true}, "Pressed \"Allow (⌘⏎)\" in [Chat]"},
        DecisionCase{"riskySafeDryRun",
                     "sudo make install",
                     true,
                     true,
                     {0, 1, 1, true},
                     "SKIP (safe mode) in [Chat]: prompt mentions \"sudo \" - left for you"},
        DecisionCase{"harmlessDryRun",
                     "Read README.md?",
                     true,
                     true,
                     {0, 0, 1, true},
                     "DRY-RUN in [Chat]: would press \"Allow (⌘⏎)\""}),
    testing_support::CaseName());

TEST_F(Pass, runPass_promptClosesOnPress_logNamesTheLabelPressed) {
    prompt(velquinWindow(), "Open notes.txt?", "Allow (⌘⏎)");
    platform.afterPress = [this](const Element& pressed) { platform.vanish(pressed); };
    EXPECT_EQ(pass(), (PassResult{1, 0, 1, true}));
    EXPECT_EQ(logged, std::vector<std::string>{"Pressed \"Allow (⌘⏎)\" in [Chat]"});
}

TEST_F(Pass, runPass_twoWindows_bothPressedInWindowOrder) {
    Element application = platform.addProcess(1);
    Element first = prompt(platform.addWindow(application, "One"), "Edit a.txt?");
    Element second = prompt(platform.addWindow(application, "Two"), "Edit b.txt?");
    EXPECT_EQ(pass(), (PassResult{2, 0, 2, true}));
    EXPECT_EQ(platform.presses, (ElementList{first, second}));
    EXPECT_EQ(logged, (std::vector<std::string>{"Pressed \"Allow\" in [One]", "Pressed \"Allow\" in [Two]"}));
}

TEST_F(Pass, runPass_noMatchingButton_verboseSummaryWithWindowCount) {
    Element application = platform.addProcess(1);
    platform.addButton(platform.addWindow(application, "One"), "Cancel");
    platform.addWindow(application, "Two");
    opts.labels = {"Run"};
    EXPECT_EQ(pass(), (PassResult{0, 0, 2, true}));
    EXPECT_EQ(logged, std::vector<std::string>{"pass: no Allow button (2 window(s) scanned)"});
}

TEST_F(Pass, runPass_allFoundButtonsSkipped_noSummaryLine) {
    prompt(velquinWindow(), "curl | sh");
    pass();
    EXPECT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].rfind("SKIP", 0), 0u);
}

TEST_F(Pass, runPass_pressFails_reportedOnlyVerboseNotCounted) {
    platform.failPress(prompt(velquinWindow(), "Open file?"));
    EXPECT_EQ(pass(), (PassResult{0, 0, 1, true}));
    EXPECT_EQ(logged, std::vector<std::string>{"AXPress failed in [Chat]"});
    opts.verbose = false;
    logged.clear();
    pass();
    EXPECT_TRUE(logged.empty());
}

TEST_F(Pass, runPass_listMode_countLineThenDistinctSortedLabelsNothingPressed) {
    Element window = velquinWindow();
    platform.addButton(window, "allow");
    platform.addButton(window, "Run");
    platform.addButton(window, "allow");
    platform.addButton(window, "Allow");
    opts.list = true;
    EXPECT_EQ(pass(), (PassResult{0, 0, 1, true}));
    EXPECT_EQ(printed, "Chat - 4 labelled button(s):\n    Allow\n    Run\n    allow\n");
    EXPECT_TRUE(logged.empty());
    EXPECT_TRUE(platform.presses.empty());
}

class Engine : public testing_support::Scene {
protected:
    testing_support::ManualScheduler scheduler;
    WatcherEngine engine{scanner, scheduler, Options{}};
    int updates = 0;

    void SetUp() override {
        engine.onUpdate = [this] { ++updates; };
    }
    void fire() {
        quietly([&] { scheduler.fireAll(); });
    }
};

TEST_F(Engine, start_twice_oneLiveTimerWithInterval) {
    engine.opts.interval = 2.5;
    engine.start();
    engine.start();
    EXPECT_EQ(scheduler.liveTimers(), 1);
    EXPECT_EQ(scheduler.entries.back()->interval, 2.5);
    EXPECT_EQ(updates, 0);  // the first pass waits one period
}

TEST_F(Engine, tick_passes_totalsGrowAndUpdateEachTime) {
    Element box = platform.addGroup(velquinWindow());
    platform.addText(box, "git push --force");
    platform.addButton(box, "Allow");
    // Another process, so that climbing from the harmless button never reaches the risky text.
    Element harmless = platform.addGroup(velquinWindow("Two", 101));
    platform.addButton(harmless, "Allow");
    engine.start();
    fire();
    fire();
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(engine.approved, 2);
    EXPECT_EQ(engine.skipped, 2);
    EXPECT_EQ(engine.windows, 2);
    EXPECT_TRUE(engine.velquinRunning);
    EXPECT_EQ(engine.statusText(), "Watching 2 windows  \u00B7  approved 2, left for you 2");
}

TEST_F(Engine, togglePause_twice_noPassesBetweenAndLogged) {
    velquinWindow();
    engine.start();
    quietly([&] { engine.togglePause(); });
    fire();
    EXPECT_EQ(engine.statusText(), "Paused");
    quietly([&] { engine.togglePause(); });
    EXPECT_EQ(updates, 2);  // the two flips, no timer pass
    EXPECT_EQ(platform.scans, 0u);
    EXPECT_EQ(logged, (std::vector<std::string>{"Paused.", "Resumed."}));
    fire();
    EXPECT_EQ(platform.scans, 1u);
}

TEST_F(Engine, setSafe_changes_loggedWithWarningOnlyWhenOff) {
    quietly([&] { engine.setSafe(true); });
    EXPECT_EQ(updates, 0);
    EXPECT_TRUE(logged.empty());
    quietly([&] { engine.setSafe(false); });
    quietly([&] { engine.setSafe(true); });
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(logged, (std::vector<std::string>{
                          "Safe mode OFF.", "WARNING: safe mode off - destructive prompts will be auto-approved too.",
                          "Safe mode ON."}));
}

struct StatusCase {
    const char* name;
    bool paused;
    bool running;
    std::int64_t windows, approved, skipped;
    const char* expected;
};
class StatusText : public testing::TestWithParam<StatusCase> {};
TEST_P(StatusText, statusText_state_firstRuleThatApplies) {
    fake::FakePlatform platform;
    Scanner scanner(platform);
    testing_support::ManualScheduler scheduler;
    WatcherEngine engine(scanner, scheduler, Options{});
    const StatusCase& c = GetParam();
    engine.paused = c.paused;
    engine.velquinRunning = c.running;
    engine.windows = c.windows;
    engine.approved = c.approved;
    engine.skipped = c.skipped;
    EXPECT_EQ(engine.statusText(), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, StatusText,
    testing::Values(StatusCase{"paused", true, true, 1, 1, 1, "Paused"},
                    StatusCase{"notRunning", false, false, 0, 3, 0, "Velquin not running"},
                    StatusCase{"noWindows", false, true, 0, 0, 0, "Watching 0 windows  \u00B7  approved 0"},
                    StatusCase{"oneWindow", false, true, 1, 5, 0, "Watching 1 window  \u00B7  approved 5"},
                    StatusCase{"someLeftForYou", false, true, 2, 5, 1,
                               "Watching 2 windows  \u00B7  approved 5, left for you 1"}),
    testing_support::CaseName());

TEST_F(Engine, destroyed_timerStopsFiring) {
    auto temporary = std::make_unique<WatcherEngine>(scanner, scheduler, Options{});
    temporary->start();
    temporary.reset();
    EXPECT_EQ(scheduler.liveTimers(), 0);
}

using EngineDeathTest = Engine;
TEST_F(EngineDeathTest, tick_otherThread_abortsAsProgrammingError) {
    EXPECT_DEATH(std::thread([&] { engine.tick(); }).join(), "thread that created the engine");
}

}  // namespace
}  // namespace ondrel
