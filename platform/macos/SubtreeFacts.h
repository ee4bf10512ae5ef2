// SPDX-License-Identifier: MIT
#pragma once

// What a bulk read of a subtree learns on macOS, where one message per element asks for every attribute
// the walks read of it (AXUIElementCopyMultipleAttributeValues). Apart from Apple's API, so that every
// platform's tests run it.

#include <array>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Accessibility.h"

namespace ondrel::macos {

// The attributes each message asks for, in the order of its answer.
inline constexpr std::array<std::string_view, 9> subtreeAttributes = {
    ax::attribute::role,    ax::attribute::title,     ax::attribute::description, ax::attribute::value,
    ax::attribute::enabled, ax::attribute::minimized, ax::attribute::children,    ax::attribute::parent,
    ax::attribute::subrole};

// The facts of one element from the answer to its message, one entry per name in `subtreeAttributes`:
// the value a copy of that attribute alone would hand back, or nullopt where that copy would fail (or the
// entry was not converted). What is not known is left out, to be read live; an answer of another length
// than asked tells nothing. "AXEnabled" false is left out too: no notification tells when an element
// turns enabled, so a disabled one is asked again every pass rather than remembered until the re-read.
ElementFacts factsFromAnswer(const Element& element, const std::vector<std::optional<AttributeValue>>& answer);

// Reads `root` and the elements below it in the order and within the limits of the core's breadth-first
// walk, `readOne` element by element, and never an element the walk would not examine. An element that
// `readOne` learns nothing of (nullopt) keeps its subtree unread.
std::vector<ElementFacts> readBreadthFirst(const Element& root, WalkLimits limits,
                                           const std::function<std::optional<ElementFacts>(const Element&)>& readOne);

}  // namespace ondrel::macos
