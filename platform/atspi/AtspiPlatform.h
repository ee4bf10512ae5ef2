#pragma once

// The accessibility interface on Linux, over AT-SPI (libatspi) and the session bus (GDBus).

#include <atspi/atspi.h>
#include <gio/gio.h>

#include <unistd.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/ApplicationNames.h"
#include "platform/atspi/GLibHandles.h"
#include "platform/common/UnresponsiveProcesses.h"

namespace ondrel::atspi {

using platform::UnresponsiveProcesses;

class AtspiPlatform final : public AccessibilityPlatform {
public:
    AtspiPlatform();

    bool isProcessTrusted() override;
    void requestTrust() override;
    std::optional<std::string> unavailableReason() override;
    const PlatformWording& wording() const override;
    std::vector<ProcessId> runningProcesses(std::string_view applicationId) override;
    Element applicationElement(ProcessId process) override;
    AXError setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override;
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override;
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override;
    AXError performAction(const Element& element, std::string_view action) override;
    void beginScan() override;
    std::optional<std::string> hiddenContentAdvice(const Element& window) override;

private:
    using Application = std::pair<ProcessId, GObjectPtr<AtspiAccessible>>;

    GDBusConnection* sessionBus();
    // The accessibility bus, connected once; null when it cannot be reached, with the reason kept.
    GDBusConnection* accessibilityBus();
    GVariantPtr callStatusBus(const char* interface, const char* method, GVariant* parameters,
                              const GVariantType* replyType);
    bool ensureAtspi();
    // The registered applications with their processes, read once per scan.
    const std::vector<Application>& applications();
    std::optional<ProcessId> sessionBusOwner(std::string_view name);
    // The program the application's desktop entry starts, looked up once per scan.
    const std::optional<std::string>& desktopEntryProgramOf(std::string_view applicationId);
    // The toolkit an application names itself by ("GTK", "Qt", "Chromium"), asked once per scan.
    const std::string& toolkitOf(ProcessId process);
    std::optional<std::string> labelledByText(AtspiAccessible* accessible, ProcessId process);
    std::optional<AttributeValue> readChildren(const Element& element, std::size_t index, std::size_t maxValues);
    std::optional<AttributeValue> readTextContent(const Element& element);
    GObjectPtr<AtspiStateSet> readStates(const Element& element);

    GObjectPtr<GDBusConnection> sessionBus_;
    std::string sessionBusError_;  // why the session bus could not be reached, when it could not
    GObjectPtr<GDBusConnection> accessibilityBus_;
    std::string accessibilityBusError_;
    ApplicationNames names_;
    bool atspiStarted_ = false;
    // Cleared when a scan begins.
    std::optional<std::vector<Application>> scanApplications_;
    std::optional<std::pair<std::string, std::optional<std::string>>> scanProgram_;  // application id, program
    std::map<ProcessId, std::string> scanToolkits_;
    const ProcessId ownProcess_ = static_cast<ProcessId>(::getpid());
    UnresponsiveProcesses unresponsive_;
};

}  // namespace ondrel::atspi
