// SPDX-License-Identifier: MIT
#include "core/Scanner.h"

#include <algorithm>
#include <array>
#include <iterator>

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
    unread_.clear();
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
        memory_.readAhead(process, application, {buttonWalkLimits.maxExamined + 1, 1}, TextReads::included);

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
            // What memory keeps is read ahead now; a window read for this scan alone may be searched instead.
            if (memory_.keptAcrossScans())
                memory_.readAhead(process, window, buttonWalkLimits, TextReads::included);
            else
                unread_.emplace_back(window, process);
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
    if (std::optional<std::vector<FoundButton>> searched = searchedButtons(root, wanted, contains))
        return std::move(*searched);
    readAheadUnread(root);
    walkBreadthFirst(memory_, root, buttonWalkLimits, [&](const Element& element, const WalkPathPtr& container) {
        if (matchesWanted(element, wanted, contains))
            found.push_back({element, container});
        return WalkStep::goOn;
    });
    return found;
}

std::optional<std::vector<FoundButton>> Scanner::searchedButtons(const Element& root,
                                                                 const std::vector<std::string>& wanted,
                                                                 bool contains) {
    if (memory_.keptAcrossScans())
        return std::nullopt;  // memory holds the tree: the walk asks nothing
    const std::optional<ElementList> buttons = memory_.findByRole(root, ax::role::button, buttonWalkLimits.maxExamined);
    if (!buttons)
        return std::nullopt;
    // A web runtime counts the buttons of its own hidden controls too: their labels come in one go.
    memory_.readAheadOf(*buttons, TextReads::leftOut);
    ElementList matching;
    std::copy_if(buttons->begin(), buttons->end(), std::back_inserter(matching),
                 [&](const Element& button) { return matchesWanted(button, wanted, contains); });
    // A walk meets some of these buttons at most: where none is wanted, it finds none either.
    if (matching.empty())
        return std::vector<FoundButton>{};
    if (!memory_.holdsFewerThan(root, buttonWalkLimits.maxExamined))
        return std::nullopt;  // the walk decides
    // The tree holds fewer elements than a walk examines, so the walk meets every button no deeper than
    // its limit, lists every child, and meets them level by level, each level in document order.
    std::vector<std::pair<std::size_t, FoundButton>> found;  // depth, button
    for (const Element& button : matching) {
        ElementList above;  // the button's parent first, `root` last
        for (Element current = button; above.size() <= buttonWalkLimits.maxDepth;) {
            const auto parent = memory_.copyAttribute(current, ax::attribute::parent);
            const Element* next = parent ? std::get_if<Element>(&*parent) : nullptr;
            if (next == nullptr || !*next)
                return std::nullopt;  // not below `root` after all: the walk decides
            above.push_back(*next);
            if (SameNode{}(*next, root))
                break;
            current = *next;
        }
        if (above.size() > buttonWalkLimits.maxDepth || !SameNode{}(above.back(), root))
            continue;  // deeper than the walk goes
        // The containers' lists of children, and what the prompt's reading asks of them first, in one go.
        memory_.readAheadOf(ElementList(above.begin(), above.end() - 1), TextReads::included);
        above.back() = root;  // as the walk has it (a platform may know more of a window than of a parent)
        // Each container with the children the walk would list of it (its own application's only).
        WalkPathPtr way;
        for (std::size_t i = above.size(); i-- > 0;) {
            const std::size_t listed = readChildren(memory_, above[i], buttonWalkLimits.maxExamined).size();
            if (listed == 0)
                return std::nullopt;  // changed under the search: the walk decides
            way = std::make_shared<const WalkPath>(WalkPath{above[i], listed, way});
        }
        found.push_back({above.size(), FoundButton{button, way}});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<FoundButton> ordered;
    for (auto& [depth, button] : found)
        ordered.push_back(std::move(button));
    return ordered;
}

void Scanner::readAheadUnread(const Element& root) {
    const auto unread = std::find_if(unread_.begin(), unread_.end(),
                                     [&](const auto& window) { return SameNode{}(window.first, root); });
    if (unread == unread_.end())
        return;
    // For this pass alone: the walk looks for buttons, and the few prompts it finds read their own texts.
    memory_.readAhead(unread->second, unread->first, buttonWalkLimits, TextReads::leftOut);
    unread_.erase(unread);
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
    readAheadUnread(root);
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
