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

}  // namespace ondrel
