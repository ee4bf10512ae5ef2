// SPDX-License-Identifier: MIT
#include "core/PromptReader.h"

#include "core/Text.h"

namespace ondrel {

std::optional<std::string> PromptReader::textAround(const FoundButton& button) {
    std::string best;
    const WalkPath* container = button.container.get();
    for (int level = 0; level < promptAncestorLimit && container != nullptr; ++level) {
        // Above the nearest container only whether its text fits matters: no need to read on past that.
        const Gathered* text = gathered(container->element, level == 0 ? 4 * limit_ : limit_);
        if (text == nullptr)
            return std::nullopt;
        if (text->characters > limit_) {
            // Keeping nothing here would approve a prompt for being long: judge what the box holds.
            if (level == 0)
                best = text->text;
            break;
        }
        best = text->text;
        container = container->container.get();
    }
    return best;
}

const PromptReader::Gathered* PromptReader::gathered(const Element& container, std::size_t budget) {
    // A text gathered whole, or at least as far as now wanted, serves again.
    if (auto known = gathered_.find(container);
        known != gathered_.end() && (known->second.characters <= known->second.budget || known->second.budget >= budget))
        return &known->second;
    if (examined_ >= promptWalkAllowance)
        return nullptr;
    std::string text = scanner_.gatherText(container, budget, &examined_);
    const std::size_t characters = text::characterCount(text);
    return &gathered_.insert_or_assign(container, Gathered{std::move(text), characters, budget}).first->second;
}

}  // namespace ondrel
