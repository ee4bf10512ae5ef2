// SPDX-License-Identifier: MIT
#pragma once

// Forwards to a real platform and counts the accessibility calls made through it.

#include <cstddef>
#include <map>
#include <string>

#include "tests/support/ForwardingPlatform.h"

namespace ondrel::bench {

class CountingPlatform final : public testing_support::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;

    std::map<std::string, std::size_t, std::less<>> reads;  // per attribute
    std::size_t total() const {
        std::size_t sum = 0;
        for (const auto& [attribute, count] : reads)
            sum += count;
        return sum;
    }

    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override {
        count(attribute);
        return ForwardingPlatform::copyAttribute(element, attribute);
    }
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override {
        count(attribute);
        return ForwardingPlatform::copyAttributeValues(element, attribute, index, maxValues);
    }
    // Every pass reads afresh: that is what the benchmark measures.
    bool watchChanges(ChangeListener) override { return false; }

private:
    void count(std::string_view attribute) {
        auto it = reads.find(attribute);
        if (it == reads.end())
            it = reads.emplace(std::string(attribute), 0).first;
        ++it->second;
    }
};

}  // namespace ondrel::bench
