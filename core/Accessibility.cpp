// SPDX-License-Identifier: MIT
#include "core/Accessibility.h"

#include <algorithm>

namespace ondrel {

std::optional<AttributeValue> AccessibilityPlatform::copyAttributeValues(const Element& element,
                                                                         std::string_view attribute, std::size_t index,
                                                                         std::size_t maxValues) {
    auto value = copyAttribute(element, attribute);
    if (!value)
        return value;
    auto* list = std::get_if<ElementList>(&*value);
    if (list == nullptr)
        return value;
    const std::size_t begin = std::min(index, list->size());
    const std::size_t end = begin + std::min(maxValues, list->size() - begin);
    return AttributeValue(ElementList(list->begin() + static_cast<std::ptrdiff_t>(begin),
                                      list->begin() + static_cast<std::ptrdiff_t>(end)));
}

std::vector<std::optional<std::size_t>> AccessibilityPlatform::childCounts(const ElementList& elements) {
    std::vector<std::optional<std::size_t>> counts;
    counts.reserve(elements.size());
    for (const Element& element : elements) {
        const auto value = copyAttribute(element, ax::attribute::children);
        const auto* list = value ? std::get_if<ElementList>(&*value) : nullptr;
        counts.push_back(list != nullptr ? std::optional(list->size()) : std::nullopt);
    }
    return counts;
}

}  // namespace ondrel
