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

auto caseName = [](const auto& info) { return std::string(info.param.name); };

struct MessageCase {
    const char* name;
    Message message;
    AXResultCode result;
    bool marks;
};

class MessageRule : public testing::TestWithParam<MessageCase> {};

TEST_P(MessageRule, mayMarkUnresponsive_messageAndResult_onlyTimedOutAttributeCalls) {
    EXPECT_EQ(mayMarkUnresponsive(GetParam().message, GetParam().result), GetParam().marks);
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageRule,
                         testing::Values(MessageCase{"attributeCannotComplete", Message::attribute,
                                                     axCannotCompleteCode, true},
                                         MessageCase{"pressCannotComplete", Message::press, axCannotCompleteCode, false},
                                         MessageCase{"attributeOtherFailure", Message::attribute, axFailureCode, false},
                                         MessageCase{"pressSucceeded", Message::press, axSuccessCode, false}),
                         caseName);

// A press that may still happen is never a failure, and one whose button went away is no failure at all.
TEST(PressRule, pressResult_codes_outcomes) {
    EXPECT_EQ(pressResult(axSuccessCode).outcome, ActionResult::Outcome::done);
    EXPECT_EQ(pressResult(axInvalidElementCode).outcome, ActionResult::Outcome::gone);
    EXPECT_EQ(pressResult(axCannotCompleteCode).outcome, ActionResult::Outcome::busy);
    EXPECT_EQ(pressResult(axFailureCode).outcome, ActionResult::Outcome::failed);
    EXPECT_NE(pressResult(axFailureCode).reason.find("-25200"), std::string::npos);
}

TEST(TargetProcess, isTargetProcess_onlyRealProcessIds) {
    EXPECT_FALSE(isTargetProcess(-1));  // an application without a process
    EXPECT_FALSE(isTargetProcess(0));
    EXPECT_TRUE(isTargetProcess(1));
}

struct RequestCase {
    const char* name;
    std::size_t count, index, maxValues, expected;
};

class ValuesRequest : public testing::TestWithParam<RequestCase> {};

TEST_P(ValuesRequest, valuesToRequest_countIndexLimit_neverPastTheEnd) {
    const RequestCase& c = GetParam();
    EXPECT_EQ(valuesToRequest(c.count, c.index, c.maxValues), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValuesRequest,
                         testing::Values(RequestCase{"limitBelowCount", 5, 0, 3, 3},
                                         RequestCase{"fromIndexToEnd", 5, 3, SIZE_MAX, 2},
                                         RequestCase{"indexPastEnd", 5, 9, 3, 0}),
                         caseName);

TEST(Utf8Buffer, utf8BufferSize_notFoundAnswer_noBufferOtherwiseThatSize) {
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

struct GrantCase {
    const char* name;
    std::optional<std::string> granted, running;
    bool outdated;
};

class GrantAge : public testing::TestWithParam<GrantCase> {};

TEST_P(GrantAge, isGrantOutdated_signatures_onlyWhenBothKnownAndDifferent) {
    EXPECT_EQ(isGrantOutdated(GetParam().granted, GetParam().running), GetParam().outdated);
}

INSTANTIATE_TEST_SUITE_P(Cases, GrantAge,
                         testing::Values(GrantCase{"neverGranted", std::nullopt, "cdhash H\"b\"", false},
                                         GrantCase{"unsigned", "cdhash H\"a\"", std::nullopt, false},
                                         GrantCase{"sameSignature", "cdhash H\"a\"", "cdhash H\"a\"", false},
                                         GrantCase{"rebuilt", "cdhash H\"a\"", "cdhash H\"b\"", true}),
                         caseName);

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

struct EnabledCase {
    const char* name;
    std::optional<AttributeValue> answered;
    bool remembered;
};

class EnabledAnswer : public testing::TestWithParam<EnabledCase> {};

TEST_P(EnabledAnswer, factsFromAnswer_enabled_disabledAskedAgainLive) {
    const ElementFacts facts = factsFromAnswer(nullptr, answerOf(GetParam().answered));
    EXPECT_EQ(facts.attributes.contains(ax::attribute::enabled), GetParam().remembered);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnabledAnswer,
                         testing::Values(EnabledCase{"enabled", AttributeValue(true), true},
                                         EnabledCase{"disabled", AttributeValue(false), false},
                                         EnabledCase{"notBoolean", AttributeValue(0.0), true},
                                         EnabledCase{"failed", std::nullopt, false}),
                         caseName);

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
