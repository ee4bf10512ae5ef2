// SPDX-License-Identifier: MIT
#pragma once

// What the accessibility interface's CoreFoundation values become in the core's vocabulary.

#include <ApplicationServices/ApplicationServices.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/Accessibility.h"
#include "platform/macos/CFRef.h"

namespace ondrel::macos {

CFRef<CFStringRef> makeCFString(std::string_view text);
// The text as UTF-8, whole: an unconvertible unit becomes "?", embedded NULs stay.
std::string fromCFString(CFStringRef text);

// CFString -> text, CFBoolean -> Boolean, CFNumber -> number, AXUIElement -> element, CFArray of
// elements -> list, anything else -> a value of another kind; no value -> absent. The value stays the
// caller's; elements handed out retain what they keep.
AttributeValue attributeValueFrom(CFTypeRef value);

// One entry of an AXUIElementCopyMultipleAttributeValues answer, as a copy of that attribute alone would
// hand it back; nullopt where that copy would fail (the entry holds an error, or null for no value) and
// for a list longer than `maxListLength`, which is left unconverted.
std::optional<AttributeValue> knownAnswerFrom(CFTypeRef entry, std::size_t maxListLength);

// The core's element for an accessibility element; retains it. Elements read separately that name the
// same node are the same node to the core (CFEqual).
Element makeElement(AXUIElementRef element);
AXUIElementRef axElement(const Element& element);
ProcessId processOf(const Element& element);

}  // namespace ondrel::macos
