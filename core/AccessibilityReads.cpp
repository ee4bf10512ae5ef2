// SPDX-License-Identifier: MIT
#include "core/AccessibilityReads.h"

#include "core/Text.h"

namespace ondrel {

std::optional<std::string> readText(AccessibilityPlatform& platform, const Element& element,
                                    std::string_view attribute) {
    auto value = platform.copyAttribute(element, attribute);
    if (!value)
        return std::nullopt;
    if (auto* text = std::get_if<std::string>(&*value))
        return std::move(*text);
    return std::nullopt;
}

ElementList readChildren(AccessibilityPlatform& platform, const Element& element, std::size_t maxCount) {
    if (maxCount == 0)
        return {};
    auto value = platform.copyAttributeValues(element, ax::attribute::children, 0, maxCount);
    if (!value)
        return {};
    auto* children = std::get_if<ElementList>(&*value);
    if (children == nullptr)
        return {};
    if (children->size() > maxCount)
        children->resize(maxCount);
    std::erase(*children, nullptr);
    return std::move(*children);
}

std::optional<std::string> readFirstText(AccessibilityPlatform& platform, const Element& element,
                                         std::initializer_list<std::string_view> attributes) {
    for (std::string_view attribute : attributes) {
        if (auto value = readText(platform, element, attribute)) {
            if (!text::trimmed(text::withoutObjectReplacements(*value)).empty())
                return value;
        }
    }
    return std::nullopt;
}

bool readEnabled(AccessibilityPlatform& platform, const Element& element) {
    auto value = platform.copyAttribute(element, ax::attribute::enabled);
    if (!value)
        return true;
    auto* enabled = std::get_if<bool>(&*value);
    return enabled == nullptr || *enabled;
}

bool readFlag(AccessibilityPlatform& platform, const Element& element, std::string_view attribute) {
    auto value = platform.copyAttribute(element, attribute);
    if (!value)
        return false;
    auto* flag = std::get_if<bool>(&*value);
    return flag != nullptr && *flag;
}

}  // namespace ondrel
