// SPDX-License-Identifier: MIT
#include "core/PromptReader.h"

#include <gtest/gtest.h>

#include "core/Engine.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

// Nested containers, outermost first, whose whole text has `sizes[i]` characters; the button sits in
// the innermost.
void nestedPrompt(fake::FakePlatform& platform, const Element& window, const std::vector<std::size_t>& sizes) {
    std::vector<Element> levels;
    Element parent = window;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        levels.push_back(parent = platform.addGroup(parent));
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::size_t own = sizes[i] - (i + 1 < sizes.size() ? sizes[i + 1] + 1 : 0);
        platform.addText(levels[i], std::string(own, static_cast<char>('a' + i)));
    }
    platform.addButton(levels.back(), "Allow");
}

class Prompt : public testing_support::Scene {
protected:
    // The prompt text around each Allow button of the window, in the order the pass meets them.
    std::vector<std::optional<std::string>> textsAround(const Element& window, PromptReader& reader) {
        std::vector<std::optional<std::string>> texts;
        for (const FoundButton& button : scanner.findButtons(window, {"Allow"}, false))
            texts.push_back(reader.textAround(button));
        return texts;
    }
    std::optional<std::string> onlyTextAround(const Element& window) {
        PromptReader reader(scanner, promptTextLimit);
        auto texts = textsAround(window, reader);
        EXPECT_EQ(texts.size(), 1u);
        return texts.empty() ? std::nullopt : texts[0];
    }
};

struct ClimbCase {
    const char* name;
    std::vector<std::size_t> sizes;
    std::size_t length;
    char first;
};
class Climb : public Prompt, public testing::WithParamInterface<ClimbCase> {};
TEST_P(Climb, textAround_nestedTexts_largestThatFitsOrNearestWhole) {
    Element window = velquinWindow();
    nestedPrompt(platform, window, GetParam().sizes);
    const auto text = onlyTextAround(window);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), GetParam().length);
    EXPECT_EQ(text->front(), GetParam().first);
}
INSTANTIATE_TEST_SUITE_P(Cases, Climb,
                         testing::Values(ClimbCase{"fits80_450_over900_takes450", {900, 450, 80}, 450, 'b'},
                                         ClimbCase{"exactlyAtLimit_fits", {600}, 600, 'a'},
                                         ClimbCase{"nearestOverLimit_judgedWhole", {601}, 601, 'a'},
                                         ClimbCase{
                                             "everyLevelFits_stopsAfterSixth", {70, 60, 50, 40, 30, 20, 10}, 60, 'b'}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(Prompt, textAround_windowHoldsLittleText_climbStopsAtWindowWhoseTextCounts) {
    Element application = platform.addProcess(100);
    platform.addText(platform.addWindow(application, "Terminal"), "rm -rf ~/projects");
    Element window = platform.addWindow(application, "Chat");
    platform.addText(window, "Chat with Velquin");
    prompt(window, "Read notes.txt?");
    EXPECT_EQ(onlyTextAround(window), "chat with velquin read notes.txt?");
}

// --- one window's prompts read together ---

// One box of 300 enabled Allow buttons and no text at all.
void oneBoxOfButtons(fake::FakePlatform& platform, const Element& window) {
    Element box = platform.addGroup(platform.addGroup(window));
    for (int i = 0; i < 300; ++i)
        platform.addButton(box, "Allow");
}

// 100 prompt boxes in one list, each with its own text.
void listOfPrompts(fake::FakePlatform& platform, const Element& window) {
    Element list = platform.addGroup(window);
    for (int i = 0; i < 100; ++i) {
        Element box = platform.addGroup(list);
        platform.addText(box, i % 7 == 0 ? "Run rm -rf build" + std::to_string(i) : "Read file " + std::to_string(i));
        platform.addButton(box, "Allow");
    }
}

// 300 boxes, each with its own button and the same text-free subtree of 3000 elements listed inside.
void sharedHugeSubtree(fake::FakePlatform& platform, const Element& window) {
    Element huge = platform.addGroup(window);
    for (int i = 0; i < 3000; ++i)
        platform.addGroup(huge);
    for (int i = 0; i < 300; ++i) {
        Element box = platform.addGroup(window);
        platform.addButton(box, "Allow");
        platform.setRepeatedChildren(platform.addGroup(box), huge, 1);
    }
}

struct ShareCase {
    const char* name;
    void (*scene)(fake::FakePlatform&, const Element&);
    std::size_t buttons;
    bool allJudged;
};
class SharedReading : public Prompt, public testing::WithParamInterface<ShareCase> {};

TEST_P(SharedReading, textAround_manyButtons_sameTextsAsAloneOrNoneAndBoundedReads) {
    Element window = velquinWindow();
    GetParam().scene(platform, window);
    const std::size_t before = platform.reads;
    PromptReader shared(scanner, promptTextLimit);
    const auto texts = textsAround(window, shared);
    const std::size_t reads = platform.reads - before;
    EXPECT_LE(reads, 5 * buttonWalkLimits.maxExamined);  // 300 gathers of 3000 elements each took 10 million

    ASSERT_EQ(texts.size(), GetParam().buttons);
    const auto buttons = scanner.findButtons(window, {"Allow"}, false);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (!texts[i] && !GetParam().allJudged)
            continue;  // left unjudged once the allowance is spent: never a different text
        PromptReader alone(scanner, promptTextLimit);
        EXPECT_EQ(texts[i], alone.textAround(buttons[i])) << "button " << i;
    }
    EXPECT_EQ(std::count(texts.begin(), texts.end(), std::nullopt) == 0, GetParam().allJudged);
}
INSTANTIATE_TEST_SUITE_P(Cases, SharedReading,
                         testing::Values(ShareCase{"oneBoxOfButtons", oneBoxOfButtons, 300, true},
                                         ShareCase{"listOfPrompts", listOfPrompts, 100, true},
                                         ShareCase{"sharedHugeSubtree", sharedHugeSubtree, 300, false}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ondrel
