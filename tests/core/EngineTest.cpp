// SPDX-License-Identifier: MIT
#include "core/Engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "core/PromptReader.h"
#include "tests/support/CaseName.h"
#include "tests/support/HeldRunner.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

class Pass : public testing_support::Scene {
protected:
    PassResult pass() {
        return quietly([&] { return runPass(scanner, opts); });
    }

    Options opts;
};

struct DecisionCase {
    const char* name;
    std::string prompt;
    bool safe, dryRun;
    const char* objection;  // why safe mode leaves it, or null where it does not
    std::string read;       // the prompt as the skip reports it and the history keeps it
    const char* line;       // logged where nothing is left
    ondrel::Decision recorded;
    const char* pattern;
};
class Decided : public testing_support::Scene, public testing::WithParamInterface<DecisionCase> {};

// Safe mode's skip comes first, then dry run, then the press; each recorded with the prompt as judged, which
// is read for the history alone where safe mode is off.
TEST_P(Decided, runPass_matchingButton_decidedInOrderRecorded) {
    const DecisionCase& c = GetParam();
    prompt(velquinWindow(), c.prompt, "Allow (⌘⏎)");
    Options opts;
    opts.safe = c.safe;
    opts.dryRun = c.dryRun;
    const PassResult result = quietly([&] { return runPass(scanner, opts); });
    if (c.objection) {
        EXPECT_EQ(result, (PassResult{0, 1, 1, true, {{"Chat", "Allow (⌘⏎)", c.objection, c.read}}}));
        EXPECT_EQ(logged, std::vector<std::string>{"SKIP (safe mode) in [Chat]: " + std::string(c.objection) +
                                                   " - left for you"});
    } else {
        EXPECT_EQ(result, (PassResult{c.dryRun ? 0 : 1, 0, 1, true, {}}));
        EXPECT_EQ(logged, std::vector<std::string>{c.line});
    }
    EXPECT_EQ(platform.presses.size(), static_cast<std::size_t>(result.pressed));
    EXPECT_EQ(takeRecords(), (std::vector<DecisionRecord>{{.window = "Chat",
                                                           .button = "Allow (⌘⏎)",
                                                           .decision = c.recorded,
                                                           .pattern = c.pattern,
                                                           .reason = c.objection ? c.objection : "",
                                                           .prompt = c.read,
                                                           .process = 100,
                                                           .identity = "fake-rule"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decided,
    testing::Values(DecisionCase{"riskyUnsafe", "Run rm -rf /tmp/build?", false, false, nullptr,
                                 "run rm -rf /tmp/build?", "Pressed \"Allow (⌘⏎)\" in [Chat]", Decision::pressed, ""},
                    DecisionCase{"riskySafeDryRun", "sudo make install", true, true, "prompt mentions \"sudo \"",
                                 "sudo make install", nullptr, Decision::left, "sudo "},
                    DecisionCase{"harmlessDryRun", "Read README.md?", true, true, nullptr, "read readme.md?",
                                 "DRY-RUN in [Chat]: would press \"Allow (⌘⏎)\"", Decision::dryRun, ""}),
    testing_support::CaseName());

// A prompt stays on screen a while after its answer: it is pressed, and told of when left, once while it
// stays; once gone, a prompt like it is new again.
TEST_F(Pass, runPass_promptsStayingOverPasses_pressedAndToldOnceNewAgainOnceGone) {
    Element window = velquinWindow();
    const auto box = [&](const std::string& text) {
        Element group = platform.addGroup(window);
        platform.addText(group, text);
        platform.addButton(group, "Allow");
        return group;
    };
    Element harmless = box("Read notes.txt?");
    Element risky = box("Run rm -rf build?");
    opts.verbose = false;
    PassMemory memory;
    const auto again = [&] { return quietly([&] { return runPass(scanner, opts, memory); }); };
    const std::string skipLine = "SKIP (safe mode) in [Chat]: prompt mentions \"rm -rf\" - left for you";
    EXPECT_EQ(again().pressed, 1);
    EXPECT_EQ(again(),
              (PassResult{0, 0, 1, true, {{"Chat", "Allow", "prompt mentions \"rm -rf\"", "run rm -rf build?"}}}));
    EXPECT_EQ(logged, (std::vector<std::string>{"Pressed \"Allow\" in [Chat]", skipLine}));
    platform.vanish(harmless);
    platform.vanish(risky);
    again();
    box("Read notes.txt?");
    box("Run rm -rf build?");
    EXPECT_EQ(again().pressed, 1);
    EXPECT_EQ(logged, (std::vector<std::string>{"Pressed \"Allow\" in [Chat]", skipLine, "Pressed \"Allow\" in [Chat]",
                                                skipLine}));
    EXPECT_EQ(platform.presses.size(), 2u);
}

// A press that went nowhere: tried again when refused, not again when it may still happen, and no failure
// at all when the button went with its prompt. Each failure logged is recorded with its reason.
TEST_F(Pass, runPass_pressNotDone_retriedOnlyWhenRefusedLoggedOnlyWhenNotGone) {
    const std::vector<std::pair<ActionResult::Outcome, std::size_t>> cases = {
        {ActionResult::Outcome::failed, 2}, {ActionResult::Outcome::busy, 1}, {ActionResult::Outcome::gone, 0}};
    for (const auto& [outcome, lines] : cases) {
        fake::FakePlatform scene;
        Scanner reader(scene);
        Element button = scene.addButton(scene.addWindow(scene.addProcess(1), "Chat"), "Allow");
        scene.failPress(button, {outcome, "why"});
        PassMemory memory;
        logged.clear();
        quietly([&] {
            runPass(reader, opts, memory);
            runPass(reader, opts, memory);
        });
        EXPECT_EQ(logged, std::vector<std::string>(lines, "press failed (fake) in [Chat]: why"));
        std::vector<std::string> recorded;
        for (const DecisionRecord& record : takeRecords())
            recorded.push_back(std::string(decisionWord(record.decision)) + ": " + record.reason);
        EXPECT_EQ(recorded, std::vector<std::string>(lines, "failed: why"));
    }
}

TEST_F(Pass, runPass_promptsNeedMoreThanTheAllowance_restLeftForYouUnjudged) {
    testing_support::boxesSharingOneHugeSubtree(20)(platform, velquinWindow());
    const PassResult result = pass();
    // Every box costs a full text walk: the allowance judges some of them, and leaves the rest unjudged.
    const SkippedPrompt unread{"Chat", "Allow", "prompt too large to read", ""};
    EXPECT_GT(result.pressed, 0);
    EXPECT_GT(result.skipped, 0);
    EXPECT_EQ(result.pressed + result.skipped, 20);
    EXPECT_EQ(result.skippedPrompts, std::vector(static_cast<std::size_t>(result.skipped), unread));
    EXPECT_EQ(logged.back(), "SKIP (safe mode) in [Chat]: prompt too large to read - left for you");
}

// Passes whose scanner keeps what it read across scans, on a clock the test moves.
class RememberingPass : public Pass {
protected:
    void SetUp() override {
        platform.setReportsChanges(true);
        ASSERT_TRUE(remembering.watchChanges(nullptr));
    }
    PassResult pass() {
        return quietly([&] { return runPass(remembering, opts); });
    }
    // Passes until what was read is kept: a process's first reads settle for a moment first.
    void settle() {
        pass();
        clock += std::chrono::seconds(3);
        pass();
    }
    // A harmless prompt with a button labelled `label`, remembered by dry-run passes; returns its text.
    Element rememberedPrompt(const std::string& label) {
        Element box = platform.addGroup(velquinWindow());
        Element text = platform.addText(box, "Velquin wants to read notes.txt");
        promptButton = platform.addButton(box, label);
        opts.dryRun = true;
        settle();
        opts.dryRun = false;
        return text;
    }

    Element promptButton;  // of the remembered prompt
    ReadMemory::Clock::time_point clock{};
    Scanner remembering{platform, [this] { return clock; }};
};

TEST_F(RememberingPass, rememberedPromptTurnedRiskyOrRelabelledUnreported_pressDecidedOnWhatIsThereNow) {
    opts.contains = true;  // which the check before the press must use too
    Element text = rememberedPrompt("Always Allow");
    platform.setValue(text, ax::attribute::value, AttributeValue(std::string("Velquin wants to run rm -rf ~")));
    EXPECT_EQ(
        pass(),
        (PassResult{
            0, 1, 1, true, {{"Chat", "Always Allow", "prompt mentions \"rm -rf\"", "velquin wants to run rm -rf ~"}}}));
    platform.setValue(text, ax::attribute::value, AttributeValue(std::string("Velquin wants to read notes.txt")));
    platform.setValue(promptButton, ax::attribute::title, AttributeValue(std::string("Deny")));
    EXPECT_EQ(pass(), (PassResult{0, 0, 1, true, {}}));
    EXPECT_TRUE(platform.presses.empty());
    platform.setValue(promptButton, ax::attribute::title, AttributeValue(std::string("Always Allow")));
    EXPECT_EQ(pass(), (PassResult{1, 0, 1, true, {}}));
}

// Where every change of a text is reported, the check before a press reads the button alone: a reported
// change is what has a prompt's text read again.
TEST_F(RememberingPass, textChangesReported_changedTextReadAgainPressChecksTheButtonAlone) {
    platform.setReportsTextChanges(true);
    Element text = rememberedPrompt("Allow");
    const auto say = [&](const std::string& words) {
        platform.setValue(text, ax::attribute::value, AttributeValue(words));
        platform.changeOf(100, text, ChangeKind::text);
    };
    say("Velquin wants to run rm -rf ~");
    EXPECT_EQ(pass().skipped, 1);
    say("Velquin wants to read notes.txt");
    const std::size_t before = platform.reads;
    EXPECT_EQ(pass().pressed, 1);
    EXPECT_LE(platform.reads - before, 7u);  // the text once, and the button's role, label and state
}

TEST_F(RememberingPass, changeReported_onlyThatElementOrTheNearestKnownAncestorReadAgain) {
    Element application = platform.addProcess(100);
    Element box = platform.addGroup(platform.addWindow(application, "Chat"));
    for (int i = 0; i < 20; ++i)
        platform.addText(box, "line " + std::to_string(i));
    Element button = platform.addButton(box, "Allow", false);
    opts.dryRun = true;
    settle();
    const std::size_t bulk = platform.bulkReads;
    const std::size_t told = platform.bulkFacts;
    const std::vector<std::string> wouldPress{"DRY-RUN in [Chat]: would press \"Allow\""};
    platform.setValue(button, ax::attribute::enabled, AttributeValue(true));
    platform.changeOf(100, button);
    logged.clear();
    pass();
    EXPECT_EQ(logged, wouldPress);

    // A new part of the tree, reported only for its innermost element: found through its ancestors.
    Element inner = platform.addButton(platform.addGroup(platform.addGroup(box)), "Allow");
    platform.changeOf(100, inner);
    logged.clear();
    pass();
    EXPECT_EQ(logged, std::vector<std::string>(2, wouldPress[0]));
    // The button, then the box with what is new in it, were read again; the rest came from memory.
    EXPECT_EQ(platform.bulkFacts - told, 1u + 1u + 3u);

    // A new window, reported for itself and for its application: read with the application's new
    // list of windows; Chat and its twenty lines are not read again.
    Element later = platform.addWindow(application, "Later");
    platform.addButton(platform.addGroup(later), "Allow");
    const std::size_t beforeLater = platform.bulkFacts;
    platform.changeOf(100, application);
    platform.changeOf(100, later);
    pass();
    EXPECT_GT(platform.bulkReads, bulk);
    EXPECT_EQ(logged.back(), "DRY-RUN in [Later]: would press \"Allow\"");
    EXPECT_LT(platform.bulkFacts - beforeLater, 20u);
}

// A conversation gaining a prompt is told of the child and its place: only the child is read when the
// live list proves memory's list plus that child; a list that differs in any other way is read again.
TEST_F(RememberingPass, childAddedOrRemoved_onlyTheChildReadWhenTheLiveListAgreesTheListAgainOtherwise) {
    // The place reported, whether another child came without a word, and the elements read: the prompt's
    // three, and the chat with what is new in it.
    const std::vector<std::tuple<std::size_t, bool, std::size_t>> cases{{20, false, 3}, {19, false, 4}, {21, true, 5}};
    Element window = velquinWindow();
    std::vector<Element> chats;
    for (std::size_t c = 0; c < cases.size(); ++c) {
        chats.push_back(platform.addGroup(window));
        for (int i = 0; i < 20; ++i)
            platform.addText(chats.back(), "message " + std::to_string(i));
    }
    opts.dryRun = true;
    settle();
    for (std::size_t c = 0; c < cases.size(); ++c) {
        const auto& [place, unreported, read] = cases[c];
        if (unreported)
            platform.addText(chats[c], "typing...");
        Element prompt = platform.addGroup(chats[c]);
        Element question = platform.addText(prompt, "Velquin wants to read notes.txt");
        platform.addButton(prompt, "Allow");
        platform.report(
            {.process = 100, .element = chats[c], .kind = ChangeKind::added, .child = prompt, .position = place});
        std::size_t before = platform.bulkFacts;
        pass();
        EXPECT_EQ(logged.back(), "DRY-RUN in [Chat]: would press \"Allow\"");
        EXPECT_EQ(platform.bulkFacts - before, read);

        // Gone again: memory's list loses it, and nothing is read, not even for its parts telling they are
        // hidden now that it is out of the tree.
        ElementList left = std::get<ElementList>(*platform.copyAttribute(chats[c], ax::attribute::children));
        std::erase_if(left, [&](const Element& child) { return SameNode{}(child, prompt); });
        platform.setValue(chats[c], ax::attribute::children, AttributeValue(left));
        platform.setValue(prompt, ax::attribute::parent, AttributeValue());
        platform.report({.process = 100, .element = chats[c], .kind = ChangeKind::removed, .child = prompt});
        platform.changeOf(100, question);
        before = platform.bulkFacts;
        pass();
        EXPECT_EQ(logged.back(), "pass: no Allow button (1 window(s) scanned)");
        EXPECT_EQ(platform.bulkFacts, before);
    }
}

// A change nobody reported is found when the lists of children are checked.
TEST_F(RememberingPass, unreportedNewButton_foundOnceTheListsAreChecked) {
    Element window = velquinWindow();
    opts.dryRun = true;
    settle();
    platform.addButton(window, "Allow");
    pass();
    EXPECT_EQ(logged.back(), "pass: no Allow button (1 window(s) scanned)");
    clock += std::chrono::duration_cast<ReadMemory::Clock::duration>(
        std::chrono::duration<double>(ReadMemory::verifySeconds));
    pass();
    EXPECT_EQ(logged.back(), "DRY-RUN in [Chat]: would press \"Allow\"");
}

TEST_F(RememberingPass, treeStillFillingInAtFirst_notKeptUntilItSettled) {
    Element page = platform.addGroup(velquinWindow());
    opts.dryRun = true;
    pass();                                                // an empty page, as a web runtime shows at first
    platform.addButton(platform.addGroup(page), "Allow");  // filled in without a word
    pass();
    EXPECT_EQ(logged.back(), "DRY-RUN in [Chat]: would press \"Allow\"");
    clock += std::chrono::seconds(3);
    pass();
    const std::size_t bulk = platform.bulkReads;
    pass();
    EXPECT_EQ(platform.bulkReads, bulk);  // settled: kept from now on
}

class Engine : public testing_support::Scene {
protected:
    testing_support::ManualScheduler scheduler;
    WatcherEngine::Clock::time_point clock{};
    Scanner timedScanner{platform, [this] { return clock; }};
    WatcherEngine engine{timedScanner, scheduler, Options{}, nullptr, [this] { return clock; }};
    int updates = 0;
    Subscription listening = engine.subscribe([this] { ++updates; });

    void fire() {
        quietly([&] { scheduler.fireAll(); });
    }
    // The platform reports a change of process 100 on its own thread; the engine hears of it on its own.
    void change() {
        platform.changeOf(100);
        quietly([&] { scheduler.runPosted(); });
    }
    void after(double seconds) {
        clock += std::chrono::duration_cast<WatcherEngine::Clock::duration>(std::chrono::duration<double>(seconds));
    }
};

TEST_F(Engine, startedTwiceThenDestroyed_oneLiveTimerFirstPassOnePeriodAwayThenNoneChangesGoNowhere) {
    platform.setReportsChanges(true);
    velquinWindow();
    auto otherScanner = std::make_unique<Scanner>(platform);
    auto other = std::make_unique<WatcherEngine>(*otherScanner, scheduler, Options{});
    other->start();
    other->start();
    EXPECT_EQ(scheduler.liveTimers(), 1);
    EXPECT_TRUE(other->state().started);
    other.reset();
    EXPECT_EQ(scheduler.liveTimers(), 0);
    change();
    EXPECT_EQ(platform.scans, 0u);
    otherScanner.reset();  // as the program ends, before its platform
    EXPECT_FALSE(platform.hearsChanges());

    // Also when the platform could not watch (its bus gone) but keeps the listener for later.
    platform.setReportsChanges(false);
    otherScanner = std::make_unique<Scanner>(platform);
    WatcherEngine(*otherScanner, scheduler, Options{}).start();
    EXPECT_TRUE(platform.hearsChanges());
    otherScanner.reset();
    EXPECT_FALSE(platform.hearsChanges());
}

TEST_F(Engine, passes_totalsGrowSkipsPublishedAfterEachUpdateNoneOnceGone) {
    Element riskyButton = prompt(velquinWindow(), "Delete FROM users");
    // Another process, so that climbing from the harmless button never reaches the risky text.
    platform.addButton(platform.addGroup(velquinWindow("Two", 101)), "Allow");
    std::vector<std::pair<int, std::vector<SkippedPrompt>>> heard;  // updates so far, prompts left
    const Subscription skips =
        engine.subscribeToSkips([&](const std::vector<SkippedPrompt>& left) { heard.emplace_back(updates, left); });
    engine.start();
    fire();
    fire();
    EXPECT_EQ(updates, 3);  // started, then two passes
    // Both prompts stay on screen: the harmless one was pressed once, the risky one left (and told) once.
    EXPECT_EQ(engine.statusText(), "Watching 2 windows  \u00B7  approved 1, left for you 1");
    EXPECT_EQ(platform.presses.size(), 1u);
    EXPECT_EQ(std::count(logged.begin(), logged.end(),
                         "SKIP (safe mode) in [Chat]: prompt mentions \"delete from\" - left for you"),
              1);
    platform.vanish(riskyButton);
    fire();
    const SkippedPrompt risky{"Chat", "Allow", "prompt mentions \"delete from\"", "delete from users"};
    EXPECT_EQ(heard, (std::vector<std::pair<int, std::vector<SkippedPrompt>>>{{2, {risky}}, {3, {risky}}, {4, {}}}));
}

TEST_F(Engine, togglePauseAndSetSafe_loggedNoPassesWhilePausedWarningOnlyWhenSafeOff) {
    velquinWindow();
    engine.start();
    quietly([&] {
        engine.togglePause();
        engine.setSafe(true);  // no change: neither update nor line
        engine.setSafe(false);
    });
    fire();
    EXPECT_EQ(engine.statusText(), "Paused");
    quietly([&] {
        engine.togglePause();
        engine.setSafe(true);
    });
    EXPECT_EQ(updates, 5);  // started, the two flips and the two safe changes, no timer pass
    EXPECT_EQ(platform.scans, 0u);
    EXPECT_EQ(logged,
              (std::vector<std::string>{"Paused.", "Safe mode OFF.",
                                        "WARNING: safe mode off - destructive prompts will be auto-approved too.",
                                        "Resumed.", "Safe mode ON."}));
    fire();
    EXPECT_EQ(platform.scans, 1u);
}

// Heard only where the platform reports changes, once started and while not paused; then a pass at once,
// then spaced ones that space out while changes keep coming, and at once again after a quiet second.
TEST_F(Engine, changes_passAtOnceThenSpacedPassesSpacingGrowsWhileTheyKeepComingNoneUnreportedNotStartedOrPaused) {
    velquinWindow();
    change();  // the platform cannot report changes: nobody listens
    platform.setReportsChanges(true);
    change();  // not started yet
    engine.start();
    quietly([&] { engine.togglePause(); });
    change();
    EXPECT_EQ(platform.scans, 0u);
    quietly([&] { engine.togglePause(); });
    change();
    EXPECT_EQ(platform.scans, 1u);  // at once, without waiting for the timer
    after(0.01);
    change();
    change();  // a burst: the one spaced pass takes them all
    EXPECT_EQ(platform.scans, 1u);
    ASSERT_EQ(scheduler.pendingOnce(), 1);
    EXPECT_NEAR(scheduler.entries.back()->interval, 0.04, 1e-9);
    after(0.04);
    quietly([&] { scheduler.fireOnce(); });
    EXPECT_EQ(platform.scans, 2u);
    after(0.05);
    change();  // still coming: the spacing has doubled
    EXPECT_EQ(platform.scans, 2u);
    EXPECT_NEAR(scheduler.entries.back()->interval, 0.05, 1e-9);
    after(0.05);
    quietly([&] { scheduler.fireOnce(); });
    EXPECT_EQ(platform.scans, 3u);
    after(WatcherEngine::quietSeconds);
    change();
    EXPECT_EQ(platform.scans, 4u);
    fire();  // the timer keeps its own passes
    EXPECT_EQ(platform.scans, 5u);
}

TEST_F(Engine, passElsewhere_neverOverlapsAChangeDuringItBringsOnePassAfter) {
    platform.setReportsChanges(true);
    velquinWindow();
    testing_support::HeldRunner runner;
    WatcherEngine elsewhere(scanner, scheduler, Options{}, &runner, [this] { return clock; });
    Subscription counted = elsewhere.subscribe([this] { ++updates; });
    elsewhere.start();
    quietly([&] { scheduler.fireAll(); });
    quietly([&] { scheduler.fireAll(); });  // the first pass still runs: this tick is dropped
    change();
    change();
    EXPECT_EQ(runner.held.size(), 1u);
    after(1.0);
    quietly([&] { runner.finishOne(); });
    EXPECT_EQ(updates, 2);              // started, then the pass
    ASSERT_EQ(runner.held.size(), 1u);  // one pass for both changes, once the first was done
    quietly([&] { runner.finishOne(); });
    EXPECT_TRUE(runner.held.empty());
}

TEST_F(Engine, memory_unchangedVelquinAskedNothingChangedReadAgainListsCheckedAllReadAfreshAtLast) {
    platform.setReportsChanges(true);
    prompt(velquinWindow(), "Velquin wants to read notes.txt", "Run");
    engine.start();
    fire();
    after(3.0);
    fire();  // a process's first reads are kept once it has settled
    const std::size_t firstReads = platform.reads;
    const std::size_t firstBulk = platform.bulkReads;
    after(1.0);
    fire();
    EXPECT_EQ(platform.reads, firstReads);  // nothing changed: nothing asked of Velquin
    EXPECT_EQ(platform.bulkReads, firstBulk);
    after(1.0);
    change();
    EXPECT_GT(platform.bulkReads, firstBulk);  // read afresh after the change
    const std::size_t afterChange = platform.bulkReads;
    after(ReadMemory::verifySeconds);
    fire();
    EXPECT_GT(platform.reads, firstReads);       // the lists of children checked
    EXPECT_EQ(platform.bulkReads, afterChange);  // and found as they were
    after(ReadMemory::fullRereadSeconds);
    fire();
    EXPECT_GT(platform.bulkReads, afterChange);  // and after a long while read afresh in any case
    EXPECT_EQ(logged, (std::vector<std::string>(6, "pass: no Allow button (1 window(s) scanned)")));
}

// The platform's connection lost, back (everything read afresh at once) and gone with the session.
TEST_F(Engine, serviceEvents_loggedRestoredReadsAfreshAtOnceSessionEndStopsWatching) {
    platform.setReportsChanges(true);
    velquinWindow();
    int ended = 0;
    const Subscription end = engine.subscribeToSessionEnd([&] { ++ended; });
    engine.start();
    fire();
    after(3.0);
    fire();
    const std::size_t bulk = platform.bulkReads;
    platform.serviceEvent(ServiceEvent::lost, "lost (fake)");
    after(1.0);
    platform.serviceEvent(ServiceEvent::restored, "back (fake)");
    quietly([&] { scheduler.runPosted(); });
    EXPECT_EQ(platform.scans, 3u);        // a pass at once
    EXPECT_GT(platform.bulkReads, bulk);  // that read everything afresh
    platform.endSession("ended (fake)");
    quietly([&] { scheduler.runPosted(); });
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(scheduler.liveTimers(), 0);
    const std::vector<std::string> said(logged.end() - 4, logged.end());
    EXPECT_EQ(said, (std::vector<std::string>{"lost (fake)", "back (fake)",
                                              "pass: no Allow button (1 window(s) scanned)", "ended (fake)"}));
}

using EngineDeathTest = Engine;
TEST_F(EngineDeathTest, tick_otherThread_abortsAsProgrammingError) {
    EXPECT_DEATH(std::thread([&] { engine.tick(); }).join(), "off the thread that created it");
}

}  // namespace
}  // namespace ondrel
