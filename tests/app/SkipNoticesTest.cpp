// SPDX-License-Identifier: MIT
#include "app/SkipNotices.h"

#include <gtest/gtest.h>

namespace ondrel {
namespace {

const SkippedPrompt rmrf{"Chat", "Allow", "prompt mentions \"rm -rf\"", "run rm -rf build?"};
const SkippedPrompt sudo{"Chat", "Allow", "prompt mentions \"sudo \"", "sudo make install"};
const SkippedPrompt sudoElsewhere{"Editor", "Allow", "prompt mentions \"sudo \"", "sudo make install"};
const SkippedPrompt sudoRelabelled{"Chat", "Allow once", "prompt mentions \"sudo \"", "sudo make install"};

// Each pass's prompts left, and the bodies of the notices that pass brings.
TEST(SkipNotices, afterPass_onlyPromptsThePassBeforeDidNotLeave) {
    const std::vector<std::pair<std::vector<SkippedPrompt>, std::vector<std::string>>> passes{
        {{rmrf, rmrf}, {"In [Chat]: prompt mentions \"rm -rf\""}},  // listed twice, still one prompt
        {{rmrf}, {}},
        {{rmrf, sudo, sudoElsewhere, sudoRelabelled},
         {"In [Chat]: prompt mentions \"sudo \"", "In [Editor]: prompt mentions \"sudo \"",
          "In [Chat]: prompt mentions \"sudo \""}},
        {{}, {}},
        {{rmrf}, {"In [Chat]: prompt mentions \"rm -rf\""}},  // gone, then back: new again
    };
    SkipNotices notices;
    for (std::size_t i = 0; i < passes.size(); ++i) {
        std::vector<std::string> bodies;
        for (const Notice& notice : notices.afterPass(passes[i].first)) {
            EXPECT_EQ(notice.title, "Ondrel left a prompt for you");
            bodies.push_back(notice.body);
        }
        EXPECT_EQ(bodies, passes[i].second) << "pass " << i;
    }
}

TEST(SkipNotices, escapeMarkup_entitiesForTheThreeMarkupCharacters) {
    EXPECT_EQ(escapeMarkup("<b>Tom & \"Jerry\"</b>"), "&lt;b&gt;Tom &amp; \"Jerry\"&lt;/b&gt;");
}

}  // namespace
}  // namespace ondrel
