// SPDX-License-Identifier: MIT
#include "app/BundleRelaunch.h"

#include <gtest/gtest.h>

#include "core/ActivityLog.h"
#include "tests/support/Files.h"

namespace ondrel {
namespace {

auto caseName = [](const auto& info) { return std::string(info.param.name); };

struct BundleCase {
    const char* name;
    const char* executable;
    const char* bundle;
};

class EnclosingBundle : public testing::TestWithParam<BundleCase> {};

TEST_P(EnclosingBundle, enclosingAppBundle_executablePath_bundleOrEmpty) {
    EXPECT_EQ(enclosingAppBundle(GetParam().executable), GetParam().bundle);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnclosingBundle,
                         testing::Values(BundleCase{"applications", "/Applications/Ondrel.app/Contents/MacOS/Ondrel",
                                                    "/Applications/Ondrel.app"},
                                         BundleCase{"relative", "Ondrel.app/Contents/MacOS/Ondrel", "Ondrel.app"},
                                         BundleCase{"plainExecutable", "/usr/local/bin/ondrel", ""},
                                         BundleCase{"deeperInBundle",
                                                    "/Applications/Ondrel.app/Contents/MacOS/tools/ondrel", ""},
                                         BundleCase{"folderNotApp", "/opt/Ondrel/Contents/MacOS/Ondrel", ""},
                                         BundleCase{"folderOnly", "/Applications/Ondrel.app/Contents/MacOS/", ""}),
                         caseName);

TEST(BundleRelaunch, bundleRelaunchCommand_arguments_newInstanceWithArgumentsAfterProgramName) {
    const std::string bundle = "/Applications/Ondrel.app";
    EXPECT_EQ(bundleRelaunchCommand(bundle, {"/Applications/Ondrel.app/Contents/MacOS/Ondrel"}).arguments,
              (std::vector<std::string>{"open", "-n", bundle}));
    const RelaunchCommand command = bundleRelaunchCommand(bundle, {"Ondrel", "--interval", "2", ""});
    EXPECT_EQ(command.path, "/usr/bin/open");
    EXPECT_EQ(command.arguments, (std::vector<std::string>{"open", "-n", bundle, "--args", "--interval", "2", ""}));
}

struct LaunchCase {
    const char* name;
    RelaunchCommand command;
    int status;
};

class LaunchAndExitDeathTest : public testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchAndExitDeathTest, launchAndExit_command_zeroOnlyWhenItSucceeded) {
    const std::string message = std::string("Relaunch failed (") + GetParam().name + ").";
    EXPECT_EXIT(launchAndExit(GetParam().command, message), testing::ExitedWithCode(GetParam().status), "");
    EXPECT_EQ(testing_support::readFile(logFilePath()).find("] " + message + "\n") != std::string::npos,
              GetParam().status != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LaunchAndExitDeathTest,
    testing::Values(LaunchCase{"argumentsArriveWhole", {"/bin/sh", {"sh", "-c", "test \"$1\" = 'a b'", "x", "a b"}}, 0},
                    LaunchCase{"commandFails", {"/bin/sh", {"sh", "-c", "exit 3"}}, 1},
                    LaunchCase{"programMissing", {"/nonexistent/open", {"open"}}, 1}),
    caseName);

}  // namespace
}  // namespace ondrel
