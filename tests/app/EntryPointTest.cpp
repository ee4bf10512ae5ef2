// SPDX-License-Identifier: MIT
#include "app/EntryPoint.h"

#include <gtest/gtest.h>

#include "core/Engine.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

class Main : public testing_support::Scene {
protected:
    int run(const Options& options) {
        EntryServices services{
            .sleep = [this](double seconds) { sleeps.push_back(seconds); },
            .relaunch = [this](const std::string& message) { relaunches.push_back(message); },
            .runApplication = [this](const Options&) { return ++applications, 0; },
            .keepWatching = [this] { return platform.scans < passesToWatch; },
            .waitForChange =
                [this](double seconds) {
                    waits.push_back(seconds);
                    return waits.size() <= changesWhileWaiting;
                },
            .changed = nullptr,
        };
        return quietly([&] { return runMain(options, scanner, services); });
    }

    std::vector<double> sleeps;
    std::vector<double> waits;
    std::size_t changesWhileWaiting = 0;  // the first waits end with a change
    std::vector<std::string> relaunches;
    int applications = 0;
    std::size_t passesToWatch = 3;
};

// The tray application has a gate of its own; a command-line mode waits at this one.
TEST_F(Main, runMain_untrusted_applicationWithoutGateOtherwiseRequestMessageSleepRelaunchNoPass) {
    platform.setTrusted(false);
    EXPECT_EQ(run(Options{}), 0);
    EXPECT_EQ(applications, 1);
    EXPECT_EQ(platform.trustRequests, 0);
    run({.once = true});
    EXPECT_EQ(platform.trustRequests, 1);
    EXPECT_EQ(logged, std::vector<std::string>{"permission missing (fake)"});
    EXPECT_EQ(sleeps, std::vector<double>{10.0});
    EXPECT_EQ(relaunches, std::vector<std::string>{"execv failed, cannot re-check permission. Relaunch manually."});
    EXPECT_EQ(platform.scans, 0u);
}

TEST_F(Main, runMain_serviceUnavailable_everyCommandLineModeSaysWhyAndEndsWith69) {
    platform.setUnavailable("no accessibility bus here");
    platform.setTrusted(false);
    for (auto mode : {&Options::once, &Options::list, &Options::headless}) {
        logged.clear();
        Options options;
        options.*mode = true;
        EXPECT_EQ(run(options), 69);
        EXPECT_EQ(logged, std::vector<std::string>{"no accessibility bus here"});
    }
    EXPECT_EQ(platform.trustRequests, 0);  // nothing to grant, so nothing is asked
    EXPECT_TRUE(sleeps.empty());
    EXPECT_TRUE(relaunches.empty());
    EXPECT_EQ(platform.scans, 0u);
}

TEST_F(Main, runMain_onceNotRunning_okThenOnePassStatusZero) {
    EXPECT_EQ(run({.once = true}), 0);
    EXPECT_EQ(logged, (std::vector<std::string>{"Accessibility OK.", "Velquin not running"}));
    EXPECT_EQ(platform.scans, 1u);
}

TEST_F(Main, runMain_listWithOnce_listingNoPresses) {
    platform.addButton(velquinWindow(), "Allow");
    EXPECT_EQ(run({.list = true, .once = true, .headless = true}), 0);
    EXPECT_EQ(printed.substr(printed.find("Chat")), "Chat - 1 labelled button(s):\n    Allow\n");
    EXPECT_TRUE(platform.presses.empty());
    EXPECT_EQ(platform.scans, 1u);
}

TEST_F(Main, runMain_headless_startLineThenPassesSeparatedBySleeps) {
    run({.interval = 0.5, .labels = {"Allow", "Run \"it\""}, .safe = false, .headless = true});
    ASSERT_GE(logged.size(), 2u);
    EXPECT_EQ(logged[1],
              "Ondrel watching headless (interval 0.5s, labels [\"Allow\", \"Run \\\"it\\\"\"], safe=false).");
    EXPECT_EQ(platform.scans, 3u);
    ASSERT_EQ(waits.size(), 2u);
    for (double wait : waits)
        EXPECT_NEAR(wait, 0.5, 0.05);  // the interval, less the pass before it
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(Main, runMain_headlessChangeDuringWait_passAtOnceSpacedThenTheRestOfTheInterval) {
    changesWhileWaiting = 1;
    run({.interval = 2, .headless = true});
    EXPECT_EQ(platform.scans, 3u);  // the first pass, one for the change, one after the interval
    ASSERT_EQ(sleeps.size(), 1u);   // a pass had begun moments before: the changed one keeps its distance
    EXPECT_GT(sleeps[0], 0.0);
    EXPECT_LE(sleeps[0], WatcherEngine::changedPassSpacingSeconds);
    ASSERT_EQ(waits.size(), 2u);
    EXPECT_LT(waits[1], 2.0);  // the timer's pass keeps its time
}

}  // namespace
}  // namespace ondrel
