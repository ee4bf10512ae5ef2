#include "app/EntryPoint.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Relaunch.h"
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

TEST_F(Main, runMain_noMode_applicationWithoutGate) {
    platform.setTrusted(false);
    EXPECT_EQ(run(Options{}), 0);
    EXPECT_EQ(applications, 1);
    EXPECT_EQ(platform.trustRequests, 0);
    EXPECT_TRUE(logged.empty());
}

TEST_F(Main, runMain_untrusted_requestMessageSleepRelaunchNoPass) {
    platform.setTrusted(false);
    Options options;
    options.once = true;
    run(options);
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
    Options options;
    options.once = true;
    EXPECT_EQ(run(options), 0);
    EXPECT_EQ(logged, (std::vector<std::string>{"Accessibility OK.", "Velquin not running"}));
    EXPECT_EQ(platform.scans, 1u);
}

TEST_F(Main, runMain_listWithOnce_listingNoPresses) {
    platform.addButton(velquinWindow(), "Allow");
    Options options;
    options.once = options.list = options.headless = true;
    EXPECT_EQ(run(options), 0);
    EXPECT_EQ(printed.substr(printed.find("Chat")), "Chat - 1 labelled button(s):\n    Allow\n");
    EXPECT_TRUE(platform.presses.empty());
    EXPECT_EQ(platform.scans, 1u);
}

TEST_F(Main, runMain_headless_startLineThenPassesSeparatedBySleeps) {
    Options options;
    options.headless = true;
    options.safe = false;
    options.interval = 0.5;
    options.labels = {"Allow", "Run \"it\""};
    run(options);
    ASSERT_GE(logged.size(), 2u);
    EXPECT_EQ(logged[1],
              "Ondrel watching headless (interval 0.5s, labels [\"Allow\", \"Run \\\"it\\\"\"], safe=false).");
    EXPECT_EQ(platform.scans, 3u);
    EXPECT_EQ(sleeps, (std::vector<double>{0.5, 0.5}));
}

TEST(Relaunch, relaunchCommand_rememberedArguments_runningExecutableSameVector) {
    const char* argv[] = {"ondrel", "--once", "--labels", "Allow, Run", ""};
    rememberLaunchArguments(5, argv);
    const RelaunchCommand command = relaunchCommand();
    EXPECT_TRUE(std::filesystem::equivalent(command.path, "/proc/self/exe"));
    EXPECT_EQ(command.arguments, (std::vector<std::string>{"ondrel", "--once", "--labels", "Allow, Run", ""}));
}

TEST(RelaunchDeathTest, execOrExit_execSucceeds_processReplacedWithArguments) {
    EXPECT_EXIT(execOrExit({"/bin/sh", {"sh", "-c", "exit $#", "x", "a b", ""}}, "unused"), testing::ExitedWithCode(2),
                "");
}

TEST(RelaunchDeathTest, execOrExit_executableMissing_logsMessageExitsOne) {
    EXPECT_EXIT(execOrExit({"/nonexistent/ondrel", {"ondrel"}}, "execv failed, cannot re-check permission."),
                testing::ExitedWithCode(1), "");
    std::ifstream file(logFilePath());
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("] execv failed, cannot re-check permission.\n"), std::string::npos);
}

}  // namespace
}  // namespace ondrel
