// SPDX-License-Identifier: MIT
#pragma once

// The breadth-first walk shared by the button and text walks. Every element taken from the queue
// counts towards `maxExamined`, also one dropped for being deeper than `maxDepth`; nothing past the
// limit is ever read. Elements that could only be drained are never queued, so the queue holds at
// most `maxExamined` entries however many children the elements report.

#include <cstddef>
#include <deque>
#include <memory>
#include <utility>

#include "core/AccessibilityReads.h"

namespace ondrel {

// The way the walk came to a container: the container, how many children the walk listed of it, and
// the path of the one whose children list held it. Siblings share their container's path, and only
// elements with children get one.
struct WalkPath {
    Element element;
    std::size_t children;
    std::shared_ptr<const WalkPath> container;  // null at the root
};
using WalkPathPtr = std::shared_ptr<const WalkPath>;

enum class WalkStep { goOn, stop };

// `visit(element, container)` runs for every examined element, before its children are read; `container`
// is the path of the element's container, null for the root. Returns how many elements were examined.
template <typename Visit>
std::size_t walkBreadthFirst(AccessibilityPlatform& platform, const Element& root, WalkLimits limits, Visit&& visit) {
    struct Entry {
        Element element;
        std::size_t depth;
        WalkPathPtr container;
    };
    std::deque<Entry> queue;
    if (limits.maxExamined > 0)
        queue.push_back({root, 0, nullptr});
    std::size_t taken = 0;
    while (!queue.empty()) {
        Entry entry = std::move(queue.front());
        queue.pop_front();
        ++taken;  // never above maxExamined: nothing beyond that position is queued
        if (entry.depth > limits.maxDepth)
            continue;
        if (visit(entry.element, entry.container) == WalkStep::stop)
            break;
        const std::size_t room = limits.maxExamined - taken - queue.size();
        ElementList children = readChildren(platform, entry.element, room);
        if (children.empty())
            continue;
        auto path = std::make_shared<const WalkPath>(
            WalkPath{std::move(entry.element), children.size(), std::move(entry.container)});
        for (Element& child : children)
            queue.push_back({std::move(child), entry.depth + 1, path});
    }
    return taken;
}

}  // namespace ondrel
