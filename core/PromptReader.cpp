#include "core/PromptReader.h"

#include "core/Text.h"

namespace ondrel {

std::optional<std::string> PromptReader::textAround(const FoundButton& button) {
    std::string best;
    const WalkPath* container = button.container.get();
    for (int level = 0; level < promptAncestorLimit && container != nullptr; ++level) {
        const Gathered* text = gathered(container->element);
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

const PromptReader::Gathered* PromptReader::gathered(const Element& container) {
    if (auto known = gathered_.find(container); known != gathered_.end())
        return &known->second;
    if (examined_ >= promptWalkAllowance)
        return nullptr;
    std::string text = scanner_.gatherText(container, 4 * limit_, &examined_);
    const std::size_t characters = text::characterCount(text);
    return &gathered_.emplace(container, Gathered{std::move(text), characters}).first->second;
}

}  // namespace ondrel
