// SPDX-License-Identifier: MIT
#pragma once

// A platform that hands every call to another one; tests and benchmarks derive from it and change
// only the calls they observe or hide.

#include "core/Accessibility.h"

namespace ondrel::testing_support {

class ForwardingPlatform : public AccessibilityPlatform {
public:
    explicit ForwardingPlatform(AccessibilityPlatform& inner) : inner_(inner) {}

    bool isProcessTrusted() override { return inner_.isProcessTrusted(); }
    void requestTrust() override { inner_.requestTrust(); }
    bool grantTakesEffectAtOnce() const override { return inner_.grantTakesEffectAtOnce(); }
    std::optional<std::string> unavailableReason() override { return inner_.unavailableReason(); }
    const PlatformWording& wording() const override { return inner_.wording(); }
    std::vector<ProcessId> runningProcesses(std::string_view id) override { return inner_.runningProcesses(id); }
    Element applicationElement(ProcessId process) override { return inner_.applicationElement(process); }
    std::string identityRule(ProcessId process) override { return inner_.identityRule(process); }
    bool setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override {
        return inner_.setAttribute(element, attribute, value);
    }
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override {
        return inner_.copyAttribute(element, attribute);
    }
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override {
        return inner_.copyAttributeValues(element, attribute, index, maxValues);
    }
    ActionResult performAction(const Element& element, std::string_view action) override {
        return inner_.performAction(element, action);
    }
    std::optional<std::string> hiddenContentAdvice(const Element& window) override {
        return inner_.hiddenContentAdvice(window);
    }
    void beginScan() override { inner_.beginScan(); }
    std::vector<ElementFacts> readSubtree(const Element& root, WalkLimits limits, const KnownElement& known,
                                          TextReads texts) override {
        return inner_.readSubtree(root, limits, known, texts);
    }
    bool watchChanges(ChangeListener onChange) override { return inner_.watchChanges(std::move(onChange)); }
    bool reportsTextChanges() const override { return inner_.reportsTextChanges(); }
    void watchService(ServiceListener onEvent) override { inner_.watchService(std::move(onEvent)); }

private:
    AccessibilityPlatform& inner_;
};

}  // namespace ondrel::testing_support
