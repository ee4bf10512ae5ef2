#include "core/Text.h"

#include <gtest/gtest.h>

#include "core/TextForms.h"
#include "tests/support/CaseName.h"

namespace ondrel {
namespace {

struct TextCase {
    const char* name;
    std::string input;
    std::string expected;
};

class Trimmed : public testing::TestWithParam<TextCase> {};
TEST_P(Trimmed, trimmed_whiteSpaceAndLineBreaks_removedAtBothEnds) {
    EXPECT_EQ(text::trimmed(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, Trimmed,
                         testing::Values(TextCase{"spacesAndLineFeed", "  Allow \n", "Allow"},
                                         TextCase{"unicodeSpacesAndCrLf", "\u00A0\u2028Run\u3000\r\n", "Run"},
                                         TextCase{"innerSpacesKept", " a  b ", "a  b"},
                                         TextCase{"onlyWhiteSpace", " \t\n", ""}, TextCase{"empty", "", ""},
                                         TextCase{"invalidUtf8Kept", "\xff \xfe", "\xff \xfe"}),
                         testing_support::CaseName());

class TrimmedSpaces : public testing::TestWithParam<TextCase> {};
TEST_P(TrimmedSpaces, trimmedSpaces_spacesAndTab_removedLineBreaksKept) {
    EXPECT_EQ(text::trimmedSpaces(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, TrimmedSpaces,
                         testing::Values(TextCase{"tabAndEmSpace", "\t Allow\u2003", "Allow"},
                                         TextCase{"lineBreaksKept", "\nAllow \n", "\nAllow \n"},
                                         TextCase{"onlySpaces", "   ", ""}),
                         testing_support::CaseName());

class Lowercased : public testing::TestWithParam<TextCase> {};
TEST_P(Lowercased, lowercased_text_fullUnicodeMapping) {
    EXPECT_EQ(text::lowercased(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, Lowercased,
                         testing::Values(TextCase{"ascii", "RM -RF", "rm -rf"},
                                         TextCase{"accentedAndGreek", "ÉTAPE Ω", "étape ω"},
                                         TextCase{"dottedCapitalI_twoCodePoints", "İ", "i\u0307"},
                                         TextCase{"greekWord", "ΟΔΟΣ", "οδος"},
                                         TextCase{"invalidUtf8_replaced", "a\xff", "a\uFFFD"}),
                         testing_support::CaseName());

struct CountCase {
    const char* name;
    std::string input;
    std::size_t expected;
};
class CharacterCount : public testing::TestWithParam<CountCase> {};
TEST_P(CharacterCount, characterCount_text_userPerceivedCharacters) {
    EXPECT_EQ(text::characterCount(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, CharacterCount,
                         testing::Values(CountCase{"empty", "", 0}, CountCase{"ascii", "abc", 3},
                                         CountCase{"crLfIsOne", "a\r\nb", 3},
                                         CountCase{"combiningAccent", "e\u0301", 1},
                                         CountCase{"joinedEmoji", "\U0001F468\u200D\U0001F469", 1},
                                         CountCase{"flagThenLetter", "🇩🇪x", 2}, CountCase{"cjk", "日本", 2}),
                         testing_support::CaseName());

struct IntervalCase {
    const char* name;
    double seconds;
    const char* expected;
};
class IntervalText : public testing::TestWithParam<IntervalCase> {};
TEST_P(IntervalText, formatInterval_number_plainUpTo17SignificantDigits) {
    EXPECT_EQ(formatInterval(GetParam().seconds), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, IntervalText,
    testing::Values(IntervalCase{"one", 1, "1.0"}, IntervalCase{"half", 0.5, "0.5"},
                    IntervalCase{"twoQuarters", 2.25, "2.25"}, IntervalCase{"tenth", 0.1, "0.1"},
                    IntervalCase{"day", 86400, "86400.0"}, IntervalCase{"hundredThousand", 100000, "100000.0"},
                    IntervalCase{"third", 1.0 / 3, "0.3333333333333333"},
                    IntervalCase{"tenMicroseconds", 1e-5, "0.00001"},
                    IntervalCase{"seventeenDigits", 1e16, "10000000000000000.0"},
                    IntervalCase{"seventeenDigitsFraction", 12345678.901234567, "12345678.901234567"},
                    IntervalCase{"eighteenDigits", 123456789012345678.0, "1.2345678901234568e+17"},
                    IntervalCase{"huge", 1e22, "1e+22"}),
    testing_support::CaseName());

TEST(LabelListText, formatLabelList_labels_quotedAndEscaped) {
    EXPECT_EQ(formatLabelList({"Allow"}), "[\"Allow\"]");
    EXPECT_EQ(formatLabelList({"Allow", "Run"}), "[\"Allow\", \"Run\"]");
    EXPECT_EQ(formatLabelList({"say \"yes\"", "a\\b"}), "[\"say \\\"yes\\\"\", \"a\\\\b\"]");
    EXPECT_EQ(formatLabelList({"a\nb\x01"}), "[\"a\\nb\\u{1}\"]");
}

struct EscapeCase {
    const char* name;
    std::string input;
    std::string expected;
};
class LineText : public testing::TestWithParam<EscapeCase> {};
TEST_P(LineText, escapeForLine_outsideText_cannotBreakOrControlTheLine) {
    EXPECT_EQ(escapeForLine(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, LineText,
                         testing::Values(EscapeCase{"plain", "Allow (⌘⏎) \"ok\" a\\b", "Allow (⌘⏎) \"ok\" a\\b"},
                                         EscapeCase{"breaksAndTab", "a\r\nb\tc", "a\\r\\nb\\tc"},
                                         EscapeCase{"terminalEscape", "\x1b[2Jx\x7f", "\\u{1b}[2Jx\\u{7f}"},
                                         EscapeCase{"nul", std::string("a\0b", 3), "a\\u{0}b"},
                                         EscapeCase{"c1Controls", "\u0085next\u009b1m", "\\u{85}next\\u{9b}1m"},
                                         EscapeCase{"lineAndParagraphSeparators", "a\u2028b\u2029c",
                                                    "a\\u{2028}b\\u{2029}c"},
                                         EscapeCase{"bidiOverride", "\u202Eyned", "\\u{202e}yned"},
                                         EscapeCase{"notUtf8", "a\xff\xc3", "a\\x{ff}\\x{c3}"}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ondrel
