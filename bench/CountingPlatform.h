// SPDX-License-Identifier: MIT
#pragma once

// Forwards to a real platform and counts the accessibility calls made through it.

#include <cstddef>
#include <map>
#include <string>

#include "core/Accessibility.h"

namespace ondrel::bench {

class CountingPlatform final : public AccessibilityPlatform {
public:
    explicit CountingPlatform(AccessibilityPlatform& inner) : inner_(inner) {}

    std::map<std::string, std::size_t, std::less<>> reads;  // per attribute
    std::size_t total() const {
        std::size_t sum = 0;
        for (const auto& [attribute, count] : reads)
            sum += count;
        return sum;
    }

    bool isProcessTrusted() override { return inner_.isProcessTrusted(); }
    void requestTrust() override { inner_.requestTrust(); }
    bool grantTakesEffectAtOnce() const override { return inner_.grantTakesEffectAtOnce(); }
    std::optional<std::string> unavailableReason() override { return inner_.unavailableReason(); }
    const PlatformWording& wording() const override { return inner_.wording(); }
    std::vector<ProcessId> runningProcesses(std::string_view id) override { return inner_.runningProcesses(id); }
    Element applicationElement(ProcessId process) override { return inner_.applicationElement(process); }
    AXError setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override {
        return inner_.setAttribute(element, attribute, value);
    }
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override {
        count(attribute);
        return inner_.copyAttribute(element, attribute);
    }
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override {
        count(attribute);
        return inner_.copyAttributeValues(element, attribute, index, maxValues);
    }
    AXError performAction(const Element& element, std::string_view action) override {
        return inner_.performAction(element, action);
    }
    void beginScan() override { inner_.beginScan(); }
    std::vector<ElementFacts> readSubtree(const Element& root, WalkLimits limits, const KnownElement& known) override {
        return inner_.readSubtree(root, limits, known);
    }
    std::optional<std::string> hiddenContentAdvice(const Element& window) override {
        return inner_.hiddenContentAdvice(window);
    }

private:
    void count(std::string_view attribute) {
        auto it = reads.find(attribute);
        if (it == reads.end())
            it = reads.emplace(std::string(attribute), 0).first;
        ++it->second;
    }

    AccessibilityPlatform& inner_;
};

}  // namespace ondrel::bench
