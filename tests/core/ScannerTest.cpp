// SPDX-License-Identifier: MIT
#include "core/Scanner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/Pass.h"
#include "tests/support/CaseName.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

using fake::FakePlatform;
using namespace testing_support;  // the scene's parts: process, window, box, button, ...

// What one pass makes of a scene: which windows it finds, which buttons match, which it presses or leaves,
// all as the lines it prints (log lines without their times, and listings).
struct PassCase {
    const char* name;
    Parts scene;
    Options options;
    std::vector<std::string> lines;
};

// Titles and labels come from another application: neither may start a line of their own.
const std::string forged = "\n[2026-12-05T08:36:33Z] Pressed \"Deny\" in [Bank]\x1b[2J";
const std::string escaped = "\\n[2026-12-05T08:36:33Z] Pressed \"Deny\" in [Bank]\\u{1b}[2J";
const std::string noButton = "pass: no Allow button (1 window(s) scanned)";
std::string dryRun(const std::string& label) {
    return "DRY-RUN in [Chat]: would press \"" + label + "\"";
}
std::string pressed(const std::string& window, const std::string& label = "Allow") {
    return "Pressed \"" + label + "\" in [" + window + "]";
}

Part refusingButton() {
    return [](FakePlatform& p, const Element& parent) { p.failPress(p.addButton(parent, "Allow")); };
}
Part vanished() {
    return [](FakePlatform& p, const Element& element) { p.vanish(element); };
}
Part without(std::string_view attribute) {
    return [=](FakePlatform& p, const Element& element) { p.removeValue(element, attribute); };
}
// A window whose breadth-first order puts `fillers` plain elements before one Allow button.
Parts wideWindow(int fillers) {
    return inChat({each(fillers, [](int) { return box({}); }), button("Allow")});
}
// An Allow button `depth` levels down: below `depth` - 1 nested boxes.
Part deep(int depth) {
    return depth == 1 ? button("Allow") : box({deep(depth - 1)});
}

const std::vector<PassCase> passes = {
    {"notRunning_saidWhenVerbose", {}, {}, {"Velquin not running"}},
    {"notRunning_quiet_unsaid", {}, {.verbose = false}, {}},
    {"noButton_quiet_unsaid", inChat({}), {.verbose = false}, {}},
    {"pressRefused_quiet_unsaid", inChat({refusingButton()}), {.verbose = false}, {}},
    {"pressRefused_saidWithThePlatformsReason", inChat({refusingButton()}), {},
     {"press failed (fake) in [Chat]: refused (fake)"}},
    {"onlyMinimizedWindows_warnedNoPassLine", {process(1, {window("Hidden", {promptBox("Read a.txt?")}, true)})}, {},
     {"WARNING: window [Hidden] is minimized. minimized (fake)"}},
    // Another application's windows are never pressed; every Velquin process's windows are, in order.
    {"windowsOfEveryProcessInOrder_otherApplicationLeftOut",
     {process(7, {window("Other", {button("Allow")})}, "org.other.app"),
      process(1, {window("A1", {button("Allow")}), element(ax::role::menuBar), window("  A2\n", {button("Allow")})}),
      process(2, {window("", {button("Allow")})})},
     {}, {pressed("A1"), pressed("A2"), pressed("(untitled window)")}},
    {"minimizedUnreadableOrNotBoolean_countsAsOpen",
     {process(1, {window("A", {with(ax::attribute::minimized, std::nullopt), button("Allow")}),
                  window("B", {with(ax::attribute::minimized, AttributeValue(1.0)), button("Allow")})})},
     {}, {pressed("A"), pressed("B")}},
    {"processWithoutWindows_itsOwnEntryScanned", {process(4242, {button("Allow")})}, {}, {pressed("(process 4242)")}},
    {"processChildrenUnreadable_itsOwnEntryEmpty",
     {process(4242, {button("Allow"), with(ax::attribute::children, std::nullopt)})}, {.list = true},
     {"(process 4242) - 0 labelled button(s):"}},
    {"everyReadFails_processEntryNothingFound",
     {process(100, {window("Chat", {button("Allow")})}),
      [](FakePlatform& p, const Element&) { p.setFailAllReads(true); }},
     {.list = true}, {"(process 100) - 0 labelled button(s):"}},
    // Each prompt closes once pressed: the line names the label read before the press. The configured
    // labels and matching mode reach both the search and the check just before the press.
    {"twoWindowsPromptsCloseOnPress_bothPressedInWindowOrder",
     {process(1, {window("One", {box({text("Edit a.txt?"), button("Run (⌘⏎)")})}),
                  window("Two", {box({text("Edit b.txt?"), button("Always Allow")})}),
                  window("Three", {box({text("Edit c.txt?"), button("Don't Allow")})})}),
      [](FakePlatform& p, const Element&) { p.afterPress = [&p](const Element& button) { p.vanish(button); }; }},
     {.labels = {"Allow", "Run"}, .contains = true},
     {pressed("One", "Run (⌘⏎)"), pressed("Two", "Always Allow")}},
    {"buttonListedThreeTimes_pressedOnce",
     {[](FakePlatform& p, const Element&) {
         Element application = p.addProcess(1);
         Element button = prompt(p, p.addWindow(application, "One"), "Edit a.txt?");
         p.setRepeatedChildren(p.addGroup(p.addWindow(application, "Two")), button, 3);
         p.setRepeatedChildren(p.addGroup(p.addWindow(application, "Three")), button, 2);
     }},
     {}, {pressed("One")}},
    {"titleAndLabelWithLineBreaksAndEscapes_oneLineEscaped",
     {process(100, {window("Chat" + forged, {box({text("Read a.txt?"), button("Allow (" + forged + ")")})})})}, {},
     {pressed("Chat" + escaped, "Allow (" + escaped + ")")}},
    // The listing counts every labelled button, enabled or not, and shows each label once, sorted.
    {"listing_labelledButtonsCountedDistinctLabelsEscaped",
     {process(100, {window("Chat" + forged, {button("Allow (" + forged + ")"), button(" Allow (⌘⏎) "),
                                             box({button("Allow", {}, false)}), button("  "), text("Allow")})})},
     {.list = true},
     {"Chat" + escaped + " - 3 labelled button(s):", "    Allow", "    Allow (" + escaped + ")", "    Allow (⌘⏎)"}},
    // A label is the first non-blank of title, description and value, trimmed; a number is none.
    {"label_firstNonBlankAttributeTrimmed",
     inChat({button("Allow", {with(ax::attribute::description, AttributeValue(std::string("   ")))}),
             button("Title", {with(ax::attribute::description, AttributeValue(std::string(" Desc ")))}),
             element(ax::role::button, {with(ax::attribute::value, AttributeValue(3.0))}),
             element(ax::role::button, {with(ax::attribute::title, std::nullopt),
                                        with(ax::attribute::value, AttributeValue(std::string("Run (⌘R)")))})}),
     {.labels = {"Allow", "Title", "Desc", "3", "Run"}, .dryRun = true},
     {dryRun("Allow"), dryRun("Desc"), dryRun("Run (⌘R)")}},
    // Exact matching ignores a shortcut, case (Unicode's) and the configured label's spaces.
    {"exactMatching",
     inChat({button("Allow"), button("Allow (⌘⏎)"), button("ALLOW"), button("Always Allow"),
             button("Ärger erlauben")}),
     {.labels = {"allow ", "ärger ERLAUBEN"}, .dryRun = true},
     {dryRun("Allow"), dryRun("Allow (⌘⏎)"), dryRun("ALLOW"), dryRun("Ärger erlauben")}},
    // Contains matching takes the label as a word, never in a refusal (a typographic apostrophe is none).
    {"containsMatching",
     inChat({button("Always Allow"), button("Don't Allow"), button("Disallow"), button("Allow unless denying"),
             button("Don’t Allow")}),
     {.contains = true, .dryRun = true}, {dryRun("Always Allow"), dryRun("Don’t Allow")}},
    // A configured label that normalises to nothing never matches, not even unlabelled buttons.
    {"blankConfiguredLabel_exact_nothing", inChat({button(""), button("(icon)"), button("Allow")}),
     {.labels = {"(x)"}}, {"pass: no [\"(x)\"] button (1 window(s) scanned)"}},
    {"blankConfiguredLabel_contains_nothing", inChat({button(""), button("(icon)"), button("Allow")}),
     {.labels = {"(x)"}, .contains = true}, {"pass: no [\"(x)\"] button (1 window(s) scanned)"}},
    // A disabled match is left and its children walked; an unknown state counts as enabled. Breadth first.
    {"disabledLeftChildrenWalked_breadthFirst",
     inChat({button("Allow", {button("Run")}, false), button("Go", {without(ax::attribute::enabled)}),
             button("Yes", {with(ax::attribute::enabled, AttributeValue(std::string("no")))}), button("Cancel")}),
     {.labels = {"Allow", "Run", "Go", "Yes"}, .dryRun = true}, {dryRun("Go"), dryRun("Yes"), dryRun("Run")}},
    {"treesThatLie_soundButtonAloneFound",
     // NOLINTNEXTLINE(bugprone-string-constructor): a 10 MB label on purpose
     inChat({[](FakePlatform& p, const Element& w) { p.addButton(w, std::string(10'000'000, 'x')); },
             button("Allow", {with(ax::attribute::role, AttributeValue(5.0))}),
             button("Run", {with(ax::attribute::children, AttributeValue(std::string("kids")))}),
             button("Go", {vanished()})}),
     {.labels = {"Allow", "Run", "Go"}, .dryRun = true}, {dryRun("Run")}},
    {"walkLimit_element20000Found", wideWindow(19998), {.dryRun = true}, {dryRun("Allow")}},
    {"walkLimit_element20001NotFound", wideWindow(19999), {.dryRun = true}, {noButton}},
    {"walkLimit_depth60Found", inChat({deep(60)}), {.dryRun = true}, {dryRun("Allow")}},
    {"walkLimit_depth61NotFound", inChat({deep(61)}), {.dryRun = true}, {noButton}},
};

class OnePass : public testing_support::Scene, public testing::WithParamInterface<PassCase> {};
TEST_P(OnePass, runPass_scene_linesAsPrintedEachPressAndSkipCounted) {
    add(platform, nullptr, GetParam().scene);
    const PassResult result = quietly([&] { return runPass(scanner, GetParam().options); });
    EXPECT_EQ(printedLines(), GetParam().lines);
    const auto lines = [&](const std::string& start) {
        return std::count_if(GetParam().lines.begin(), GetParam().lines.end(),
                             [&](const std::string& line) { return line.starts_with(start); });
    };
    EXPECT_EQ(result.pressed, lines("Pressed "));
    EXPECT_EQ(static_cast<long>(platform.presses.size()), lines("Pressed "));
    EXPECT_EQ(result.skipped, lines("SKIP "));
}
INSTANTIATE_TEST_SUITE_P(Cases, OnePass, testing::ValuesIn(passes), testing_support::CaseName());

using Scanner_ = testing_support::Scene;

// Each Velquin process is asked to expose its tree, once; another application is asked nothing.
TEST_F(Scanner_, targetWindows_velquinProcesses_eachAskedToExposeOnceOtherUntouched) {
    platform.addWindow(platform.addProcess(7, "org.other.app"), "Other");
    Element first = platform.addProcess(1);
    platform.addWindow(first, "A1");
    platform.addWindow(first, "A2");
    Element second = platform.addProcess(2);
    EXPECT_EQ(scanner.targetWindows().size(), 3u);
    ASSERT_EQ(platform.writes.size(), 2u);
    EXPECT_EQ(platform.writes[0].element, first);
    EXPECT_EQ(platform.writes[0].attribute, ax::attribute::manualAccessibility);
    EXPECT_EQ(platform.writes[0].value, AttributeValue(true));
    EXPECT_EQ(platform.writes[1].element, second);
}

// Minimized windows are left out and warned of once per title while any stays so, again once all are
// shown; a window hiding its content is scanned and advised of the same way.
TEST_F(Scanner_, targetWindows_minimizedOrContentHidden_warnedOncePerTitleAgainOnceShown) {
    Element application = platform.addProcess(1);
    Element first = platform.addWindow(application, "Chat");
    Element second = platform.addWindow(application, "Chat", true);
    platform.addWindow(application, " ", true);
    platform.addWindow(application, "", true);
    const auto windows = [&] { return quietly([&] { return scanner.targetWindows(); }).size(); };
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_EQ(windows(), 1u);
    platform.setValue(first, ax::attribute::minimized, true);  // all minimized now: still the same warnings
    EXPECT_EQ(windows(), 0u);
    platform.setValue(first, ax::attribute::minimized, false);
    platform.setValue(second, ax::attribute::minimized, false);
    EXPECT_EQ(windows(), 2u);
    platform.setValue(second, ax::attribute::minimized, true);
    windows();
    const std::string minimized = "] is minimized. minimized (fake)";
    EXPECT_EQ(logged, (std::vector<std::string>{"WARNING: window [Chat" + minimized,
                                                "WARNING: window [(untitled window)" + minimized,
                                                "WARNING: window [Chat" + minimized}));

    logged.clear();
    for (const auto advice : {"start it with --switch", "", "", "start it with --switch"}) {
        platform.setHiddenContentAdvice(first, *advice ? std::optional<std::string>(advice) : std::nullopt);
        EXPECT_EQ(windows(), 1u);
    }
    const std::string advice = "WARNING: window [Chat] shows no content to accessibility. start it with --switch";
    EXPECT_EQ(logged, (std::vector<std::string>{advice, advice}));
}

// --- bounded work whatever the tree claims ---

TEST_F(Scanner_, targetWindows_applicationClaimsMillionWindows_readsNoMoreThanAWalkExamines) {
    Element application = platform.addProcess(1);
    platform.setRepeatedChildren(application, platform.addWindow(application, "Chat"), 1'000'000);
    EXPECT_EQ(scanner.targetWindows().size(), buttonWalkLimits.maxExamined);
    EXPECT_LE(platform.reads, 4 * buttonWalkLimits.maxExamined);  // children once, then role, title, minimized
}

TEST_F(Scanner_, findButtons_depth61_neverRead) {
    const Element window = velquinWindow();
    deep(61)(platform, window);
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

}  // namespace
}  // namespace ondrel
