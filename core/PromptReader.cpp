// SPDX-License-Identifier: MIT
#include "core/PromptReader.h"

#include <algorithm>
#include <array>
#include <limits>

#include "core/AccessibilityReads.h"
#include "core/Text.h"

namespace ondrel {
namespace {

constexpr std::size_t unbounded = std::numeric_limits<std::size_t>::max();

constexpr std::array<std::string_view, 4> dialogSubroles = {ax::subrole::dialog, ax::subrole::systemDialog,
                                                            ax::subrole::applicationDialog,
                                                            ax::subrole::applicationAlertDialog};

bool isDialog(AccessibilityPlatform& reads, const Element& element) {
    if (readText(reads, element, ax::attribute::role) == ax::role::sheet)
        return true;
    const auto subrole = readText(reads, element, ax::attribute::subrole);
    return subrole && std::find(dialogSubroles.begin(), dialogSubroles.end(), *subrole) != dialogSubroles.end();
}

void append(std::string& text, const std::string& more) {
    if (more.empty())
        return;
    if (!text.empty())
        text += ' ';
    text += more;
}

}  // namespace

PromptReader::PromptReader(Scanner& scanner, std::size_t limit, const std::vector<FoundButton>& found)
    : scanner_(scanner), limit_(limit), walk_(scanner.reads(), textWalkLimits) {
    NodeSet counted;  // a tree may list a button twice: it is one button all the same
    for (const FoundButton& button : found) {
        if (!counted.insert(button.element).second)
            continue;
        ++buttonsUnder_[button.element];
        for (const WalkPath* container = button.container.get(); container != nullptr;
             container = container->container.get())
            ++buttonsUnder_[container->element];
    }
}

std::size_t PromptReader::buttonsUnder(const Element& element) const {
    const auto count = buttonsUnder_.find(element);
    return count == buttonsUnder_.end() ? 0 : count->second;
}

std::optional<std::string> PromptReader::textAround(const FoundButton& button) {
    // The button's own box is its nearest container around more than itself: buttons there are one prompt's.
    std::size_t ownButtons = 1;
    for (const WalkPath* container = button.container.get(); container != nullptr;
         container = container->container.get()) {
        if (container->children > 1) {
            ownButtons = buttonsUnder(container->element);
            break;
        }
    }
    std::string best;
    Element branch = button.element;
    const WalkPath* container = button.container.get();
    bool stopped = false;
    for (int level = 0; container != nullptr && level < promptAncestorLimit;) {
        if (buttonsUnder(container->element) > ownButtons) {
            stopped = true;
            break;
        }
        const Gathered* fit = gathered(container->element, limit_);
        if (fit == nullptr)
            return std::nullopt;
        if (fit->text.overBudget || fit->text.characters > limit_) {
            stopped = true;
            break;
        }
        best = fit->text.text;
        if (container->children > 1)
            ++level;
        branch = container->element;
        container = container->container.get();
    }
    std::optional<std::string> prompt = best;
    if (stopped)
        prompt = beyondTheFit(container->element, branch, best);
    if (!prompt)
        return std::nullopt;
    std::string titles = dialogTitles(button.container.get());
    append(titles, *prompt);
    return titles;
}

std::optional<std::string> PromptReader::beyondTheFit(const Element& stop, const Element& branch,
                                                      const std::string& best) {
    // Nothing below held text: the prompt's text lies somewhere in the container, all of which is read.
    if (text::trimmed(best).empty()) {
        if (auto whole = wholeText(stop))
            return whole;
    }
    const ElementList siblings = readChildren(scanner_.reads(), stop, buttonWalkLimits.maxExamined);
    std::size_t at = 0;
    while (at < siblings.size() && !SameNode{}(siblings[at], branch))
        ++at;
    if (at == siblings.size())
        return wholeText(stop);  // the container changed since the walk: read it all rather than guess
    std::string prompt = best;
    for (int step : {-1, 1}) {
        auto neighbour = nearestText(siblings, at + step, step);
        if (!neighbour)
            return std::nullopt;
        append(prompt, *neighbour);
    }
    return prompt;
}

std::optional<std::string> PromptReader::nearestText(const ElementList& elements, std::size_t from, int step) {
    for (std::size_t at = from; at < elements.size(); at += step) {
        if (buttonsUnder(elements[at]) > 0)
            return std::string();  // another prompt begins there
        auto text = wholeText(elements[at]);
        if (!text) {
            // More than a walk can read whole is no prompt's text but a history: its part nearest the
            // button stands for it.
            if (walk_.examined() >= promptWalkAllowance)
                return std::nullopt;
            const ElementList parts = readChildren(scanner_.reads(), elements[at], buttonWalkLimits.maxExamined);
            if (parts.empty())
                return std::nullopt;
            text = nearestText(parts, step < 0 ? parts.size() - 1 : 0, step);
        }
        if (!text || !text::trimmed(*text).empty())
            return text;
    }
    return std::string();
}

std::optional<std::string> PromptReader::wholeText(const Element& element) {
    const Gathered* whole = gathered(element, unbounded);
    if (whole == nullptr || !whole->text.whole)
        return std::nullopt;
    return whole->text.text;
}

std::string PromptReader::dialogTitles(const WalkPath* container) {
    std::string titles;
    for (; container != nullptr; container = container->container.get())
        append(titles, dialogTitle(container->element));
    return titles;
}

const std::string& PromptReader::dialogTitle(const Element& element) {
    auto known = dialogTitles_.find(element);
    if (known == dialogTitles_.end()) {
        AccessibilityPlatform& reads = scanner_.reads();
        std::string title;
        if (isDialog(reads, element)) {
            title = text::matchingForm(text::trimmed(
                text::withoutObjectReplacements(readText(reads, element, ax::attribute::title).value_or(""))));
        }
        known = dialogTitles_.emplace(element, std::move(title)).first;
    }
    return known->second;
}

const PromptReader::Gathered* PromptReader::gathered(const Element& container, std::size_t budget) {
    // A text gathered whole, or at least as far as now wanted, serves again.
    if (auto known = gathered_.find(container);
        known != gathered_.end() && (!known->second.text.overBudget || known->second.budget >= budget))
        return &known->second;
    if (walk_.examined() >= promptWalkAllowance)
        return nullptr;
    GatheredText text = walk_.under(container, budget);
    return &gathered_.insert_or_assign(container, Gathered{std::move(text), budget}).first->second;
}

}  // namespace ondrel
