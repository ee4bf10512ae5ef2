#include "core/Text.h"

#include <gtest/gtest.h>

#include "core/TextForms.h"

namespace ondrel {
namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

class Trimmed : public testing::TestWithParam<TextCase> {};
TEST_P(Trimmed, trimmed_whiteSpaceAndLineBreaks_removedAtBothEnds) {
    EXPECT_EQ(text::trimmed(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, Trimmed,
                         testing::Values(TextCase{"  Allow \n", "Allow"}, TextCase{"\u00A0\u2028Run\u3000\r\n", "Run"},
                                         TextCase{" a  b ", "a  b"}, TextCase{" \t\n", ""}, TextCase{"", ""},
                                         TextCase{"\xff \xfe", "\xff \xfe"}));

class TrimmedSpaces : public testing::TestWithParam<TextCase> {};
TEST_P(TrimmedSpaces, trimmedSpaces_spacesAndTab_removedLineBreaksKept) {
    EXPECT_EQ(text::trimmedSpaces(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, TrimmedSpaces,
                         testing::Values(TextCase{"\t Allow\u2003", "Allow"}, TextCase{"\nAllow \n", "\nAllow \n"},
                                         TextCase{"   ", ""}));

class Lowercased : public testing::TestWithParam<TextCase> {};
TEST_P(Lowercased, lowercased_text_fullUnicodeMapping) {
    EXPECT_EQ(text::lowercased(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, Lowercased,
                         testing::Values(TextCase{"RM -RF", "rm -rf"}, TextCase{"ÉTAPE Ω", "étape ω"},
                                         TextCase{"İ", "i\u0307"},  // full mapping: two code points
                                         TextCase{"ΟΔΟΣ", "οδος"}, TextCase{"a\xff", "a\uFFFD"}));

struct CountCase {
    std::string input;
    std::size_t expected;
};
class CharacterCount : public testing::TestWithParam<CountCase> {};
TEST_P(CharacterCount, characterCount_text_userPerceivedCharacters) {
    EXPECT_EQ(text::characterCount(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, CharacterCount,
                         testing::Values(CountCase{"", 0}, CountCase{"abc", 3}, CountCase{"a\r\nb", 3},
                                         CountCase{"e\u0301", 1}, CountCase{"\U0001F468\u200D\U0001F469", 1},
                                         CountCase{"🇩🇪x", 2}, CountCase{"日本", 2}));

struct IntervalCase {
    double seconds;
    const char* expected;
};
class IntervalText : public testing::TestWithParam<IntervalCase> {};
TEST_P(IntervalText, formatInterval_number_shortestTextThatReadsBack) {
    EXPECT_EQ(formatInterval(GetParam().seconds), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, IntervalText,
                         testing::Values(IntervalCase{1, "1.0"}, IntervalCase{0.5, "0.5"}, IntervalCase{2.25, "2.25"},
                                         IntervalCase{0.1, "0.1"}, IntervalCase{120, "120.0"},
                                         IntervalCase{1.0 / 3, "0.3333333333333333"}, IntervalCase{1e22, "1e+22"}));

TEST(LabelListText, formatLabelList_labels_quotedAndEscaped) {
    EXPECT_EQ(formatLabelList({"Allow"}), "[\"Allow\"]");
    EXPECT_EQ(formatLabelList({"Allow", "Run"}), "[\"Allow\", \"Run\"]");
    EXPECT_EQ(formatLabelList({"say \"yes\"", "a\\b"}), "[\"say \\\"yes\\\"\", \"a\\\\b\"]");
    EXPECT_EQ(formatLabelList({"a\nb\x01"}), "[\"a\\nb\\u{1}\"]");
}

}  // namespace
}  // namespace ondrel
