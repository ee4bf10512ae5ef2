// SPDX-License-Identifier: MIT
#pragma once

// Typed reads on top of copyAttribute. None fails loudly: each turns a failure or a value of the
// wrong kind into its stated default.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/Accessibility.h"

namespace ondrel {

// The text, or none when the read fails, hands back nothing or hands back something else.
std::optional<std::string> readText(AccessibilityPlatform& platform, const Element& element,
                                    std::string_view attribute);

// "AXChildren", at most `maxCount` of them; empty on any failure or when the value is not a list of elements.
ElementList readChildren(AccessibilityPlatform& platform, const Element& element, std::size_t maxCount);

// "AXEnabled"; true when it cannot be read as a Boolean.
bool readEnabled(AccessibilityPlatform& platform, const Element& element);

// The first of `attributes` whose text is more than white space and object replacement marks, as read
// (untrimmed, marks kept); none when none is.
std::optional<std::string> readFirstText(AccessibilityPlatform& platform, const Element& element,
                                         std::initializer_list<std::string_view> attributes);

// What labels a button and what a static text says: the first text of "AXDescription", "AXTitle", "AXValue".
inline std::optional<std::string> readLabelText(AccessibilityPlatform& platform, const Element& element) {
    return readFirstText(platform, element, {ax::attribute::description, ax::attribute::title, ax::attribute::value});
}

// A Boolean attribute such as "AXMinimized": true only when read successfully as true.
bool readFlag(AccessibilityPlatform& platform, const Element& element, std::string_view attribute);

}  // namespace ondrel
