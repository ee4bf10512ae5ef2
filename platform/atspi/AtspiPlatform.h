// SPDX-License-Identifier: MIT
#pragma once

// The accessibility interface on Linux: AT-SPI spoken directly over Ondrel's own connection to the
// accessibility bus (GDBus), and the session bus for the accessibility switch and bus names. Speaking
// D-Bus directly lets a batch of calls be in flight at once. The connections and events live on a thread
// of the backend's own (see BusThread); the reads go through the Bus seam (see ElementReads).

#include <unistd.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/Applications.h"
#include "platform/atspi/BusThread.h"
#include "platform/atspi/ChangeWatch.h"
#include "platform/atspi/Connections.h"
#include "platform/atspi/ElementReads.h"

namespace ondrel::atspi {

class AtspiPlatform final : public AccessibilityPlatform {
public:
    AtspiPlatform();
    ~AtspiPlatform() override;

    // The desktop's accessibility switch, read afresh each time: on is on, for a running Ondrel too.
    bool isProcessTrusted() override;
    void requestTrust() override;
    bool grantTakesEffectAtOnce() const override { return true; }
    std::optional<std::string> unavailableReason() override;
    const PlatformWording& wording() const override;
    std::vector<ProcessId> runningProcesses(std::string_view applicationId) override;
    Element applicationElement(ProcessId process) override;
    std::string identityRule(ProcessId process) override { return applications_.ruleOf(process); }
    bool setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override;
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override;
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override;
    ActionResult performAction(const Element& element, std::string_view action) override;
    std::vector<std::optional<std::size_t>> childCounts(const ElementList& elements) override;
    // Buttons, where the application has a Collection (GTK 3 and Chromium, through ATK's bridge).
    std::optional<ElementList> findByRole(const Element& root, std::string_view role, std::size_t maxElements) override;
    bool holdsFewerThan(const Element& root, std::size_t maxElements) override;
    void beginScan() override;
    std::optional<std::string> hiddenContentAdvice(const Element& window) override;
    std::vector<ElementFacts> readSubtree(const Element& root, WalkLimits limits, const KnownElement& known,
                                          TextReads texts) override;
    std::vector<ElementFacts> readSubtrees(const ElementList& roots, WalkLimits limits, const KnownElement& known,
                                           TextReads texts) override;
    bool watchChanges(ChangeListener onChange) override;
    // GTK 3 and 4, Qt 6 and Chromium report every change of a name or a text once asked to.
    bool reportsTextChanges() const override { return watching_; }
    void watchService(ServiceListener onEvent) override;

private:
    std::optional<Applications::Application> applicationOf(ProcessId process);
    // Hands a change to the listener, if any.
    void tell(const Change& change);

    BusThread thread_;  // first made, last gone: everything below uses it
    Connections connections_{thread_};
    ChangeWatch changes_{thread_};
    Applications applications_{static_cast<ProcessId>(::getpid())};
    ElementReads reads_{[this] { return std::shared_ptr<Bus>(connections_.accessibility()); }};
    std::atomic<bool> watching_{false};
    std::mutex listenerMutex_;  // held while onChange_ runs
    ChangeListener onChange_;
};

}  // namespace ondrel::atspi
