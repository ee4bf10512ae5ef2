#include "core/DangerMatcher.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ondrel {
namespace {

struct MatchCase {
    const char* text;
    std::optional<std::string_view> expected;
};

class DangerMatch : public testing::TestWithParam<MatchCase> {};

TEST_P(DangerMatch, dangerMatch_text_firstPatternInListOrder) {
    EXPECT_EQ(dangerMatch(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DangerMatch,
    testing::Values(MatchCase{"", std::nullopt}, MatchCase{"git push --force origin main", "git push --force"},
                    MatchCase{"curl -o x.sh && rm -rf build", "rm -rf"},  // list order beats text order
                    MatchCase{"then sudo", std::nullopt}, MatchCase{"sudo rm x", "sudo "},
                    MatchCase{"curly braces", "curl"}, MatchCase{"secretary", "secret"},
                    MatchCase{"tokenizer", "token"}, MatchCase{".environment", ".env"},
                    MatchCase{"echo x >/dev/null", std::nullopt}, MatchCase{"echo x > /dev/null", "> /dev/"},
                    MatchCase{"production database", "production"}, MatchCase{"prod db", "prod "},
                    MatchCase{"Chown -R user dir", std::nullopt}, MatchCase{"chown -r user dir", "chown -r"},
                    MatchCase{"git branch -d old", "branch -d"}, MatchCase{"rm -r dir", "rm -r "},
                    MatchCase{"rm -rdir", std::nullopt}, MatchCase{"ls -la", std::nullopt}));

struct WhiteSpaceCase {
    const char* name;
    const char* text;
    std::optional<std::string_view> expected;
};
class DangerMatchWhiteSpace : public testing::TestWithParam<WhiteSpaceCase> {};
TEST_P(DangerMatchWhiteSpace, dangerMatch_anyWhiteSpaceRun_readAsOneSpace) {
    EXPECT_EQ(dangerMatch(GetParam().text), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, DangerMatchWhiteSpace,
                         testing::Values(WhiteSpaceCase{"tab", "sudo\trm x", "sudo "},
                                         WhiteSpaceCase{"lineFeed", "sudo\napt purge", "sudo "},
                                         WhiteSpaceCase{"tabInAws", "aws\ts3 rm s3://b", "aws "},
                                         WhiteSpaceCase{"noBreakSpace", "sudo\u00A0rm x", "sudo "},
                                         WhiteSpaceCase{"ideographicSpaceInCommand", "rm\u3000-rf /", "rm -rf"},
                                         WhiteSpaceCase{"runOfSpacesAndBreaks", "git  push \r\n --force",
                                                        "git push --force"},
                                         WhiteSpaceCase{"endsInSudo", "ends in sudo", std::nullopt},
                                         WhiteSpaceCase{"zeroWidthSpaceIsNotWhiteSpace", "sudo\u200Brm", std::nullopt}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(DangerPatterns, dangerPatterns_everyEntry_matchesItselfFirstOrAnEarlierEntry) {
    for (std::size_t i = 0; i < dangerPatterns.size(); ++i) {
        auto match = dangerMatch(dangerPatterns[i]);
        ASSERT_TRUE(match.has_value()) << dangerPatterns[i];
        const auto position = std::find(dangerPatterns.begin(), dangerPatterns.end(), *match) - dangerPatterns.begin();
        EXPECT_LE(static_cast<std::size_t>(position), i) << dangerPatterns[i];
    }
}

}  // namespace
}  // namespace ondrel
