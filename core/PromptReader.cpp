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
    whyUnread_ = Unread::tooLarge;
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
    bool asked = false;  // whether `best` holds more than the labels of buttons
    Element branch = button.element;
    const WalkPath* container = button.container.get();
    std::optional<Stop> stop;
    for (int level = 0; container != nullptr && level < promptAncestorLimit;) {
        if (buttonsUnder(container->element) > ownButtons) {
            stop = Stop::anotherPrompt;
            break;
        }
        const Gathered* fit = gathered(container->element, limit_);
        if (fit == nullptr)
            return std::nullopt;
        if (fit->text.overBudget || fit->text.characters > limit_) {
            stop = Stop::tooLong;
            break;
        }
        best = fit->text.text;
        asked = fit->text.piecesOutside > 0;
        if (container->children > 1)
            ++level;
        branch = container->element;
        container = container->container.get();
    }
    std::optional<std::string> prompt = best;
    if (stop)
        prompt = beyondTheFit(*stop, container->element, branch, best, asked);
    if (!prompt)
        return std::nullopt;
    std::string titles = dialogTitles(button.container.get());
    append(titles, *prompt);
    // What the button's own tooltip says it does is part of what is asked.
    append(titles, text::matchingForm(text::trimmed(readText(scanner_.reads(), button.element, ax::attribute::help)
                                                        .value_or(""))));
    return titles;
}

std::optional<std::string> PromptReader::beyondTheFit(Stop stop, const Element& container, const Element& branch,
                                                      const std::string& best, bool asked) {
    // Nothing below held text, and the container is one prompt's box (long, but not a conversation): the
    // prompt's text lies somewhere in it, all of which is read.
    if (stop == Stop::tooLong && !asked) {
        const Gathered* whole = gathered(container, unbounded);
        if (whole == nullptr)
            return std::nullopt;
        if (whole->text.whole && whole->text.piecesOutside <= piecesOfOnePrompt)
            return whole->text.text;
    }
    const ElementList siblings = readChildren(scanner_.reads(), container, buttonWalkLimits.maxExamined);
    std::size_t at = 0;
    while (at < siblings.size() && !SameNode{}(siblings[at], branch))
        ++at;
    if (at == siblings.size())
        return wholeText(container);  // the container changed since the walk: read it all rather than guess
    std::string prompt = best;
    bool beside = false;  // whether any text beside the branch is the prompt's
    for (int step : {-1, 1}) {
        // Where nothing below held text, the nearest text above is the prompt's own question: the message
        // above that is the neighbour, as for a prompt in a box of its own.
        const std::size_t texts = step < 0 && !asked ? 2 : 1;
        auto neighbour = nearestText(siblings, at + step, step, texts);
        if (!neighbour)
            return std::nullopt;
        beside = beside || !text::trimmed(*neighbour).empty();
        append(prompt, *neighbour);
    }
    // Asking nothing of its own beside another prompt's buttons, no text between them (texts in one row
    // of a grid, buttons in the next): which text it asks cannot be told, and judging it on none would
    // press it whatever it asks.
    if (stop == Stop::anotherPrompt && !asked && !beside) {
        whyUnread_ = Unread::notToldApart;
        return std::nullopt;
    }
    return prompt;
}

std::optional<std::string> PromptReader::nearestText(const ElementList& elements, std::size_t from, int step,
                                                      std::size_t texts) {
    std::string found;
    for (std::size_t at = from; at < elements.size() && texts > 0; at += step) {
        if (buttonsUnder(elements[at]) > 0)
            break;  // another prompt begins there
        auto text = partNearest(elements[at], step);
        if (!text)
            return std::nullopt;
        if (text::trimmed(*text).empty())
            continue;
        // Below the buttons, a text followed by another prompt's buttons is that prompt's question.
        if (step > 0 && anotherPromptFollows(elements, at))
            break;
        append(found, *text);
        --texts;
    }
    return found;
}

std::optional<std::string> PromptReader::partNearest(const Element& element, int step) {
    const Gathered* fit = gathered(element, limit_);
    if (fit == nullptr)
        return std::nullopt;
    if (fit->text.whole && !fit->text.overBudget && fit->text.characters <= limit_)
        return fit->text.text;
    // One text is taken whole however long, and so is one long message in a few texts (its first line may
    // be the command the prompt asks about). More than that (a history of messages, say): its part nearest
    // the button stands for it.
    if (holdsText(readText(scanner_.reads(), element, ax::attribute::role)))
        return wholeText(element);
    const Gathered* message = gathered(element, limit_ * piecesOfOnePrompt);
    if (message == nullptr)
        return std::nullopt;
    if (message->text.whole && !message->text.overBudget && message->text.piecesOutside <= piecesOfOnePrompt)
        return message->text.text;
    const ElementList parts = readChildren(scanner_.reads(), element, buttonWalkLimits.maxExamined);
    if (parts.empty())
        return wholeText(element);
    return nearestText(parts, step < 0 ? parts.size() - 1 : 0, step, 1);
}

bool PromptReader::anotherPromptFollows(const ElementList& elements, std::size_t at) {
    for (std::size_t next = at + 1; next < elements.size(); ++next) {
        if (buttonsUnder(elements[next]) > 0)
            return true;
        const Gathered* text = gathered(elements[next], limit_);
        if (text == nullptr || !text::trimmed(text->text.text).empty())
            return false;
    }
    return false;
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
