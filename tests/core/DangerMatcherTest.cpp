// SPDX-License-Identifier: MIT
#include "core/DangerMatcher.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/CaseName.h"

namespace ondrel {
namespace {

struct MatchCase {
    const char* name;
    const char* text;
    std::optional<std::string_view> expected;
};

class DangerMatch : public testing::TestWithParam<MatchCase> {};

TEST_P(DangerMatch, dangerMatch_text_firstPatternInListOrder) {
    EXPECT_EQ(dangerMatch(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DangerMatch,
    testing::Values(
        MatchCase{"empty", "", std::nullopt},
        MatchCase{"forcePush", "git push --force origin main", "git push --force"},
        MatchCase{"listOrderBeatsTextOrder", "curl -o x.sh && rm -rf build", "rm -rf"},
        MatchCase{"sudoWithoutSpace_noMatch", "then sudo", std::nullopt},
        MatchCase{"sudoThenSpace", "sudo rm x", "sudo "}, MatchCase{"curlInsideWord", "curly braces", "curl"},
        MatchCase{"redirectWithoutSpace_noMatch", "echo x >/dev/null", std::nullopt},
        MatchCase{"redirectToDevice", "echo x > /dev/null", "> /dev/"}, MatchCase{"prodThenSpace", "prod db", "prod "},
        MatchCase{"capitals_noMatchUnlowered", "Chown -R user dir", std::nullopt},
        MatchCase{"recursiveChown", "chown -r user dir", "chown -r"},
        MatchCase{"recursiveRemove", "rm -r dir", "rm -r "},
        MatchCase{"removeFlagsRunOn_noMatch", "rm -rdir", std::nullopt}, MatchCase{"harmless", "ls -la", std::nullopt},
        // Read as a shell reads a command's words, and as the letters look.
        MatchCase{"lineContinued", "git push \\\n    --force", "git push --force"},
        MatchCase{"argumentList", "[\"git\", \"push\", \"--force\"]", "git push --force"},
        MatchCase{"lookAlikeLetters", "\u0455ud\u03bf apt-get", "sudo "},
        MatchCase{"lookAlikeHarmless", "\u0430pt-cache policy", std::nullopt},
        // Any run of white space reads as one space.
        MatchCase{"tab", "sudo\trm x", "sudo "}, MatchCase{"noBreakSpace", "sudo\u00A0rm x", "sudo "},
        MatchCase{"ideographicSpaceInCommand", "rm\u3000-rf /", "rm -rf"},
        MatchCase{"runOfSpacesAndBreaks", "git  push \r\n --force", "git push --force"},
        MatchCase{"endsInSudo", "ends in sudo", std::nullopt},
        MatchCase{"zeroWidthSpaceIsNotWhiteSpace", "sudo\u200Brm", std::nullopt}),
    testing_support::CaseName());

}  // namespace
}  // namespace ondrel
