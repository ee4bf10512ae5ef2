// SPDX-License-Identifier: MIT
#include "core/Text.h"

#include <gtest/gtest.h>

#include "core/TextForms.h"
#include "tests/support/CaseName.h"

namespace ondrel {
namespace {

// Each text function against the inputs that once broke one: Unicode spaces, case and invalid UTF-8.
struct TextCase {
    const char* name;
    std::string (*function)(std::string_view);
    std::string input;
    std::string expected;
};

std::string count(std::string_view text) {
    return std::to_string(text::characterCount(text));
}

class TextFunction : public testing::TestWithParam<TextCase> {};
TEST_P(TextFunction, function_input_expectedText) {
    EXPECT_EQ(GetParam().function(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, TextFunction,
    testing::Values(
        // trimmed: white space and line breaks removed at both ends.
        TextCase{"trimmed_unicodeSpacesAndCrLf", text::trimmed, "\u00A0\u2028Run\u3000\r\n", "Run"},
        TextCase{"trimmed_innerSpacesKept", text::trimmed, " a  b ", "a  b"},
        TextCase{"trimmed_onlyWhiteSpace", text::trimmed, " \t\n", ""},
        TextCase{"trimmed_empty", text::trimmed, "", ""},
        TextCase{"trimmed_invalidUtf8Kept", text::trimmed, "\xff \xfe", "\xff \xfe"},
        // trimmedSpaces: spaces and tabs only, line breaks kept.
        TextCase{"trimmedSpaces_tabAndEmSpace", text::trimmedSpaces, "\t Allow\u2003", "Allow"},
        TextCase{"trimmedSpaces_lineBreaksKept", text::trimmedSpaces, "\nAllow \n", "\nAllow \n"},
        TextCase{"trimmedSpaces_onlySpaces", text::trimmedSpaces, "   ", ""},
        // lowercased: the full Unicode mapping.
        TextCase{"lowercased_accentedAndGreek", text::lowercased, "ÉTAPE Ω", "étape ω"},
        TextCase{"lowercased_dottedCapitalI_twoCodePoints", text::lowercased, "İ", "i\u0307"},
        TextCase{"lowercased_greekWord", text::lowercased, "ΟΔΟΣ", "οδος"},
        TextCase{"lowercased_invalidUtf8_replaced", text::lowercased, "a\xff", "a\uFFFD"},
        // matchingForm: as safe mode reads a text, nothing invisible or dressed up hides a word.
        TextCase{"matchingForm_invisibleAndFullwidth", text::matchingForm, "R\u200Bm -\uFF52\u00ADf", "rm -rf"},
        TextCase{"matchingForm_dashes", text::matchingForm, "\u2013force \u2212r", "--force -r"},
        TextCase{"withoutMarks_underlinesAndAccents", text::withoutMarks, "r\u0332m \u00E9t\u00E9", "rm ete"},
        // escapeForLine: outside text can neither break nor control the line.
        TextCase{"escape_plain", escapeForLine, "Allow (⌘⏎) \"ok\" a\\b", "Allow (⌘⏎) \"ok\" a\\b"},
        TextCase{"escape_breaksAndTab", escapeForLine, "a\r\nb\tc", "a\\r\\nb\\tc"},
        TextCase{"escape_terminalEscape", escapeForLine, "\x1b[2Jx\x7f", "\\u{1b}[2Jx\\u{7f}"},
        TextCase{"escape_nul", escapeForLine, std::string("a\0b", 3), "a\\u{0}b"},
        TextCase{"escape_c1Controls", escapeForLine, "\u0085next\u009b1m", "\\u{85}next\\u{9b}1m"},
        TextCase{"escape_lineAndParagraphSeparators", escapeForLine, "a\u2028b\u2029c", "a\\u{2028}b\\u{2029}c"},
        TextCase{"escape_bidiOverride", escapeForLine, "\u202Eyned", "\\u{202e}yned"},
        TextCase{"escape_notUtf8", escapeForLine, "a\xff\xc3", "a\\x{ff}\\x{c3}"},
        // characterCount: what the user perceives as one character counts one.
        TextCase{"count_empty", count, "", "0"}, TextCase{"count_crLfIsOne", count, "a\r\nb", "3"},
        TextCase{"count_combiningAccent", count, "e\u0301", "1"},
        TextCase{"count_joinedEmoji", count, "\U0001F468\u200D\U0001F469", "1"},
        TextCase{"count_flagThenLetter", count, "🇩🇪x", "2"}),
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
    testing::Values(IntervalCase{"one", 1, "1.0"}, IntervalCase{"tenth", 0.1, "0.1"},
                    IntervalCase{"hundredThousand", 100000, "100000.0"},
                    IntervalCase{"third", 1.0 / 3, "0.3333333333333333"},
                    IntervalCase{"tenMicroseconds", 1e-5, "0.00001"},
                    IntervalCase{"seventeenDigits", 1e16, "10000000000000000.0"},
                    IntervalCase{"seventeenDigitsFraction", 12345678.901234567, "12345678.901234567"},
                    IntervalCase{"eighteenDigits", 123456789012345678.0, "1.2345678901234568e+17"}),
    testing_support::CaseName());

TEST(LabelListText, formatLabelList_labels_quotedAndEscaped) {
    EXPECT_EQ(formatLabelList({"Allow", "Run"}), "[\"Allow\", \"Run\"]");
    EXPECT_EQ(formatLabelList({"say \"yes\"", "a\\b"}), "[\"say \\\"yes\\\"\", \"a\\\\b\"]");
    EXPECT_EQ(formatLabelList({"a\nb\x01"}), "[\"a\\nb\\u{1}\"]");
}

}  // namespace
}  // namespace ondrel
