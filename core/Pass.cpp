// SPDX-License-Identifier: MIT
#include "core/Pass.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>

#include "core/ActivityLog.h"
#include "core/DangerMatcher.h"
#include "core/DecisionHistory.h"
#include "core/PromptReader.h"
#include "core/TextForms.h"

namespace ondrel {

bool PassMemory::pressedBefore(const Element& button, const std::string& label) {
    const auto pressed = pressed_.find(button);
    if (pressed == pressed_.end() || pressed->second != label)
        return false;
    pressedNow_.insert_or_assign(button, label);
    return true;
}

void PassMemory::notePressed(const Element& button, const std::string& label) {
    pressedNow_.insert_or_assign(button, label);
}

bool PassMemory::leftBefore(const SkippedPrompt& prompt) {
    PromptKey key{prompt.windowTitle, prompt.label, prompt.promptText};
    const bool before = left_.contains(key);
    leftNow_.insert(std::move(key));
    return before;
}

void PassMemory::endPass() {
    pressed_ = std::exchange(pressedNow_, {});
    left_ = std::exchange(leftNow_, {});
}

namespace {

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printListing(Scanner& scanner, const std::vector<TargetWindow>& windows) {
    for (const TargetWindow& window : windows) {
        std::vector<std::string> labels = scanner.buttonLabels(window.element);
        printLine(window.title + " - " + std::to_string(labels.size()) + " labelled button(s):");
        for (const std::string& label : distinctLabels(std::move(labels)))
            printLine("    " + escapeForLine(label));
    }
}

// What safe mode makes of a button's prompt.
struct Judgement {
    std::optional<std::string> text;  // in matching form; none when it cannot be read whole
    std::string pattern;              // the danger fragment it mentions, if any
    PromptReader::Unread unread = PromptReader::Unread::tooLarge;  // why there is no text

    bool harmless() const { return text && pattern.empty(); }
    // As the log line words it.
    std::string objection() const {
        if (text)
            return "prompt mentions \"" + pattern + "\"";
        return unread == PromptReader::Unread::notToldApart ? "prompt not told apart from the one beside it"
                                                            : "prompt too large to read";
    }
};

Judgement judge(PromptReader& prompts, const FoundButton& button) {
    Judgement judged{prompts.textAround(button), {}, prompts.whyUnread()};
    if (judged.text) {
        if (auto pattern = dangerMatch(*judged.text))
            judged.pattern = *pattern;
    }
    return judged;
}

// How a pass decides on the buttons of one window. Every decision it logs it also records in the history.
class WindowPass {
public:
    WindowPass(Scanner& scanner, const Options& opts, PassMemory& memory, PassResult& result,
               const TargetWindow& window, const std::vector<FoundButton>& buttons)
        : scanner_(scanner),
          opts_(opts),
          memory_(memory),
          result_(result),
          window_(window),
          buttons_(buttons),
          prompts_(scanner, promptTextLimit, buttons) {}

    void decide(const FoundButton& candidate) {
        const Element& button = candidate.element;
        if (memory_.pressedBefore(button, scanner_.buttonLabel(button)))
            return;  // pressed already and still showing: its prompt is fading out
        // The prompt as judged, or read for the history alone.
        std::optional<std::string> prompt;
        if (opts_.safe) {
            Judgement judged = judge(prompts_, candidate);
            if (!judged.harmless())
                return leaveForUser(scanner_, candidate, std::move(judged));
            prompt = std::move(judged.text);
        } else if (historyKept()) {
            prompt = prompts_.textAround(candidate);  // one bounded read; the press waits for no other
        }
        if (opts_.dryRun) {
            const std::string label = escapeForLine(scanner_.buttonLabel(button));
            log("DRY-RUN in [" + window_.title + "]: would press \"" + label + "\"");
            return record({.button = label, .decision = Decision::dryRun}, prompt);
        }
        // The label is read before the press: an answered prompt usually goes away at once, and reading
        // afterwards would then report an empty label.
        std::string label = scanner_.buttonLabel(button);
        if (scanner_.remembersAcrossScans()) {
            // What was remembered from earlier passes may be out of date: a press is decided on what the
            // button is now (a button that no longer matches is simply not there), and on what its prompt
            // says now, which memory holds while every change of a text is reported.
            Scanner live(scanner_.platform());
            if (!live.matches(button, opts_.labels, opts_.contains))
                return;
            if (opts_.safe && !scanner_.platform().reportsTextChanges()) {
                PromptReader livePrompts(live, promptTextLimit, buttons_);
                Judgement judged = judge(livePrompts, candidate);
                if (!judged.harmless())
                    return leaveForUser(live, candidate, std::move(judged));
                prompt = std::move(judged.text);
            }
            label = live.buttonLabel(button);
        }
        press(button, label, prompt);
    }

private:
    void leaveForUser(Scanner& scanner, const FoundButton& button, Judgement judged) {
        SkippedPrompt skip{window_.title, escapeForLine(scanner.buttonLabel(button.element)), judged.objection(),
                           judged.text.value_or("")};
        if (!memory_.leftBefore(skip)) {
            ++result_.skipped;
            log("SKIP (safe mode) in [" + skip.windowTitle + "]: " + skip.objection + " - left for you");
            record(
                {.button = skip.label, .decision = Decision::left, .pattern = judged.pattern, .reason = skip.objection},
                judged.text);
        }
        result_.skippedPrompts.push_back(std::move(skip));
    }

    void press(const Element& button, const std::string& label, const std::optional<std::string>& prompt) {
        const ActionResult pressed = scanner_.platform().performAction(button, ax::action::press);
        switch (pressed.outcome) {
            case ActionResult::Outcome::done:
                ++result_.pressed;
                memory_.notePressed(button, label);
                log("Pressed \"" + escapeForLine(label) + "\" in [" + window_.title + "]");
                return record({.button = escapeForLine(label), .decision = Decision::pressed}, prompt);
            case ActionResult::Outcome::gone:
                return;  // answered and closed meanwhile: nothing failed
            case ActionResult::Outcome::busy:
                memory_.notePressed(button, label);  // it may still happen: never press twice
                break;
            case ActionResult::Outcome::failed:
                break;  // tried again by the next pass that finds it
        }
        const std::string reason = escapeForLine(pressed.reason);
        if (opts_.verbose)
            log(scanner_.platform().wording().pressFailed + " in [" + window_.title + "]: " + reason);
        record({.button = escapeForLine(label), .decision = Decision::failed, .reason = reason}, prompt);
    }

    // Completes the decision with the window, the time, the prompt and who Velquin is, and records it.
    void record(DecisionRecord decision, const std::optional<std::string>& prompt) {
        if (!historyKept())
            return;
        decision.time = formatLogTimestamp(std::chrono::system_clock::now());
        decision.window = window_.title;
        setPromptText(decision, prompt.value_or(""));
        decision.process = window_.process;
        if (!identity_)
            identity_ = scanner_.platform().identityRule(window_.process);
        decision.identity = *identity_;
        recordDecision(decision);
    }

    Scanner& scanner_;
    const Options& opts_;
    PassMemory& memory_;
    PassResult& result_;
    const TargetWindow& window_;
    const std::vector<FoundButton>& buttons_;
    PromptReader prompts_;
    std::optional<std::string> identity_;  // asked once a window
};

// "Allow" for the labels by default, the labels themselves otherwise.
std::string wantedButton(const std::vector<std::string>& labels) {
    return labels == std::vector<std::string>{"Allow"} ? "Allow" : formatLabelList(labels);
}

}  // namespace

PassResult runPass(Scanner& scanner, const Options& opts) {
    PassMemory memory;
    return runPass(scanner, opts, memory);
}

PassResult runPass(Scanner& scanner, const Options& opts, PassMemory& memory) {
    const std::vector<TargetWindow> windows = scanner.targetWindows();
    PassResult result;
    result.windows = static_cast<std::int64_t>(windows.size());
    result.running = scanner.targetRunning();

    if (!result.running) {
        if (opts.verbose)
            log("Velquin not running");
        memory.endPass();
        return result;
    }
    if (opts.list) {
        printListing(scanner, windows);
        return result;
    }
    std::size_t found = 0;
    NodeSet decided;  // a tree may list a button more than once; it is decided on once a pass
    for (const TargetWindow& window : windows) {
        const std::vector<FoundButton> buttons = scanner.findButtons(window.element, opts.labels, opts.contains);
        found += buttons.size();
        WindowPass pass(scanner, opts, memory, result, window, buttons);
        for (const FoundButton& candidate : buttons) {
            if (decided.insert(candidate.element).second)
                pass.decide(candidate);
        }
    }
    memory.endPass();
    if (opts.verbose && found == 0 && !windows.empty()) {
        log("pass: no " + wantedButton(opts.labels) + " button (" + std::to_string(result.windows) +
            " window(s) scanned)");
    }
    return result;
}

}  // namespace ondrel
