// SPDX-License-Identifier: MIT
#include "core/Engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/ActivityLog.h"
#include "core/DangerMatcher.h"
#include "core/PromptReader.h"
#include "core/TextForms.h"

namespace ondrel {
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

// The prompt safe mode leaves for the user, if it leaves this button.
std::optional<SkippedPrompt> safeModeSkip(Scanner& scanner, PromptReader& prompts, const FoundButton& button,
                                          const TargetWindow& window) {
    std::optional<std::string> prompt = prompts.textAround(button);
    std::string objection;
    if (!prompt)
        objection = "prompt too large to read";
    else if (auto pattern = dangerMatch(*prompt))
        objection = "prompt mentions \"" + std::string(*pattern) + "\"";
    else
        return std::nullopt;
    return SkippedPrompt{window.title, escapeForLine(scanner.buttonLabel(button.element)), std::move(objection),
                         std::move(prompt).value_or("")};
}

void leaveForUser(PassResult& result, SkippedPrompt skip) {
    ++result.skipped;
    log("SKIP (safe mode) in [" + skip.windowTitle + "]: " + skip.objection + " - left for you");
    result.skippedPrompts.push_back(std::move(skip));
}

}  // namespace

PassResult runPass(Scanner& scanner, const Options& opts) {
    const std::vector<TargetWindow> windows = scanner.targetWindows();
    PassResult result;
    result.windows = static_cast<std::int64_t>(windows.size());
    result.running = scanner.targetRunning();

    if (!result.running) {
        if (opts.verbose)
            log("Velquin not running");
        return result;
    }
    if (windows.empty())
        return result;

    if (opts.list) {
        printListing(scanner, windows);
        return result;
    }

    std::size_t found = 0;
    NodeSet decided;  // a tree may list a button more than once; it is decided on once a pass
    for (const TargetWindow& window : windows) {
        const std::vector<FoundButton> buttons = scanner.findButtons(window.element, opts.labels, opts.contains);
        found += buttons.size();
        PromptReader prompts(scanner, promptTextLimit, buttons);
        for (const FoundButton& candidate : buttons) {
            const Element& button = candidate.element;
            if (!decided.insert(button).second)
                continue;
            if (opts.safe) {
                if (auto skip = safeModeSkip(scanner, prompts, candidate, window)) {
                    leaveForUser(result, std::move(*skip));
                    continue;
                }
            }
            if (opts.dryRun) {
                log("DRY-RUN in [" + window.title + "]: would press \"" + escapeForLine(scanner.buttonLabel(button)) +
                    "\"");
                continue;
            }
            // The label is read before the press: an answered prompt usually goes away at once, and
            // reading afterwards would then report an empty label.
            std::string label;
            if (scanner.remembersAcrossScans()) {
                // What was remembered from earlier passes may be out of date: a press is decided on what
                // the button and its prompt are now. A button that no longer matches is simply not there.
                Scanner live(scanner.platform());
                if (!live.matches(button, opts.labels, opts.contains))
                    continue;
                if (opts.safe) {
                    PromptReader livePrompts(live, promptTextLimit, buttons);
                    if (auto skip = safeModeSkip(live, livePrompts, candidate, window)) {
                        leaveForUser(result, std::move(*skip));
                        continue;
                    }
                }
                label = escapeForLine(live.buttonLabel(button));
            } else {
                label = escapeForLine(scanner.buttonLabel(button));
            }
            if (scanner.platform().performAction(button, ax::action::press) == axSuccess) {
                ++result.pressed;
                log("Pressed \"" + label + "\" in [" + window.title + "]");
            } else if (opts.verbose) {
                log("AXPress failed in [" + window.title + "]");
            }
        }
    }
    if (opts.verbose && found == 0) {
        log("pass: no Allow button (" + std::to_string(result.windows) + " window(s) scanned)");
    }
    return result;
}

struct WatcherEngine::Link {
    Scheduler& scheduler;
    WatcherEngine* engine;
};

WatcherEngine::WatcherEngine(Scanner& scanner, Scheduler& scheduler, Options options, BackgroundRunner* runner,
                             std::function<Clock::time_point()> now)
    : scanner_(scanner),
      scheduler_(scheduler),
      runner_(runner != nullptr ? *runner : inline_),
      now_(std::move(now)),
      opts_(std::move(options)),
      owner_(std::this_thread::get_id()) {}

EngineState WatcherEngine::state() const {
    return {started_, paused_, approved_, skipped_, windows_, velquinRunning_, opts_.safe};
}

WatcherEngine::~WatcherEngine() {
    // Listeners on other threads may still hold the link; from now on it leads nowhere.
    if (link_)
        scanner_.watchChanges(nullptr);
}

void WatcherEngine::checkThread() const {
    if (std::this_thread::get_id() != owner_) {
        std::fputs("WatcherEngine used off the thread that created it\n", stderr);
        std::abort();
    }
}

void WatcherEngine::start() {
    checkThread();
    timer_.reset();
    // The timer belongs to the engine and stops firing when destroyed with it, so `this` never dangles.
    timer_ = scheduler_.scheduleRepeating(opts_.interval, [this] { tick(); });
    const bool startedNow = !std::exchange(started_, true);
    if (!link_) {
        link_ = std::make_shared<Link>(Link{scheduler_, this});
        scanner_.watchChanges([weak = std::weak_ptr<Link>(link_)](ProcessId) {
            if (auto link = weak.lock()) {
                link->scheduler.post([weak] {
                    if (auto alive = weak.lock())
                        alive->engine->targetChanged();
                });
            }
        });
    }
    if (startedNow)
        notify();
}

void WatcherEngine::tick() {
    checkThread();
    if (paused_ || passRunning_)
        return;
    runPassNow();
}

void WatcherEngine::targetChanged() {
    checkThread();
    if (!started_ || paused_ || spacedPassPending_)
        return;
    if (passRunning_) {
        changedDuringPass_ = true;
        return;
    }
    const double sinceLastPass =
        lastPassStart_ ? std::chrono::duration<double>(now_() - *lastPassStart_).count() : changedPassSpacingSeconds;
    if (sinceLastPass >= changedPassSpacingSeconds) {
        runPassNow();
        return;
    }
    // The timer object stays until the next one replaces it: it must not go while it fires.
    spacedPassPending_ = true;
    spacedPass_ = scheduler_.scheduleOnce(changedPassSpacingSeconds - sinceLastPass, [this] {
        spacedPassPending_ = false;
        if (!paused_ && !passRunning_)
            runPassNow();
    });
}

void WatcherEngine::runPassNow() {
    passRunning_ = true;
    lastPassStart_ = now_();
    auto result = std::make_shared<PassResult>();
    runner_.run([&scanner = scanner_, options = opts_, result] { *result = runPass(scanner, options); },
                [this, result] {
                    passRunning_ = false;
                    approved_ += result->pressed;
                    skipped_ += result->skipped;
                    windows_ = result->windows;
                    velquinRunning_ = result->running;
                    notify();
                    skips_.notify(result->skippedPrompts);
                    if (std::exchange(changedDuringPass_, false))
                        targetChanged();
                });
}

void WatcherEngine::withScanner(std::function<void(Scanner& scanner)> job, std::function<void()> done) {
    checkThread();
    runner_.run([&scanner = scanner_, job = std::move(job)] { job(scanner); }, std::move(done));
}

void WatcherEngine::togglePause() {
    checkThread();
    paused_ = !paused_;
    log(paused_ ? "Paused." : "Resumed.");
    notify();
}

void WatcherEngine::setSafe(bool on) {
    checkThread();
    if (on == opts_.safe)
        return;
    opts_.safe = on;
    log(on ? "Safe mode ON." : "Safe mode OFF.");
    if (!on)
        log("WARNING: safe mode off - destructive prompts will be auto-approved too.");
    notify();
}

std::string statusText(const EngineState& state) {
    if (state.paused)
        return "Paused";
    if (!state.velquinRunning)
        return "Velquin not running";
    std::string text = "Watching " + std::to_string(state.windows) + (state.windows == 1 ? " window" : " windows") +
                       "  \u00B7  approved " + std::to_string(state.approved);
    if (state.skipped >= 1)
        text += ", left for you " + std::to_string(state.skipped);
    return text;
}

}  // namespace ondrel
