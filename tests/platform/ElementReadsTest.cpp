// SPDX-License-Identifier: MIT
// The Linux backend's reads over a scripted bus: what a bulk read hands over is what element-by-element
// reads give, an application's own search finds what a walk finds, a level costs a few batches whatever
// its width, children of other applications are never taken, and a press finds its action by name and
// says what became of it.

#include "platform/atspi/ElementReads.h"

#include <atspi/atspi-constants.h>

#include <gtest/gtest.h>

#include "core/Scanner.h"
#include "tests/support/CaseName.h"
#include "tests/support/RandomWindow.h"
#include "tests/support/ReadsPlatform.h"
#include "tests/support/ScriptedBus.h"

namespace ondrel::atspi {
namespace {

using testing_support::randomWindow;
using testing_support::ReadsPlatform;
using testing_support::sameAsRead;
using testing_support::ScriptedBus;

class Reads : public testing::Test {
protected:
    std::shared_ptr<ScriptedBus> bus = std::make_shared<ScriptedBus>();
    ElementReads reads{[this] { return std::shared_ptr<Bus>(bus); }};

    Element element(const std::string& path, bool topLevel = false) {
        return std::make_shared<AtspiElement>(std::make_shared<const std::string>(bus->busName), path, 7, topLevel);
    }
    const AtspiElement& of(const Element& e) { return static_cast<const AtspiElement&>(*e); }
};

// Over random windows: what a bulk read hands over is what a read of each attribute gives (with or without
// the application's cache, never another application's element); an application that searches its own
// tree hands over the buttons a walk meets, in the walk's order and with its way to each, for fewer calls,
// and leaves a tree larger than asked to the walk.
TEST_F(Reads, randomWindows_bulkFactsAsReadOneByOneSearchedButtonsAsWalked) {
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        bus = std::make_shared<ScriptedBus>();
        bus->offersCache = round % 2 == 1;  // its positions are -1: children still come from the elements
        const Element window = element(randomWindow(*bus, random), true);
        for (const WalkLimits limits : {WalkLimits{20000, 60}, WalkLimits{7, 60}, WalkLimits{200, 2}}) {
            reads.beginScan();
            const TextReads texts = limits.maxDepth == 2 ? TextReads::leftOut : TextReads::included;
            const std::vector<ElementFacts> facts = reads.readSubtrees({window}, limits, nullptr, texts);
            ASSERT_FALSE(facts.empty());
            for (const ElementFacts& read : facts) {
                EXPECT_NE(of(read.element).path(), "/elsewhere");
                for (const auto& [attribute, value] : read.attributes) {
                    const auto one = reads.copy(of(read.element), attribute, 0, SIZE_MAX);
                    EXPECT_TRUE(one && sameAsRead(value, *one)) << of(read.element).path() << " " << attribute;
                }
            }
        }
        const auto found = [&](bool searched) {
            bus->offersCollection = searched;
            bus->calls = 0;
            reads.beginScan();
            ReadsPlatform platform(reads);
            Scanner scanner(platform);
            std::vector<std::string> ways;  // each button, and the way to it: container and children listed
            for (const FoundButton& button : scanner.findButtons(window, {"Allow"}, false)) {
                ways.push_back(of(button.element).path());
                for (const WalkPath* way = button.container.get(); way != nullptr; way = way->container.get())
                    ways.back() += " < " + of(way->element).path() + ":" + std::to_string(way->children);
            }
            return ways;
        };
        const std::vector<std::string> walked = found(false);
        const std::size_t walkCalls = bus->calls;
        EXPECT_EQ(found(true), walked);
        EXPECT_LT(bus->calls, walkCalls);
        EXPECT_FALSE(reads.holdsFewerThan(of(window), bus->objects.size() / 2));
    }
}

// A tree of a few thousand elements is counted in parts, each going on from the last one's end, and only
// where a wanted button is found: within the bound the search answers, at it or past it the walk decides.
TEST_F(Reads, search_largeTree_countedInPartsOnlyForAWantedButton) {
    bus->offersCollection = true;
    const std::string window = bus->add(applicationRootPath, ATSPI_ROLE_FRAME, "Chat");
    const std::string column = bus->add(window, ATSPI_ROLE_PANEL);
    for (int i = 0; i < 1500; ++i)
        bus->add(column, ATSPI_ROLE_LABEL, "message");
    bus->add(column, ATSPI_ROLE_PUSH_BUTTON, "Allow");  // 1502 elements below the window
    for (const auto& [bound, within] : {std::pair{20000, true}, {1504, true}, {1503, false}, {600, false}}) {
        SCOPED_TRACE(bound);
        bus->asked.clear();
        EXPECT_EQ(reads.holdsFewerThan(of(element(window, true)), bound), within);
        EXPECT_EQ(std::count(bus->asked.begin(), bus->asked.end(), window + " GetMatchesFrom"), bound > 1024 ? 2 : 1);
    }
    const auto searched = [&](const std::string& label) {
        bus->asked.clear();
        reads.beginScan();
        ReadsPlatform platform(reads);
        Scanner scanner(platform);
        const std::size_t found = scanner.findButtons(element(window, true), {label}, false).size();
        return std::pair{found, std::count(bus->asked.begin(), bus->asked.end(), window + " GetMatches")};
    };
    EXPECT_EQ(searched("Allow"), (std::pair<std::size_t, long>{1, 2}));  // its buttons, then the count
    EXPECT_EQ(searched("Run"), (std::pair<std::size_t, long>{0, 1}));    // its buttons only
}

// A level's calls travel together: a window three levels deep and a hundred wide costs a handful of batches.
TEST_F(Reads, readSubtree_wideLevels_fewBatchesPerLevel) {
    const std::string window = bus->add(applicationRootPath, ATSPI_ROLE_FRAME, "Chat");
    for (int i = 0; i < 100; ++i) {
        const std::string row = bus->add(window, ATSPI_ROLE_PANEL);
        bus->objects[bus->add(row, ATSPI_ROLE_LABEL, "message")].text = "message";
        bus->add(row, ATSPI_ROLE_PUSH_BUTTON, "Allow");
    }
    const auto facts = reads.readSubtrees({element(window, true)}, {20000, 60}, nullptr, TextReads::included);
    EXPECT_EQ(facts.size(), 1 + 100 + 200 + 300u);  // the elements read, and each child's parent beside them
    EXPECT_LE(bus->batches, 3 * 3 + 2);             // three phases a level, then labels and texts

    // A search for buttons leaves the messages' words to the prompts that need them: a call fewer each,
    // while the buttons keep their labels.
    const std::size_t withTexts = std::exchange(bus->calls, 0);
    reads.beginScan();
    const auto found = reads.readSubtrees({element(window, true)}, {20000, 60}, nullptr, TextReads::leftOut);
    EXPECT_EQ(bus->calls, withTexts - 100);
    const auto labels = std::count_if(found.begin(), found.end(), [](const ElementFacts& one) {
        return one.attributes.contains(ax::attribute::title);
    });
    EXPECT_EQ(labels, 1 + 100 + 100);  // the window, its rows (groups) and the buttons

    // The rows as the roots of one read, as a walk of texts reads ahead the children it takes in turn:
    // the rows and their lists of children, in as few batches as one level.
    ElementList rows;
    for (const auto& [busName, path] : bus->objects[window].children)
        rows.push_back(element(path));
    bus->batches = 0;
    EXPECT_EQ(reads.readSubtrees(rows, {100, 0}, nullptr, TextReads::included).size(), 100 + 200u);
    EXPECT_LE(bus->batches, 3);

    // A new prompt is a few elements a level: each level in one round, then its children and labels.
    reads.beginScan();
    bus->batches = 0;
    EXPECT_EQ(reads.readSubtrees({rows.front()}, {20000, 60}, nullptr, TextReads::included).size(), 1 + 2 + 2u);
    EXPECT_EQ(bus->batches, 4u);
}

struct PressCase {
    const char* name;
    std::vector<std::string> actions;
    std::string error;
    bool answer;
    bool silent;
    ActionResult::Outcome outcome;
    const char* pressed;  // the DoAction asked, if any
};

class Press : public Reads, public testing::WithParamInterface<PressCase> {};
TEST_P(Press, press_actionsAndAnswers_outcome) {
    const PressCase& c = GetParam();
    const std::string button = bus->add(applicationRootPath, ATSPI_ROLE_PUSH_BUTTON, "Allow");
    bus->objects[button].actions = c.actions;
    bus->objects[button].pressError = c.error;
    bus->objects[button].pressAnswer = c.answer;
    if (c.silent)
        bus->silent.insert(button);
    EXPECT_EQ(reads.press(of(element(button))).outcome, c.outcome);
    EXPECT_EQ(bus->pressed,
              c.pressed ? std::vector<std::string>{button + " " + c.pressed} : std::vector<std::string>{});
}
INSTANTIATE_TEST_SUITE_P(
    Cases, Press,
    testing::Values(
        // Chromium names its actions only one by one; Qt calls the press "Press", GTK "click".
        PressCase{"nameFoundByIndex", {"", "", "click"}, "", true, false, ActionResult::Outcome::done, "2"},
        PressCase{"refused", {"Press"}, "", false, false, ActionResult::Outcome::failed, "0"},
        PressCase{"noPressAction", {"toggle"}, "", true, false, ActionResult::Outcome::failed, nullptr},
        PressCase{"objectGoneMeanwhile",
                  {"click"},
                  "org.freedesktop.DBus.Error.UnknownObject",
                  true,
                  false,
                  ActionResult::Outcome::gone,
                  "0"},
        PressCase{"otherError",
                  {"click"},
                  "org.freedesktop.DBus.Error.Failed",
                  true,
                  false,
                  ActionResult::Outcome::failed,
                  "0"},
        PressCase{"noAnswer", {"click"}, "", true, true, ActionResult::Outcome::busy, nullptr}),
    testing_support::CaseName());

}  // namespace
}  // namespace ondrel::atspi
