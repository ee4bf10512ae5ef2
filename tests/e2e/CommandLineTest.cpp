// SPDX-License-Identifier: MIT
// The built program, run as a user runs it: exit statuses and which stream each text goes to.

#include <gtest/gtest.h>

#include <string>

#include "core/Options.h"
#include "tests/support/CaseName.h"
#include "tests/support/RunProgram.h"

namespace ondrel {
namespace {

using testing_support::runProgram;

struct CliCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err;
};

class CommandLine : public testing::TestWithParam<CliCase> {};

TEST_P(CommandLine, ondrel_arguments_statusAndStreams) {
    const CliCase& c = GetParam();
    const auto run = runProgram(ONDREL_BINARY, c.arguments, {"HOME=" + std::string(::getenv("HOME"))});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine,
                         testing::Values(CliCase{"help", {"--help"}, 0, std::string(helpText), ""},
                                         CliCase{"unknown", {"--once", "-H"}, 64, "", "Unknown option: -H\n"}),
                         testing_support::CaseName());

TEST(CommandLineWithoutDesktop, commandLineModes_noSessionBus_sayWhatIsMissingAndEnd69) {
    // As from cron or an ssh shell: no session bus, so no accessibility bus either. Killed after 3 s.
    for (const char* mode : {"--once", "--list", "--headless"}) {
        const auto run =
            runProgram("/usr/bin/env", {"-i", "HOME=" + std::string(::getenv("HOME")), ONDREL_BINARY, mode}, {}, 3);
        EXPECT_EQ(run.status, 69) << mode;
        EXPECT_NE(run.out.find("] Accessibility is unavailable: there is no D-Bus session bus ("), std::string::npos)
            << run.out;
        EXPECT_NE(run.out.find("Run Ondrel inside your desktop session"), std::string::npos);
    }
}

}  // namespace
}  // namespace ondrel
