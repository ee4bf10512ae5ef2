#include "core/Engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

// Why safe mode leaves the button for the user, if it does.
std::optional<std::string> safeModeObjection(PromptReader& prompts, const FoundButton& button) {
    const std::optional<std::string> prompt = prompts.textAround(button);
    if (!prompt)
        return "prompt too large to read";
    if (auto pattern = dangerMatch(*prompt))
        return "prompt mentions \"" + std::string(*pattern) + "\"";
    return std::nullopt;
}

}  // namespace

PassResult runPass(Scanner& scanner, const Options& opts) {
    const std::vector<TargetWindow> windows = scanner.targetWindows();
    const auto windowCount = static_cast<std::int64_t>(windows.size());

    if (scanner.platform().runningProcesses(velquinApplicationId).empty()) {
        if (opts.verbose)
            log("Velquin not running");
        return {0, 0, windowCount, false};
    }
    if (windows.empty())
        return {0, 0, 0, true};

    if (opts.list) {
        printListing(scanner, windows);
        return {0, 0, windowCount, true};
    }

    PassResult result{0, 0, windowCount, true};
    std::size_t found = 0;
    NodeSet decided;  // a tree may list a button more than once; it is decided on once a pass
    for (const TargetWindow& window : windows) {
        const std::vector<FoundButton> buttons = scanner.findButtons(window.element, opts.labels, opts.contains);
        found += buttons.size();
        PromptReader prompts(scanner, promptTextLimit);
        for (const FoundButton& candidate : buttons) {
            const Element& button = candidate.element;
            if (!decided.insert(button).second)
                continue;
            if (opts.safe) {
                if (auto objection = safeModeObjection(prompts, candidate)) {
                    ++result.skipped;
                    log("SKIP (safe mode) in [" + window.title + "]: " + *objection + " - left for you");
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
            const std::string label = escapeForLine(scanner.buttonLabel(button));
            if (scanner.platform().performAction(button, "AXPress") == axSuccess) {
                ++result.pressed;
                log("Pressed \"" + label + "\" in [" + window.title + "]");
            } else if (opts.verbose) {
                log("AXPress failed in [" + window.title + "]");
            }
        }
    }
    if (opts.verbose && found == 0) {
        log("pass: no Allow button (" + std::to_string(windowCount) + " window(s) scanned)");
    }
    return result;
}

WatcherEngine::WatcherEngine(Scanner& scanner, Scheduler& scheduler, Options options)
    : opts(std::move(options)), scanner_(scanner), scheduler_(scheduler), owner_(std::this_thread::get_id()) {}

void WatcherEngine::start() {
    timer.reset();
    // The timer belongs to the engine and stops firing when destroyed with it, so `this` never dangles.
    timer = scheduler_.scheduleRepeating(opts.interval, [this] { tick(); });
}

void WatcherEngine::tick() {
    if (std::this_thread::get_id() != owner_) {
        std::fputs("WatcherEngine::tick called off the thread that created the engine\n", stderr);
        std::abort();
    }
    if (paused)
        return;
    const PassResult pass = runPass(scanner_, opts);
    approved += pass.pressed;
    skipped += pass.skipped;
    windows = pass.windows;
    velquinRunning = pass.running;
    notify();
}

void WatcherEngine::togglePause() {
    paused = !paused;
    log(paused ? "Paused." : "Resumed.");
    notify();
}

void WatcherEngine::setSafe(bool on) {
    if (on == opts.safe)
        return;
    opts.safe = on;
    log(on ? "Safe mode ON." : "Safe mode OFF.");
    if (!on)
        log("WARNING: safe mode off - destructive prompts will be auto-approved too.");
    notify();
}

std::string WatcherEngine::statusText() const {
    if (paused)
        return "Paused";
    if (!velquinRunning)
        return "Velquin not running";
    std::string text = "Watching " + std::to_string(windows) + (windows == 1 ? " window" : " windows") +
                       "  \u00B7  approved " + std::to_string(approved);
    if (skipped >= 1)
        text += ", left for you " + std::to_string(skipped);
    return text;
}

void WatcherEngine::notify() const {
    if (onUpdate)
        onUpdate();
}

}  // namespace ondrel
