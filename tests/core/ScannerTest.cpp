// SPDX-License-Identifier: MIT
#include "core/Scanner.h"

#include <gtest/gtest.h>

#include "tests/support/CaseName.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

using Scanner_ = testing_support::Scene;
// The platform words the reason; the scanner only frames it.
const std::string minimizedWarning(const std::string& title) {
    return "WARNING: window [" + title + "] is minimized. minimized (fake)";
}

std::vector<std::string> titles(const std::vector<TargetWindow>& windows) {
    std::vector<std::string> result;
    for (const auto& window : windows)
        result.push_back(window.title);
    return result;
}

ElementList elements(const std::vector<FoundButton>& found) {
    ElementList result;
    for (const auto& button : found)
        result.push_back(button.element);
    return result;
}

// --- targetWindows ---

// Another application's windows are neither listed nor asked to expose anything.
TEST_F(Scanner_, targetWindows_twoProcessesBesideAnother_windowsOfBothInOrderEachExposedOtherUntouched) {
    platform.addWindow(platform.addProcess(7, "org.other.app"), "Other");
    EXPECT_TRUE(scanner.targetWindows().empty());
    EXPECT_TRUE(platform.writes.empty());
    Element first = platform.addProcess(1);
    platform.addWindow(first, "A1");
    platform.addElement(first, ax::role::menuBar);
    platform.addWindow(first, "  A2\n");
    Element second = platform.addProcess(2);
    platform.addWindow(second, "");

    EXPECT_EQ(titles(scanner.targetWindows()), (std::vector<std::string>{"A1", "A2", "(untitled window)"}));
    ASSERT_EQ(platform.writes.size(), 2u);
    EXPECT_EQ(platform.writes[0].element, first);
    EXPECT_EQ(platform.writes[0].attribute, ax::attribute::manualAccessibility);
    EXPECT_EQ(platform.writes[0].value, AttributeValue(true));
    EXPECT_EQ(platform.writes[1].element, second);
}

TEST_F(Scanner_, targetWindows_processWithoutWindowsOrChildrenUnreadable_processEntry) {
    Element application = platform.addProcess(4242);
    platform.addButton(application, "Allow");
    auto windows = scanner.targetWindows();
    ASSERT_EQ(titles(windows), std::vector<std::string>{"(process 4242)"});
    EXPECT_EQ(windows[0].element, application);
    platform.setValue(application, ax::attribute::children, std::nullopt);
    windows = scanner.targetWindows();
    ASSERT_EQ(titles(windows), std::vector<std::string>{"(process 4242)"});
    EXPECT_TRUE(scanner.findButtons(windows[0].element, {"Allow"}, false).empty());
}

TEST_F(Scanner_, targetWindows_minimized_leftOutWarnedOncePerTitleWhileAnyStaysSoAgainOnceAllShown) {
    Element application = platform.addProcess(1);
    Element first = platform.addWindow(application, "Chat");
    Element second = platform.addWindow(application, "Chat", true);
    platform.addWindow(application, " ", true);
    platform.addWindow(application, "", true);
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_EQ(titles(quietly([&] { return scanner.targetWindows(); })), std::vector<std::string>{"Chat"});
    platform.setValue(first, ax::attribute::minimized, true);  // all minimized now: still the same warnings
    EXPECT_TRUE(quietly([&] { return scanner.targetWindows(); }).empty());
    platform.setValue(first, ax::attribute::minimized, false);
    platform.setValue(second, ax::attribute::minimized, false);
    EXPECT_EQ(quietly([&] { return scanner.targetWindows(); }).size(), 2u);
    platform.setValue(second, ax::attribute::minimized, true);
    quietly([&] { return scanner.targetWindows(); });
    EXPECT_EQ(logged, (std::vector<std::string>{minimizedWarning("Chat"), minimizedWarning("(untitled window)"),
                                                minimizedWarning("Chat")}));
}

TEST_F(Scanner_, targetWindows_contentHidden_stillScannedAdvisedOncePerTitleAgainAfterShown) {
    Element window = velquinWindow("Chat");
    platform.setHiddenContentAdvice(window, "start it with --switch");
    EXPECT_EQ(titles(quietly([&] { return scanner.targetWindows(); })), std::vector<std::string>{"Chat"});
    quietly([&] { return scanner.targetWindows(); });
    platform.setHiddenContentAdvice(window, std::nullopt);
    quietly([&] { return scanner.targetWindows(); });
    platform.setHiddenContentAdvice(window, "start it with --switch");
    quietly([&] { return scanner.targetWindows(); });
    const std::string advice = "WARNING: window [Chat] shows no content to accessibility. start it with --switch";
    EXPECT_EQ(logged, (std::vector<std::string>{advice, advice}));
}

TEST_F(Scanner_, targetWindows_applicationClaimsMillionWindows_readsNoMoreThanAWalkExamines) {
    Element application = platform.addProcess(1);
    platform.setRepeatedChildren(application, platform.addWindow(application, "Chat"), 1'000'000);
    EXPECT_EQ(scanner.targetWindows().size(), buttonWalkLimits.maxExamined);
    EXPECT_LE(platform.reads, 4 * buttonWalkLimits.maxExamined);  // children once, then role, title, minimized
}

TEST_F(Scanner_, targetWindows_minimizedUnreadableOrNotBoolean_countsAsOpen) {
    Element application = platform.addProcess(1);
    platform.setValue(platform.addWindow(application, "A"), ax::attribute::minimized, std::nullopt);
    platform.setValue(platform.addWindow(application, "B"), ax::attribute::minimized, AttributeValue(1.0));
    EXPECT_EQ(titles(scanner.targetWindows()), (std::vector<std::string>{"A", "B"}));
}

// --- labels and matching ---

TEST_F(Scanner_, buttonLabel_attributes_firstNonBlankInOrderTrimmed) {
    Element window = velquinWindow();
    Element spacesThenTitle = platform.addButton(window, "Allow");
    platform.setValue(spacesThenTitle, ax::attribute::description, AttributeValue(std::string("   ")));
    Element descriptionFirst = platform.addButton(window, "Title");
    platform.setValue(descriptionFirst, ax::attribute::description, AttributeValue(std::string(" Desc ")));
    Element numberValue = platform.addElement(window, ax::role::button);
    platform.setValue(numberValue, ax::attribute::value, AttributeValue(3.0));
    Element valueOnly = platform.addElement(window, ax::role::button);
    platform.setValue(valueOnly, ax::attribute::title, std::nullopt);
    platform.setValue(valueOnly, ax::attribute::value, AttributeValue(std::string("Run (⌘R)")));

    EXPECT_EQ(scanner.buttonLabel(spacesThenTitle), "Allow");
    EXPECT_EQ(scanner.buttonLabel(descriptionFirst), "Desc");
    EXPECT_EQ(scanner.buttonLabel(numberValue), "");
    EXPECT_EQ(scanner.buttonLabel(valueOnly), "Run (⌘R)");
}

struct LabelCase {
    const char* name;
    const char* label;
    const char* configured;
    bool contains;
    bool matches;
};

class ButtonMatching : public testing_support::Scene, public testing::WithParamInterface<LabelCase> {};

TEST_P(ButtonMatching, findButtons_label_matchesPerMode) {
    const LabelCase& c = GetParam();
    Element window = velquinWindow();
    platform.addButton(window, c.label);
    EXPECT_EQ(scanner.findButtons(window, {c.configured}, c.contains).size(), c.matches ? 1u : 0u)
        << '"' << c.label << "\" vs \"" << c.configured << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ButtonMatching,
    testing::Values(LabelCase{"exact", "Allow", "Allow", false, true},
                    LabelCase{"exact_shortcutIgnored", "Allow (⌘⏎)", "Allow", false, true},
                    LabelCase{"exact_configuredTrimmed", "ALLOW", "allow ", false, true},
                    LabelCase{"exact_wordBefore_no", "Always Allow", "Allow", false, false},
                    LabelCase{"contains_wordBefore", "Always Allow", "Allow", true, true},
                    LabelCase{"contains_refusal_no", "Don't Allow", "Allow", true, false},
                    LabelCase{"contains_insideWord_no", "Disallow", "Allow", true, false},
                    LabelCase{"contains_denying_no", "Allow unless denying", "Allow", true, false},
                    // A typographic apostrophe is not a refusal.
                    LabelCase{"contains_typographicApostrophe", "Don’t Allow", "Allow", true, true},
                    LabelCase{"exact_unicodeCase", "Ärger erlauben", "ärger ERLAUBEN", false, true},
                    // A configured label that normalises to nothing never matches, not even unlabelled buttons.
                    LabelCase{"blankConfigured_unlabelled_no", "", "(x)", false, false},
                    LabelCase{"blankConfigured_blankLabel_no", "(icon)", "(x)", false, false},
                    LabelCase{"blankConfigured_containsAny_no", "Allow", "(x)", true, false}),
    testing_support::CaseName());

TEST_F(Scanner_, findButtons_disabledMatch_notReturnedChildrenWalked) {
    Element window = velquinWindow();
    Element disabled = platform.addButton(window, "Allow", false);
    Element nested = platform.addButton(disabled, "Allow");
    Element unknownState = platform.addButton(window, "Allow");
    platform.removeValue(unknownState, ax::attribute::enabled);
    Element textState = platform.addButton(window, "Allow");
    platform.setValue(textState, ax::attribute::enabled, AttributeValue(std::string("no")));

    EXPECT_EQ(elements(scanner.findButtons(window, {"Allow"}, false)), (ElementList{unknownState, textState, nested}));
}

TEST_F(Scanner_, findButtons_severalLabels_breadthFirstOrder) {
    Element window = velquinWindow();
    Element group = platform.addGroup(window);
    Element deep = platform.addButton(group, "Run");
    Element shallow = platform.addButton(window, "Allow");
    platform.addButton(window, "Cancel");
    EXPECT_EQ(elements(scanner.findButtons(window, {"Allow", "Run"}, false)), (ElementList{shallow, deep}));
}

TEST_F(Scanner_, buttonLabels_everyLabelledButton_asShownDuplicatesKept) {
    Element window = velquinWindow();
    platform.addButton(window, "Allow");
    platform.addButton(window, " Allow (⌘⏎) ");
    platform.addButton(platform.addGroup(window), "Allow", false);
    platform.addButton(window, "  ");
    platform.addText(window, "Allow");
    EXPECT_EQ(scanner.buttonLabels(window), (std::vector<std::string>{"Allow", "Allow (⌘⏎)", "Allow"}));
}

// --- walk limits ---

// A window whose breadth-first order puts `count` plain elements before one Allow button.
Element wideWindow(fake::FakePlatform& platform, std::size_t fillers) {
    Element window = platform.addWindow(platform.addProcess(1), "Wide");
    for (std::size_t i = 0; i < fillers; ++i)
        platform.addGroup(window);
    platform.addButton(window, "Allow");
    return window;
}

Element chainWindow(fake::FakePlatform& platform, int depth) {
    Element window = platform.addWindow(platform.addProcess(1), "Deep");
    Element parent = window;
    for (int level = 1; level < depth; ++level)
        parent = platform.addGroup(parent);
    platform.addButton(parent, "Allow");
    return window;
}

struct LimitCase {
    const char* name;
    Element (*scene)(fake::FakePlatform&);
    std::size_t found;
};
class WalkLimit : public testing_support::Scene, public testing::WithParamInterface<LimitCase> {};
TEST_P(WalkLimit, findButtons_buttonAtTheLimit_foundOnlyWithin) {
    EXPECT_EQ(scanner.findButtons(GetParam().scene(platform), {"Allow"}, false).size(), GetParam().found);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, WalkLimit,
    testing::Values(LimitCase{"element20000", [](fake::FakePlatform& p) { return wideWindow(p, 19998); }, 1},
                    LimitCase{"element20001", [](fake::FakePlatform& p) { return wideWindow(p, 19999); }, 0},
                    LimitCase{"depth60", [](fake::FakePlatform& p) { return chainWindow(p, 60); }, 1}),
    testing_support::CaseName());

TEST_F(Scanner_, findButtons_depth61_notFoundNeverRead) {
    Element window = chainWindow(platform, 61);
    const std::size_t before = platform.reads;
    EXPECT_TRUE(scanner.findButtons(window, {"Allow"}, false).empty());
    EXPECT_EQ(platform.reads - before, 2u * 61);  // role and children of depths 0..60 only
}

TEST_F(Scanner_, findButtons_millionChildrenEachAndCycles_boundedWork) {
    Element window = velquinWindow();
    Element button = platform.addButton(window, "Allow");
    platform.setRepeatedChildren(window, window, 1'000'000);  // every child is the window itself
    platform.setRepeatedChildren(button, window, 1'000'000);
    const std::size_t before = platform.reads;
    EXPECT_TRUE(scanner.findButtons(window, {"Allow"}, false).empty());  // the repeated list replaces the button
    EXPECT_LE(platform.reads - before, 2u * 20000);
    EXPECT_EQ(scanner.buttonLabels(window), std::vector<std::string>{});
}

TEST_F(Scanner_, walks_treesThatLie_partDefaults) {
    Element window = velquinWindow();
    // NOLINTNEXTLINE(bugprone-string-constructor): a 10 MB label on purpose
    Element hugeLabel = platform.addButton(window, std::string(10'000'000, 'x'));
    Element wrongRole = platform.addButton(window, "Allow");
    platform.setValue(wrongRole, ax::attribute::role, AttributeValue(5.0));
    Element childrenNotList = platform.addButton(window, "Allow");
    platform.setValue(childrenNotList, ax::attribute::children, AttributeValue(std::string("kids")));
    Element gone = platform.addButton(window, "Allow");
    platform.vanish(gone);

    EXPECT_EQ(elements(scanner.findButtons(window, {"Allow"}, false)), ElementList{childrenNotList});
    platform.setFailAllReads(true);
    EXPECT_TRUE(scanner.findButtons(window, {"Allow"}, false).empty());
    EXPECT_EQ(titles(scanner.targetWindows()), std::vector<std::string>{"(process 100)"});
}

}  // namespace
}  // namespace ondrel
