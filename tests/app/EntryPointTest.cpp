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
        };
        return quietly([&] { return runMain(options, scanner, services); });
    }

    std::vector<double> sleeps;
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

TEST_F(Main, runMain_once_notRunningOkOnePassStatusZeroListingNoPresses) {
    EXPECT_EQ(run({.once = true}), 0);
    EXPECT_EQ(logged, (std::vector<std::string>{"Accessibility OK.", "Velquin not running"}));
    platform.addButton(velquinWindow(), "Allow");
    EXPECT_EQ(run({.list = true, .once = true, .headless = true}), 0);
    EXPECT_EQ(printed.substr(printed.find("Chat")), "Chat - 1 labelled button(s):\n    Allow\n");
    EXPECT_TRUE(platform.presses.empty());
    EXPECT_EQ(platform.scans, 2u);
}

// Headless runs the engine on a loop of its own: a pass at once, then the timer's, until the session ends.
TEST_F(Main, runMain_headless_startLineThenEnginePassesUntilTheSessionEnds) {
    prompt(velquinWindow(), "Read notes.txt?");
    run({.interval = 0.001, .labels = {"Allow", "Run \"it\""}, .safe = false, .headless = true});
    ASSERT_GE(logged.size(), 3u);
    EXPECT_EQ(logged[1],
              "Ondrel watching headless (interval 0.001s, labels [\"Allow\", \"Run \\\"it\\\"\"], safe=false).");
    EXPECT_EQ(logged[2], "Pressed \"Allow\" in [Chat]");
    EXPECT_EQ(platform.scans, 3u);
    EXPECT_EQ(platform.presses.size(), 1u);  // the prompt stays on screen: it was pressed once all the same

    passesToWatch = 100;
    platform.endSession("The session ended (fake).");
    EXPECT_EQ(run({.interval = 0.001, .headless = true}), 0);
    EXPECT_EQ(logged.back(), "The session ended (fake).");
}

}  // namespace
}  // namespace ondrel
