#include "core/Engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/ActivityLog.h"
#include "core/DangerMatcher.h"

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
        std::sort(labels.begin(), labels.end());  // byte order of UTF-8 is code-point order
        labels.erase(std::unique(labels.begin(), labels.end()), labels.end());
        for (const std::string& label : labels)
            printLine("    " + label);
    }
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
    for (const TargetWindow& window : windows) {
        const ElementList buttons = scanner.findButtons(window.element, opts.labels, opts.contains);
        found += buttons.size();
        for (const Element& button : buttons) {
            if (opts.safe) {
                if (auto pattern = dangerMatch(scanner.promptText(button, promptTextLimit))) {
                    ++result.skipped;
                    log("SKIP (safe mode) in [" + window.title + "]: prompt mentions \"" + std::string(*pattern) +
                        "\" - left for you");
                    continue;
                }
            }
            if (opts.dryRun) {
                log("DRY-RUN in [" + window.title + "]: would press \"" + scanner.buttonLabel(button) + "\"");
                continue;
            }
            // The label is read before the press: an answered prompt usually goes away at once, and
            // reading afterwards would then report an empty label.
            const std::string label = scanner.buttonLabel(button);
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
