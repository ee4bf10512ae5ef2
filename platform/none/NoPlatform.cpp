// The backend of a build without an accessibility backend: never trusted, nothing to be found.
// A program built with it waits at the permission gate rather than pretend to watch.

#include "core/Accessibility.h"

namespace ondrel {
namespace {

class NoPlatform final : public AccessibilityPlatform {
public:
    bool isProcessTrusted() override { return false; }
    void requestTrust() override {}
    std::vector<ProcessId> runningProcesses(std::string_view) override { return {}; }
    Element applicationElement(ProcessId) override { return nullptr; }
    AXError setAttribute(const Element&, std::string_view, const AttributeValue&) override { return axFailure; }
    std::optional<AttributeValue> copyAttribute(const Element&, std::string_view) override { return std::nullopt; }
    AXError performAction(const Element&, std::string_view) override { return axFailure; }
};

}  // namespace

std::unique_ptr<AccessibilityPlatform> createPlatform() {
    return std::make_unique<NoPlatform>();
}

}  // namespace ondrel
