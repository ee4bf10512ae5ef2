// SPDX-License-Identifier: MIT
#include "platform/macos/SubtreeFacts.h"

#include <deque>

namespace ondrel::macos {

ElementFacts factsFromAnswer(const Element& element, const std::vector<std::optional<AttributeValue>>& answer) {
    ElementFacts facts{element, {}};
    if (answer.size() != subtreeAttributes.size())
        return facts;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        if (!answer[i])
            continue;
        const bool* flag = std::get_if<bool>(&*answer[i]);
        if (subtreeAttributes[i] == ax::attribute::enabled && flag != nullptr && !*flag)
            continue;
        facts.attributes.emplace(subtreeAttributes[i], *answer[i]);
    }
    return facts;
}

std::vector<ElementFacts> readBreadthFirst(const Element& root, WalkLimits limits,
                                           const std::function<std::optional<ElementFacts>(const Element&)>& readOne) {
    struct Entry {
        Element element;
        std::size_t depth;
    };
    std::vector<ElementFacts> facts;
    if (!root || limits.maxExamined == 0)
        return facts;
    // Positions as the walk counts them: everything it queues, also what it drops for being too deep.
    std::deque<Entry> queue{{root, 0}};
    std::size_t positions = 1;
    while (!queue.empty()) {
        const Entry entry = std::move(queue.front());
        queue.pop_front();
        if (entry.depth > limits.maxDepth)
            continue;
        std::optional<ElementFacts> known = readOne(entry.element);
        if (!known)
            continue;
        if (const auto children = known->attributes.find(ax::attribute::children);
            children != known->attributes.end()) {
            if (const auto* list = std::get_if<ElementList>(&children->second)) {
                for (const Element& child : *list) {
                    if (child && positions < limits.maxExamined) {
                        queue.push_back({child, entry.depth + 1});
                        ++positions;
                    }
                }
            }
        }
        facts.push_back(std::move(*known));
    }
    return facts;
}

}  // namespace ondrel::macos
