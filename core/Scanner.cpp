// SPDX-License-Identifier: MIT
#include "core/Scanner.h"

#include <algorithm>
#include <array>

#include "core/AccessibilityReads.h"
#include "core/ActivityLog.h"
#include "core/Text.h"
#include "core/TextForms.h"

namespace ondrel {
namespace {

constexpr std::array<std::string_view, 4> refusalPhrases = {"disallow", "don't allow", "dont allow", "deny"};

bool containsAny(std::string_view text, const auto& phrases) {
    return std::any_of(phrases.begin(), phrases.end(),
                       [&](const auto& phrase) { return text.find(phrase) != std::string_view::npos; });
}

// Configured labels as compared. A label that normalises to nothing is left out: it would otherwise
// match every unlabelled button, which the user never asked to press.
std::vector<std::string> comparableLabels(const std::vector<std::string>& labels) {
    std::vector<std::string> normalized;
    for (const std::string& label : labels) {
        std::string candidate = normalizeLabel(label);
        if (!candidate.empty())
            normalized.push_back(std::move(candidate));
    }
    return normalized;
}

bool labelMatches(const std::string& label, const std::vector<std::string>& wanted, bool contains) {
    if (!contains)
        return std::find(wanted.begin(), wanted.end(), label) != wanted.end();
    if (containsAny(label, refusalPhrases))
        return false;
    return containsAny(label, wanted);
}

}  // namespace

std::string normalizeLabel(std::string_view label) {
    return text::lowercased(text::trimmed(label.substr(0, label.find('('))));
}

std::vector<std::string> distinctLabels(std::vector<std::string> labels) {
    std::sort(labels.begin(), labels.end());  // byte order of UTF-8 is code-point order
    labels.erase(std::unique(labels.begin(), labels.end()), labels.end());
    return labels;
}

bool Scanner::watchChanges(std::function<void(ProcessId process)> onChange) {
    return memory_.keepAcrossScans(std::move(onChange));
}

std::vector<TargetWindow> Scanner::targetWindows() {
    memory_.beginScan();
    std::vector<TargetWindow> result;
    std::set<std::string, std::less<>> minimizedTitles;
    std::set<std::string, std::less<>> openTitles;
    const std::vector<ProcessId> running = memory_.runningProcesses(velquinApplicationId);
    targetRunning_ = !running.empty();
    for (ProcessId process : running) {
        Element application = memory_.applicationElement(process);
        if (!application)
            continue;  // the process went away between the two calls
        memory_.setAttribute(application, ax::attribute::manualAccessibility, true);
        memory_.readAhead(process, application, {buttonWalkLimits.maxExamined + 1, 1});

        // No more children than a walk could examine: an application may claim any number of them.
        ElementList windows;
        for (Element& child : readChildren(memory_, application, buttonWalkLimits.maxExamined)) {
            if (readText(memory_, child, ax::attribute::role) == ax::role::window)
                windows.push_back(std::move(child));
        }
        if (windows.empty()) {
            result.push_back({application, process, "(process " + std::to_string(process) + ")"});
            continue;
        }
        for (Element& window : windows) {
            std::string title =
                escapeForLine(text::trimmed(readText(memory_, window, ax::attribute::title).value_or("")));
            if (title.empty())
                title = "(untitled window)";
            if (readFlag(memory_, window, ax::attribute::minimized)) {
                minimizedTitles.insert(title);
                if (warnedTitles_.insert(title).second)
                    log("WARNING: window [" + title + "] is minimized. " + memory_.wording().minimizedWindow);
                continue;
            }
            openTitles.insert(title);
            if (auto advice = memory_.hiddenContentAdvice(window)) {
                if (advisedTitles_.insert(title).second)
                    log("WARNING: window [" + title + "] shows no content to accessibility. " + *advice);
            } else {
                advisedTitles_.erase(title);
            }
            memory_.readAhead(process, window, buttonWalkLimits);
            result.push_back({std::move(window), process, std::move(title)});
        }
    }
    memory_.refreshChanged(buttonWalkLimits);
    // A title may be warned about again once a window with it is open and none with it stays minimized.
    for (const std::string& title : openTitles) {
        if (!minimizedTitles.contains(title))
            warnedTitles_.erase(title);
    }
    return result;
}

std::vector<FoundButton> Scanner::findButtons(const Element& root, const std::vector<std::string>& labels,
                                              bool contains) {
    const std::vector<std::string> wanted = comparableLabels(labels);
    std::vector<FoundButton> found;
    if (wanted.empty())
        return found;
    walkBreadthFirst(memory_, root, buttonWalkLimits, [&](const Element& element, const WalkPathPtr& container) {
        if (matchesWanted(element, wanted, contains))
            found.push_back({element, container});
        return WalkStep::goOn;
    });
    return found;
}

bool Scanner::matches(const Element& element, const std::vector<std::string>& labels, bool contains) {
    const std::vector<std::string> wanted = comparableLabels(labels);
    return !wanted.empty() && matchesWanted(element, wanted, contains);
}

bool Scanner::matchesWanted(const Element& element, const std::vector<std::string>& wanted, bool contains) {
    return readText(memory_, element, ax::attribute::role) == ax::role::button &&
           labelMatches(normalizeLabel(buttonLabel(element)), wanted, contains) && isEnabled(element);
}

std::vector<std::string> Scanner::buttonLabels(const Element& root) {
    std::vector<std::string> labels;
    walkBreadthFirst(memory_, root, buttonWalkLimits, [&](const Element& element, const WalkPathPtr&) {
        if (readText(memory_, element, ax::attribute::role) == ax::role::button) {
            if (std::string label = buttonLabel(element); !label.empty())
                labels.push_back(std::move(label));
        }
        return WalkStep::goOn;
    });
    return labels;
}

std::string Scanner::buttonLabel(const Element& element) {
    return text::trimmed(text::withoutObjectReplacements(readLabelText(memory_, element).value_or("")));
}

bool Scanner::isEnabled(const Element& element) {
    return readEnabled(memory_, element);
}

GatheredText Scanner::gatherText(const Element& root, std::size_t budget) {
    return TextWalk(memory_, textWalkLimits).under(root, budget);
}

}  // namespace ondrel
