#pragma once

// The breadth-first walk shared by the button and text walks. Every element taken from the queue
// counts towards `maxExamined`, also one dropped for being deeper than `maxDepth`; nothing past the
// limit is ever read. Elements that could only be drained are never queued, so the queue holds at
// most `maxExamined` entries however many children the elements report.

#include <cstddef>
#include <deque>
#include <utility>

#include "core/AccessibilityReads.h"

namespace ondrel {

enum class WalkStep { goOn, stop };

// `visit(element)` runs for every examined element, before its children are read.
template <typename Visit>
void walkBreadthFirst(AccessibilityPlatform& platform, const Element& root, WalkLimits limits, Visit&& visit) {
    std::deque<std::pair<Element, std::size_t>> queue;
    if (limits.maxExamined > 0)
        queue.emplace_back(root, 0);
    std::size_t taken = 0;
    while (!queue.empty()) {
        auto [element, depth] = std::move(queue.front());
        queue.pop_front();
        ++taken;  // never above maxExamined: nothing beyond that position is queued
        if (depth > limits.maxDepth)
            continue;
        if (visit(element) == WalkStep::stop)
            return;
        const std::size_t room = limits.maxExamined - taken - queue.size();
        for (Element& child : readChildren(platform, element, room))
            queue.emplace_back(std::move(child), depth + 1);
    }
}

}  // namespace ondrel
