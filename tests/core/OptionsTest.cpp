#include "core/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/CaseName.h"

namespace ondrel {
namespace {

struct WalkCase {
    const char* name;
    std::vector<std::string> arguments;
    Options expected;
};

Options with(void (*change)(Options&)) {
    Options options;
    change(options);
    return options;
}

class OptionWalk : public testing::TestWithParam<WalkCase> {};

TEST_P(OptionWalk, parseCommandLine_arguments_giveOptions) {
    const WalkCase& c = GetParam();
    ParseOutcome outcome = parseCommandLine(c.arguments);
    ASSERT_TRUE(std::holds_alternative<Options>(outcome)) << std::get<ParseExit>(outcome).text;
    EXPECT_EQ(std::get<Options>(outcome), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionWalk,
    testing::Values(
        WalkCase{"none", {}, Options{}},
        WalkCase{"intervalLast_ignored", {"--once", "--interval"}, with([](Options& o) { o.once = true; })},
        WalkCase{"intervalQuarter", {"--interval", "0.25"}, with([](Options& o) { o.interval = 0.25; })},
        WalkCase{"intervalExponent", {"--interval", "1e1"}, with([](Options& o) { o.interval = 10; })},
        WalkCase{"intervalPlusSign", {"--interval", "+2"}, with([](Options& o) { o.interval = 2; })},
        WalkCase{"intervalText_consumed", {"--interval", "abc", "--once"}, with([](Options& o) { o.once = true; })},
        WalkCase{"intervalZero", {"--interval", "0"}, Options{}},
        WalkCase{"intervalNegative_consumedNotUnknown", {"--interval", "-1"}, Options{}},
        WalkCase{"intervalNan", {"--interval", "nan"}, Options{}},
        WalkCase{"intervalInfinity", {"--interval", "inf"}, Options{}},
        WalkCase{"intervalLeadingSpace", {"--interval", " 2"}, Options{}},
        WalkCase{"intervalUnit", {"--interval", "2s"}, Options{}},
        WalkCase{"intervalComma_notDecimalPoint", {"--interval", "0,5"}, Options{}},
        WalkCase{"intervalBadKeepsEarlier", {"--interval", "3", "--interval", "x"}, with([](Options& o) {
                     o.interval = 3;
                 })},
        WalkCase{"labelsSplitTrimmed", {"--labels", "Allow, Run ,"}, with([](Options& o) {
                     o.labels = {"Allow", "Run"};
                 })},
        WalkCase{"labelsKeepCaseAndInnerSpaces", {"--labels", "\tAlways  Allow\u3000"}, with([](Options& o) {
                     o.labels = {"Always  Allow"};
                 })},
        WalkCase{
            "labelsLineBreakNotTrimmed", {"--labels", "Allow\n"}, with([](Options& o) { o.labels = {"Allow\n"}; })},
        WalkCase{"labelsOnlyCommas_unchanged", {"--labels", " , "}, Options{}},
        WalkCase{"labelsSecondReplaces", {"--labels", "Allow", "--labels", "Run"}, with([](Options& o) {
                     o.labels = {"Run"};
                 })},
        WalkCase{"labelsValueLooksLikeOption", {"--labels", "--once"}, with([](Options& o) { o.labels = {"--once"}; })},
        WalkCase{"unsafeThenSafe", {"--unsafe", "--safe"}, Options{}},
        WalkCase{"quiet", {"--quiet"}, with([](Options& o) { o.verbose = false; })},
        WalkCase{"quietThenVerbose", {"--quiet", "--verbose"}, Options{}},
        WalkCase{"checkLast_ignored", {"--headless", "--check"}, with([](Options& o) { o.headless = true; })},
        WalkCase{"everyFlag",
                 {"--list", "--contains", "--unsafe", "--dry-run", "--once", "--headless"},
                 with([](Options& o) {
                     o.list = o.contains = o.dryRun = o.once = o.headless = true;
                     o.safe = false;
                 })}),
    testing_support::CaseName());

struct ExitCase {
    const char* name;
    std::vector<std::string> arguments;
    ParseExit expected;
};

class OptionExit : public testing::TestWithParam<ExitCase> {};

TEST_P(OptionExit, parseCommandLine_arguments_endWithExit) {
    const ExitCase& c = GetParam();
    ParseOutcome outcome = parseCommandLine(c.arguments);
    ASSERT_TRUE(std::holds_alternative<ParseExit>(outcome));
    EXPECT_EQ(std::get<ParseExit>(outcome), c.expected);
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
    Cases, OptionExit,
    testing::Values(ExitCase{"checkCapitals_lowered", {"--check", "please RM -RF /"}, danger("rm -rf")},
                    ExitCase{"checkUnicodeCapitals_lowered", {"--check", "ÉTAPE: PRODUCTION"}, danger("production")},
                    ExitCase{"checkClean", {"--check", "ls"}, clean},
                    ExitCase{"checkTrailingSpaceKept", {"--check", "sudo rm x"}, danger("sudo ")},
                    ExitCase{"checkStopsWalk", {"--check", "ls", "--bogus"}, clean},
                    ExitCase{"unknownBeforeCheck", {"--bogus", "--check", "rm -rf"}, unknown("--bogus")},
                    ExitCase{"checkInvalidUtf8_noMatch", {"--check", "\xff\xfe ls \xc3"}, clean},
                    ExitCase{"checkInvalidUtf8_stillMatches", {"--check", "\xff SUDO rm"}, danger("sudo ")},
                    ExitCase{"helpShort", {"-h"}, help}, ExitCase{"helpThenUnknown", {"--help", "--bogus"}, help},
                    ExitCase{"capitalH_unknown", {"-H"}, unknown("-H")}, ExitCase{"empty_unknown", {""}, unknown("")},
                    ExitCase{"equalsForm_unknown", {"--interval=2"}, unknown("--interval=2")},
                    ExitCase{"positional_unknown", {"Allow"}, unknown("Allow")},
                    ExitCase{"invalidUtf8_echoedUnchanged", {"--\xff\xfe"}, unknown("--\xff\xfe")},
                    ExitCase{"caseSensitive_unknown", {"--Once"}, unknown("--Once")}),
    testing_support::CaseName());

}  // namespace
}  // namespace ondrel
