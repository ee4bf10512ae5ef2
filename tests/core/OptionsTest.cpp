// SPDX-License-Identifier: MIT
#include "core/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/CaseName.h"

namespace ondrel {
namespace {

struct ParseCase {
    const char* name;
    std::vector<std::string> arguments;
    ParseOutcome expected;  // the options, or the exit that ends the process during parsing
};

class CommandLineParse : public testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineParse, parseCommandLine_arguments_optionsOrExit) {
    EXPECT_EQ(parseCommandLine(GetParam().arguments), GetParam().expected);
}

const ParseExit clean{0, "clean: no match -> would PRESS\n", OutputStream::standardOutput};
ParseExit danger(const std::string& pattern) {
    return {0, "DANGER: matched \"" + pattern + "\" -> would SKIP\n", OutputStream::standardOutput};
}
ParseExit unknown(const std::string& argument) {
    return {64, "Unknown option: " + argument + "\n", OutputStream::standardError};
}
const ParseExit help{0, std::string(helpText), OutputStream::standardOutput};

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineParse,
    testing::Values(
        ParseCase{"none", {}, Options{}},
        ParseCase{"intervalLast_ignored", {"--once", "--interval"}, Options{.once = true}},
        ParseCase{"intervalPlusSign", {"--interval", "+2"}, Options{.interval = 2}},
        ParseCase{"intervalExponent", {"--interval", "1e1"}, Options{.interval = 10}},
        ParseCase{"intervalText_consumed", {"--interval", "abc", "--once"}, Options{.once = true}},
        ParseCase{"intervalNegative_consumedNotUnknown", {"--interval", "-1"}, Options{}},
        ParseCase{"intervalNan", {"--interval", "nan"}, Options{}},
        ParseCase{"intervalLeadingSpace", {"--interval", " 2"}, Options{}},
        ParseCase{"intervalUnit", {"--interval", "2s"}, Options{}},
        ParseCase{"intervalComma_notDecimalPoint", {"--interval", "0,5"}, Options{}},
        ParseCase{"intervalBadKeepsEarlier", {"--interval", "3", "--interval", "x"}, Options{.interval = 3}},
        ParseCase{"labelsSplitTrimmed", {"--labels", "Allow, Run ,"}, Options{.labels = {"Allow", "Run"}}},
        ParseCase{"labelsKeepCaseAndInnerSpaces",
                  {"--labels", "\tAlways  Allow\u3000"},
                  Options{.labels = {"Always  Allow"}}},
        ParseCase{"labelsLineBreakNotTrimmed", {"--labels", "Allow\n"}, Options{.labels = {"Allow\n"}}},
        ParseCase{"labelsOnlyCommas_unchanged", {"--labels", " , "}, Options{}},
        ParseCase{"labelsSecondReplaces", {"--labels", "Allow", "--labels", "Run"}, Options{.labels = {"Run"}}},
        ParseCase{"labelsValueLooksLikeOption", {"--labels", "--once"}, Options{.labels = {"--once"}}},
        ParseCase{"unsafeThenSafe", {"--unsafe", "--safe"}, Options{}},
        ParseCase{"quiet", {"--quiet"}, Options{.verbose = false}},
        ParseCase{"quietThenVerbose", {"--quiet", "--verbose"}, Options{}},
        ParseCase{"checkLast_ignored", {"--headless", "--check"}, Options{.headless = true}},
        ParseCase{
            "everyFlag",
            {"--list", "--contains", "--unsafe", "--dry-run", "--once", "--headless"},
            Options{.safe = false, .contains = true, .list = true, .dryRun = true, .once = true, .headless = true}},
        // Requests that end the process: a --check verdict, help, an unknown option.
        ParseCase{"checkUnicodeCapitals_lowered", {"--check", "ÉTAPE: PRODUCTION"}, danger("production")},
        ParseCase{"checkClean", {"--check", "ls"}, clean},
        ParseCase{"checkStopsWalk", {"--check", "ls", "--bogus"}, clean},
        ParseCase{"unknownBeforeCheck", {"--bogus", "--check", "rm -rf"}, unknown("--bogus")},
        ParseCase{"checkInvalidUtf8_stillMatches", {"--check", "\xff SUDO rm"}, danger("sudo ")},
        ParseCase{"helpShort", {"-h"}, help}, ParseCase{"helpThenUnknown", {"--help", "--bogus"}, help},
        ParseCase{"empty_unknown", {""}, unknown("")},
        ParseCase{"equalsForm_unknown", {"--interval=2"}, unknown("--interval=2")},
        ParseCase{"invalidUtf8_echoedUnchanged", {"--\xff\xfe"}, unknown("--\xff\xfe")}),
    testing_support::CaseName());

}  // namespace
}  // namespace ondrel
