// SPDX-License-Identifier: MIT
// Starting and restarting: the command kept for a restart in place, the new instance of an app bundle,
// and the launcher's arguments dropped at start. The macOS rules run on every platform.

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "app/integration/Relaunch.h"
#include "app/integration/macos/BundleRelaunch.h"
#include "app/integration/macos/ProcessSerialNumber.h"
#include "core/ActivityLog.h"
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"

namespace ondrel {
namespace {

TEST(Relaunch, relaunchCommand_rememberedArguments_runningExecutableSameVector) {
    const char* argv[] = {"ondrel", "--once", "--labels", "Allow, Run", ""};
    rememberLaunchArguments(5, argv);
    const RelaunchCommand command = relaunchCommand();
    EXPECT_TRUE(std::filesystem::equivalent(command.path, "/proc/self/exe"));
    EXPECT_EQ(command.arguments, (std::vector<std::string>{"ondrel", "--once", "--labels", "Allow, Run", ""}));
}

struct RestartCase {
    const char* name;
    void (*restart)(const RelaunchCommand& command, const std::string& failureMessage);
    RelaunchCommand command;
    int status;  // 1 is the restart's own failure, which it logs
};

class RestartDeathTest : public testing::TestWithParam<RestartCase> {};

TEST_P(RestartDeathTest, restart_command_endsWithItsStatusLogsOnlyItsOwnFailure) {
    const std::string message = std::string("Relaunch failed (") + GetParam().name + ").";
    EXPECT_EXIT(GetParam().restart(GetParam().command, message), testing::ExitedWithCode(GetParam().status), "");
    EXPECT_EQ(testing_support::readFile(logFilePath()).find("] " + message + "\n") != std::string::npos,
              GetParam().status == 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestartDeathTest,
    testing::Values(
        RestartCase{"inPlaceArgumentsArriveWhole", execOrExit, {"/bin/sh", {"sh", "-c", "exit $#", "x", "a b", ""}}, 2},
        RestartCase{"inPlaceExecutableMissing", execOrExit, {"/nonexistent/ondrel", {"ondrel"}}, 1},
        RestartCase{"newInstanceArgumentsArriveWhole",
                    launchAndExit,
                    {"/bin/sh", {"sh", "-c", "test \"$1\" = 'a b'", "x", "a b"}},
                    0},
        RestartCase{"newInstanceCommandFails", launchAndExit, {"/bin/sh", {"sh", "-c", "exit 3"}}, 1},
        RestartCase{"newInstanceProgramMissing", launchAndExit, {"/nonexistent/open", {"open"}}, 1}),
    testing_support::CaseName());

TEST(BundleRelaunch, enclosingAppBundle_executablePath_bundleOrEmpty) {
    const std::pair<const char*, const char*> cases[] = {
        {"/Applications/Ondrel.app/Contents/MacOS/Ondrel", "/Applications/Ondrel.app"},
        {"Ondrel.app/Contents/MacOS/Ondrel", "Ondrel.app"},
        {"/usr/local/bin/ondrel", ""},
        {"/Applications/Ondrel.app/Contents/MacOS/tools/ondrel", ""},  // deeper in the bundle
        {"/opt/Ondrel/Contents/MacOS/Ondrel", ""},                     // the folder is no app
        {"/Applications/Ondrel.app/Contents/MacOS/", ""},
    };
    for (const auto& [executable, bundle] : cases)
        EXPECT_EQ(enclosingAppBundle(executable), bundle) << executable;
}

TEST(BundleRelaunch, bundleRelaunchCommand_arguments_newInstanceWithArgumentsAfterProgramName) {
    const std::string bundle = "/Applications/Ondrel.app";
    EXPECT_EQ(bundleRelaunchCommand(bundle, {"/Applications/Ondrel.app/Contents/MacOS/Ondrel"}).arguments,
              (std::vector<std::string>{"open", "-n", bundle}));
    const RelaunchCommand command = bundleRelaunchCommand(bundle, {"Ondrel", "--interval", "2", ""});
    EXPECT_EQ(command.path, "/usr/bin/open");
    EXPECT_EQ(command.arguments, (std::vector<std::string>{"open", "-n", bundle, "--args", "--interval", "2", ""}));
}

TEST(ProcessSerialNumbers, dropProcessSerialNumbers_arguments_othersKeptInOrderNullAfterTheLast) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"Ondrel", "-psn_0_12345"}, {"Ondrel"}},  // the Finder's first open
        {{"Ondrel", "--interval", "2", "-psn_0_9", "--unsafe"}, {"Ondrel", "--interval", "2", "--unsafe"}},
        {{"Ondrel", "-psn"}, {"Ondrel", "-psn"}},
        {{"Ondrel"}, {"Ondrel"}},
    };
    for (auto [arguments, expected] : cases) {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int count = dropProcessSerialNumbers(static_cast<int>(arguments.size()), argv.data());
        EXPECT_EQ(std::vector<std::string>(argv.begin(), argv.begin() + count), expected);
        EXPECT_EQ(argv[static_cast<std::size_t>(count)], nullptr);
    }
}

}  // namespace
}  // namespace ondrel
