// SPDX-License-Identifier: MIT
// The Linux backend's reads over a scripted bus: what a bulk read hands over is what element-by-element
// reads give, a level costs a few batches whatever its width, children of other applications are never
// taken, and a press finds its action by name and says what became of it.

#include "platform/atspi/ElementReads.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/CaseName.h"
#include "tests/support/ScriptedBus.h"

namespace ondrel::atspi {
namespace {

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

// A window of nested panels, buttons (some labelled by other elements), labels, fields and paragraphs.
std::string randomWindow(ScriptedBus& bus, std::mt19937& random) {
    const auto pick = [&](int count) { return std::uniform_int_distribution(0, count - 1)(random); };
    const std::string window = bus.add(applicationRootPath, ATSPI_ROLE_FRAME, "Chat");
    std::vector<std::string> containers{window};
    for (int i = 0, count = 30 + pick(120); i < count; ++i) {
        const std::string parent = containers[static_cast<std::size_t>(pick(static_cast<int>(containers.size())))];
        switch (pick(6)) {
            case 0:
                containers.push_back(bus.add(parent, ATSPI_ROLE_PANEL));
                break;
            case 1: {
                const std::string button = bus.add(parent, ATSPI_ROLE_PUSH_BUTTON, pick(2) ? "Allow" : "");
                if (pick(3) == 0)
                    bus.objects[button].labelledBy.push_back(bus.add(button, ATSPI_ROLE_LABEL, "Allow"));
                if (pick(4) == 0)
                    bus.objects[button].states = 0;
                break;
            }
            case 2:
                bus.objects[bus.add(parent, ATSPI_ROLE_LABEL, pick(2) ? "rm -rf build" : "")].text = "Run it?";
                break;
            case 3:
                bus.objects[bus.add(parent, ATSPI_ROLE_ENTRY, "Command")].text = "curl x | sh";
                break;
            case 4: {
                const std::string paragraph = bus.add(parent, ATSPI_ROLE_PARAGRAPH);
                bus.objects[paragraph].text = "Run \xEF\xBF\xBC now";
                bus.objects[bus.add(paragraph, ATSPI_ROLE_STATIC)].text = "rm";
                containers.push_back(paragraph);
                break;
            }
            default:
                bus.objects[parent].children.emplace_back(":1.99", "/elsewhere");  // another application's
        }
    }
    return window;
}

// Whether a fact read in bulk is what a read of that attribute gives: elements compared as nodes.
bool sameAsRead(const AttributeValue& value, const AttributeValue& read) {
    const auto sameNodes = [](const ElementList& a, const ElementList& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const Element& x, const Element& y) { return x->sameNode(*y); });
    };
    if (const auto* list = std::get_if<ElementList>(&value))
        return std::holds_alternative<ElementList>(read) && sameNodes(*list, std::get<ElementList>(read));
    if (const auto* element = std::get_if<Element>(&value))
        return std::holds_alternative<Element>(read) && sameNodes({*element}, {std::get<Element>(read)});
    return value == read;
}

TEST_F(Reads, readSubtree_randomWindows_factsAsReadOneByOneWithOrWithoutTheCacheNoOtherApplication) {
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        bus = std::make_shared<ScriptedBus>();
        bus->offersCache = round % 2 == 1;  // its positions are -1: children still come from the elements
        const Element window = element(randomWindow(*bus, random), true);
        for (const WalkLimits limits : {WalkLimits{20000, 60}, WalkLimits{7, 60}, WalkLimits{200, 2}}) {
            reads.beginScan();
            const std::vector<ElementFacts> facts = reads.readSubtree(window, limits, nullptr);
            ASSERT_FALSE(facts.empty());
            for (const ElementFacts& read : facts) {
                EXPECT_NE(of(read.element).path(), "/elsewhere");
                for (const auto& [attribute, value] : read.attributes) {
                    const auto one = reads.copy(of(read.element), attribute, 0, SIZE_MAX);
                    EXPECT_TRUE(one && sameAsRead(value, *one)) << of(read.element).path() << " " << attribute;
                }
            }
        }
    }
}

// A level's calls travel together: a window three levels deep and a hundred wide costs a handful of batches.
TEST_F(Reads, readSubtree_wideLevels_fewBatchesPerLevel) {
    const std::string window = bus->add(applicationRootPath, ATSPI_ROLE_FRAME, "Chat");
    for (int i = 0; i < 100; ++i) {
        const std::string row = bus->add(window, ATSPI_ROLE_PANEL);
        bus->objects[bus->add(row, ATSPI_ROLE_LABEL, "message")].text = "message";
        bus->add(row, ATSPI_ROLE_PUSH_BUTTON, "Allow");
    }
    const auto facts = reads.readSubtree(element(window, true), {20000, 60}, nullptr);
    EXPECT_EQ(facts.size(), 1 + 100 + 200 + 300u);  // the elements read, and each child's parent beside them
    EXPECT_LE(bus->batches, 3 * 3 + 2);            // three phases a level, then labels and texts
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
    EXPECT_EQ(bus->pressed, c.pressed ? std::vector<std::string>{button + " " + c.pressed} : std::vector<std::string>{});
}
INSTANTIATE_TEST_SUITE_P(
    Cases, Press,
    testing::Values(
        // Chromium names its actions only one by one; Qt calls the press "Press", GTK "click".
        PressCase{"nameFoundByIndex", {"", "", "click"}, "", true, false, ActionResult::Outcome::done, "2"},
        PressCase{"refused", {"Press"}, "", false, false, ActionResult::Outcome::failed, "0"},
        PressCase{"noPressAction", {"toggle"}, "", true, false, ActionResult::Outcome::failed, nullptr},
        PressCase{"objectGoneMeanwhile", {"click"}, "org.freedesktop.DBus.Error.UnknownObject", true, false,
                  ActionResult::Outcome::gone, "0"},
        PressCase{"otherError", {"click"}, "org.freedesktop.DBus.Error.Failed", true, false,
                  ActionResult::Outcome::failed, "0"},
        PressCase{"noAnswer", {"click"}, "", true, true, ActionResult::Outcome::busy, nullptr}),
    testing_support::CaseName());

}  // namespace
}  // namespace ondrel::atspi
