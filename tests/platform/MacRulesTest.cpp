// SPDX-License-Identifier: MIT
#include "platform/macos/MacRules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "core/BreadthFirstWalk.h"
#include "platform/fake/FakePlatform.h"
#include "platform/macos/MacWording.h"
#include "platform/macos/SubtreeFacts.h"

namespace ondrel::macos {
namespace {

// The rules for what macOS's answers mean, each a function of the answer alone.
TEST(MacRules, answerCodes_unresponsiveOnlyForTimedOutReadsPressOutcomesRealProcessesBufferSizes) {
    EXPECT_TRUE(mayMarkUnresponsive(Message::attribute, axCannotCompleteCode));
    EXPECT_FALSE(mayMarkUnresponsive(Message::press, axCannotCompleteCode));
    EXPECT_FALSE(mayMarkUnresponsive(Message::attribute, axFailureCode));
    EXPECT_FALSE(mayMarkUnresponsive(Message::press, axSuccessCode));
    // A press that may still happen is never a failure, and one whose button went away is no failure at all.
    EXPECT_EQ(pressResult(axSuccessCode).outcome, ActionResult::Outcome::done);
    EXPECT_EQ(pressResult(axInvalidElementCode).outcome, ActionResult::Outcome::gone);
    EXPECT_EQ(pressResult(axCannotCompleteCode).outcome, ActionResult::Outcome::busy);
    EXPECT_EQ(pressResult(axFailureCode).outcome, ActionResult::Outcome::failed);
    EXPECT_NE(pressResult(axFailureCode).reason.find("-25200"), std::string::npos);
    EXPECT_FALSE(isTargetProcess(-1));  // an application without a process
    EXPECT_FALSE(isTargetProcess(0));
    EXPECT_TRUE(isTargetProcess(1));
    EXPECT_EQ(valuesToRequest(5, 0, 3), 3u);  // count, index, limit: never past the end
    EXPECT_EQ(valuesToRequest(5, 3, SIZE_MAX), 2u);
    EXPECT_EQ(valuesToRequest(5, 9, 3), 0u);
    EXPECT_EQ(utf8BufferSize(-1), std::nullopt);  // kCFNotFound: the size would overflow
    EXPECT_EQ(utf8BufferSize(0), 0u);
    EXPECT_EQ(utf8BufferSize(12), 12u);
}

TEST(SituationWording, macWording_situation_adviceWhereItApplies) {
    const PlatformWording terminal = macWording({.startedFromTerminal = true});
    const PlatformWording outdated = macWording({.grantOutdated = true});
    EXPECT_NE(terminal.permissionMissing.find("enable your terminal app"), std::string::npos);
    EXPECT_EQ(terminal.permissionBanner, macWording({}).permissionBanner);
    EXPECT_NE(outdated.permissionMissing.find("remove Ondrel"), std::string::npos);
    EXPECT_NE(outdated.permissionBanner.find("remove \"Ondrel\" from the list"), std::string::npos);
}

// A grant is outdated only when both signatures are known and differ (the program was rebuilt).
TEST(GrantAge, isGrantOutdated_signatures_onlyWhenBothKnownAndDifferent) {
    EXPECT_FALSE(isGrantOutdated(std::nullopt, "cdhash H\"b\""));
    EXPECT_FALSE(isGrantOutdated("cdhash H\"a\"", std::nullopt));
    EXPECT_FALSE(isGrantOutdated("cdhash H\"a\"", "cdhash H\"a\""));
    EXPECT_TRUE(isGrantOutdated("cdhash H\"a\"", "cdhash H\"b\""));
}

// An answer in the order of `subtreeAttributes`.
std::vector<std::optional<AttributeValue>> answerOf(std::optional<AttributeValue> enabled) {
    return {AttributeValue(std::string(ax::role::button)),
            std::nullopt,
            AttributeValue(std::string()),
            AttributeValue(),
            std::move(enabled),
            std::nullopt,
            AttributeValue(ElementList{}),
            AttributeValue(OtherValue{"other"}),
            AttributeValue(std::string(ax::subrole::dialog))};
}

TEST(SubtreeFacts, factsFromAnswer_entries_failedLeftOutRestAsAnswered) {
    const ElementFacts facts = factsFromAnswer(nullptr, answerOf(AttributeValue(true)));
    const std::map<std::string, AttributeValue, std::less<>> expected = {
        {ax::attribute::role, std::string(ax::role::button)},
        {ax::attribute::description, std::string()},
        {ax::attribute::value, AttributeValue()},
        {ax::attribute::enabled, true},
        {ax::attribute::children, ElementList{}},
        {ax::attribute::parent, OtherValue{"other"}},
        {ax::attribute::subrole, std::string(ax::subrole::dialog)}};
    EXPECT_EQ(facts.attributes, expected);
    EXPECT_TRUE(factsFromAnswer(nullptr, {AttributeValue(std::string(ax::role::button))}).attributes.empty());
}

// Only an enabled state is remembered: a disabled button is asked again, live, each time.
TEST(SubtreeFacts, factsFromAnswer_enabled_disabledOrFailedAskedAgainLive) {
    const auto remembered = [](std::optional<AttributeValue> enabled) {
        return factsFromAnswer(nullptr, answerOf(std::move(enabled))).attributes.contains(ax::attribute::enabled);
    };
    EXPECT_TRUE(remembered(AttributeValue(true)));
    EXPECT_FALSE(remembered(AttributeValue(false)));
    EXPECT_TRUE(remembered(AttributeValue(0.0)));  // not a boolean
    EXPECT_FALSE(remembered(std::nullopt));
}

// What the element's own copy of "AXChildren" says, as a message about it would.
std::optional<ElementFacts> childrenOf(fake::FakePlatform& platform, const Element& element) {
    ElementFacts facts{element, {}};
    if (auto children = platform.copyAttribute(element, ax::attribute::children))
        facts.attributes.emplace(ax::attribute::children, std::move(*children));
    return facts;
}

TEST(SubtreeRead, readBreadthFirst_randomTreesAndLimits_readsExactlyWhatTheWalkExamines) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        fake::FakePlatform platform;
        std::vector<Element> nodes{platform.addProcess(1)};
        const std::size_t size = std::uniform_int_distribution<std::size_t>(1, 60)(random);
        while (nodes.size() < size)
            nodes.push_back(
                platform.addGroup(nodes[std::uniform_int_distribution<std::size_t>(0, nodes.size() - 1)(random)]));
        const WalkLimits limits{std::uniform_int_distribution<std::size_t>(0, size + 2)(random),
                                std::uniform_int_distribution<std::size_t>(0, 6)(random)};

        std::vector<Element> examined;
        walkBreadthFirst(platform, nodes.front(), limits, [&](const Element& element, const WalkPathPtr&) {
            examined.push_back(element);
            return WalkStep::goOn;
        });
        std::vector<Element> read;
        readBreadthFirst(nodes.front(), limits, [&](const Element& element) {
            read.push_back(element);
            return childrenOf(platform, element);
        });
        EXPECT_EQ(read, examined);
    }
}

TEST(SubtreeRead, readBreadthFirst_elementUnread_itsSubtreeLeftToTheWalkOthersRead) {
    fake::FakePlatform platform;
    const Element root = platform.addProcess(1);
    const Element unread = platform.addGroup(root);
    const Element sibling = platform.addGroup(root);
    platform.addGroup(unread);
    const Element nephew = platform.addGroup(sibling);

    std::vector<Element> asked;
    const std::vector<ElementFacts> facts = readBreadthFirst(root, {100, 10}, [&](const Element& element) {
        asked.push_back(element);
        return element == unread ? std::nullopt : childrenOf(platform, element);
    });
    EXPECT_EQ(asked, (std::vector<Element>{root, unread, sibling, nephew}));
    std::vector<Element> known;
    for (const ElementFacts& fact : facts)
        known.push_back(fact.element);
    EXPECT_EQ(known, (std::vector<Element>{root, sibling, nephew}));
}

}  // namespace
}  // namespace ondrel::macos
