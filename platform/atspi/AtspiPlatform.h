// SPDX-License-Identifier: MIT
#pragma once

// The accessibility interface on Linux: AT-SPI spoken directly over Ondrel's own connection to the
// accessibility bus (GDBus), and the session bus for the accessibility switch and bus names. Speaking
// D-Bus directly lets a batch of calls be in flight at once and events arrive on a thread of their own.

#include <gio/gio.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/ApplicationNames.h"
#include "platform/atspi/BusCalls.h"
#include "platform/atspi/GLibHandles.h"
#include "platform/atspi/SubtreeReader.h"
#include "platform/common/UnresponsiveProcesses.h"

namespace ondrel::atspi {

using platform::UnresponsiveProcesses;

class AtspiElement;
class ChangeWatch;

class AtspiPlatform final : public AccessibilityPlatform {
public:
    AtspiPlatform();
    ~AtspiPlatform() override;

    bool isProcessTrusted() override;
    void requestTrust() override;
    // The switch is the desktop's and is read afresh each time: on is on, for a running Ondrel too.
    bool grantTakesEffectAtOnce() const override { return true; }
    std::optional<std::string> unavailableReason() override;
    const PlatformWording& wording() const override;
    std::vector<ProcessId> runningProcesses(std::string_view applicationId) override;
    Element applicationElement(ProcessId process) override;
    bool setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override;
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override;
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override;
    ActionResult performAction(const Element& element, std::string_view action) override;
    void beginScan() override;
    std::optional<std::string> hiddenContentAdvice(const Element& window) override;
    std::vector<ElementFacts> readSubtree(const Element& root, WalkLimits limits, const KnownElement& known) override;
    bool watchChanges(ChangeListener onChange) override;

private:
    struct Application {
        ProcessId process;
        std::shared_ptr<const std::string> busName;
    };

    GDBusConnection* sessionBus();
    // The accessibility bus, connected once; null when it cannot be reached, with the reason kept.
    GDBusConnection* accessibilityBus();
    GVariantPtr callStatusBus(const char* interface, const char* method, GVariant* parameters,
                              const GVariantType* replyType);
    // The registered applications with their processes, read once per scan; never Ondrel's own.
    const std::vector<Application>& applications();
    std::optional<ProcessId> sessionBusOwner(std::string_view name);
    // The program the application's desktop entry starts, looked up once per scan.
    const std::optional<std::string>& desktopEntryProgramOf(std::string_view applicationId);
    // The toolkit an application names itself by ("GTK", "Qt", "Chromium"), asked once per scan.
    const std::string& toolkitOf(const AtspiElement& element);

    // One call into the element's application. Null on failure; a call that runs into the timeout
    // marks the process, and calls into a marked process fail at once until the next scan.
    GVariantPtr ask(const AtspiElement& element, const char* interface, const char* method, GVariant* parameters,
                    const GVariantType* replyType);
    GVariantPtr askProperty(const AtspiElement& element, const char* interface, const char* property);
    // The element's AT-SPI role, asked once: roles do not change.
    std::optional<int> atspiRole(const AtspiElement& element);
    std::optional<AttributeValue> readName(const AtspiElement& element);
    std::optional<std::string> labelledByText(const AtspiElement& element);
    std::optional<AttributeValue> readChildren(const AtspiElement& element, std::size_t index, std::size_t maxValues);
    std::optional<AttributeValue> readTextContent(const AtspiElement& element);
    std::optional<std::uint64_t> readStates(const AtspiElement& element);

    GObjectPtr<GDBusConnection> sessionBus_;
    std::string sessionBusError_;  // why the session bus could not be reached, when it could not
    GObjectPtr<GDBusConnection> accessibilityBus_;
    std::string accessibilityBusError_;
    ApplicationNames names_;
    std::unique_ptr<ChangeWatch> changes_;
    std::map<std::string, bool, std::less<>> announcedTo_;  // applications told that an assistive technology reads them
    // Cleared when a scan begins.
    std::optional<std::vector<Application>> scanApplications_;
    std::optional<std::pair<std::string, std::optional<std::string>>> scanProgram_;  // application id, program
    std::map<ProcessId, std::string> scanToolkits_;
    std::map<std::string, std::shared_ptr<const ApplicationCache>, std::less<>> scanCaches_;  // by bus name
    const ProcessId ownProcess_ = static_cast<ProcessId>(::getpid());
    UnresponsiveProcesses unresponsive_;
};

}  // namespace ondrel::atspi
