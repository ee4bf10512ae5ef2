// SPDX-License-Identifier: MIT
#pragma once

// The Linux backend's reads as the platform a scanner reads: one application on a scripted bus, so that
// what the scanner makes of the reads is tried without a desktop.

#include <atspi/atspi-constants.h>

#include <cstdint>

#include "core/Accessibility.h"
#include "core/AccessibilityNames.h"
#include "platform/atspi/ElementReads.h"

namespace ondrel::testing_support {

class ReadsPlatform final : public AccessibilityPlatform {
public:
    explicit ReadsPlatform(atspi::ElementReads& reads) : reads_(reads) {}
    bool isProcessTrusted() override { return true; }
    void requestTrust() override {}
    const PlatformWording& wording() const override { return wording_; }
    std::vector<ProcessId> runningProcesses(std::string_view) override { return {}; }
    Element applicationElement(ProcessId) override { return nullptr; }
    bool setAttribute(const Element&, std::string_view, const AttributeValue&) override { return false; }
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override {
        return reads_.copy(of(element), attribute, 0, SIZE_MAX);
    }
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override {
        return reads_.copy(of(element), attribute, index, maxValues);
    }
    ActionResult performAction(const Element& element, std::string_view) override { return reads_.press(of(element)); }
    std::optional<ElementList> findByRole(const Element& root, std::string_view role,
                                          std::size_t maxElements) override {
        return role == ax::role::button ? reads_.findByRole(of(root), ATSPI_ROLE_PUSH_BUTTON, maxElements)
                                        : std::nullopt;
    }
    bool holdsFewerThan(const Element& root, std::size_t maxElements) override {
        return reads_.holdsFewerThan(of(root), maxElements);
    }

private:
    static const atspi::AtspiElement& of(const Element& element) {
        return static_cast<const atspi::AtspiElement&>(*element);
    }
    atspi::ElementReads& reads_;
    PlatformWording wording_;
};

}  // namespace ondrel::testing_support
