// SPDX-License-Identifier: MIT
#pragma once

// An in-memory accessibility platform: scenes of processes, windows, buttons and texts built in code,
// with reads that can fail, elements that vanish and presses that can be made to fail. Its second
// side records what the watcher did (presses, attribute writes, trust requests, reads).

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Accessibility.h"
#include "core/Scanner.h"

namespace ondrel::fake {

class FakeElement;

struct AttributeWrite {
    Element element;
    std::string attribute;
    AttributeValue value;
};

class FakePlatform final : public AccessibilityPlatform {
public:
    FakePlatform();
    ~FakePlatform() override;

    // --- scene building ---
    // A process and its application element.
    Element addProcess(ProcessId process, std::string applicationId = std::string(velquinApplicationId));
    // A child element with the given role, appended to `parent`'s children.
    Element addElement(const Element& parent, std::string_view role);
    Element addWindow(const Element& application, std::string title, bool minimized = false);
    Element addButton(const Element& parent, std::string label, bool enabled = true);
    Element addText(const Element& parent, std::string text, std::string_view role = ax::role::staticText);
    Element addGroup(const Element& parent) { return addElement(parent, ax::role::group); }

    // Sets what a copy of `attribute` hands back; nullopt makes the copy fail.
    void setValue(const Element& element, std::string_view attribute, std::optional<AttributeValue> value);
    // Forgets an attribute: a copy then succeeds with an absent value.
    void removeValue(const Element& element, std::string_view attribute);
    // Makes the element report `count` children, each of them `child` (kept as one node, so huge lists
    // cost nothing until read).
    void setRepeatedChildren(const Element& element, const Element& child, std::size_t count);
    // Every later read and press on the element fails, as for an element that has gone away.
    void vanish(const Element& element);
    void failPress(const Element& element, ActionResult result = {ActionResult::Outcome::failed, "refused (fake)"});
    // Runs after every successful press, as the target's reaction (a prompt that closes, say).
    std::function<void(const Element& pressed)> afterPress;
    void setFailAllReads(bool fail) { failAllReads_ = fail; }
    void setTrusted(bool trusted) { trusted_ = trusted; }
    void setGrantTakesEffectAtOnce(bool atOnce) { grantAtOnce_ = atOnce; }
    // Makes the service unreachable, with this reason, or reachable again (nullopt).
    void setUnavailable(std::optional<std::string> reason) { unavailable_ = std::move(reason); }
    // Whether the window keeps its content from accessibility: what the platform advises then, or nullopt.
    void setHiddenContentAdvice(const Element& window, std::optional<std::string> advice);
    // Whether readSubtree answers (in one go, as a fast platform would) or learns nothing.
    void setBulkReads(bool on) { bulkReads_ = on; }
    // Whether watchChanges works; when it does, changeOf() tells the listener about a change of the
    // process, in `changed` when given.
    void setReportsChanges(bool on) { reportsChanges_ = on; }
    void changeOf(ProcessId process, const Element& changed = nullptr, ChangeKind kind = ChangeKind::structure) const {
        report({.process = process, .element = changed, .kind = kind});
    }
    bool hearsChanges() const { return static_cast<bool>(changeListener_); }
    void report(const Change& change) const {
        if (reportsChanges_ && changeListener_)
            changeListener_(change);
    }
    // Whether watched changes include every change of a name or a text.
    void setReportsTextChanges(bool on) { reportsTextChanges_ = on; }
    bool reportsTextChanges() const override { return reportsChanges_ && reportsTextChanges_; }
    // Tells the service listener of an event, or the next one to come when none listens yet.
    void serviceEvent(ServiceEvent event, std::string message);
    void endSession(std::string message) { serviceEvent(ServiceEvent::sessionEnded, std::move(message)); }
    // The rule by which every process counts as its application, as identityRule() tells it.
    std::string identity = "fake-rule";
    // What the platform says to the user; tests see the core hand it on unchanged.
    PlatformWording texts{"permission missing (fake)", "minimized (fake)", "banner (fake)", "press failed (fake)"};

    // --- recording ---
    std::vector<Element> presses;
    std::vector<AttributeWrite> writes;
    int trustRequests = 0;
    std::size_t reads = 0;
    std::size_t bulkReads = 0;
    std::size_t bulkFacts = 0;  // elements that bulk reads told of
    std::size_t scans = 0;

    // --- the platform ---
    bool isProcessTrusted() override { return trusted_; }
    void requestTrust() override { ++trustRequests; }
    bool grantTakesEffectAtOnce() const override { return grantAtOnce_; }
    std::optional<std::string> unavailableReason() override { return unavailable_; }
    const PlatformWording& wording() const override { return texts; }
    std::vector<ProcessId> runningProcesses(std::string_view applicationId) override;
    Element applicationElement(ProcessId process) override;
    std::string identityRule(ProcessId) override { return identity; }
    bool setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override;
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override;
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override;
    ActionResult performAction(const Element& element, std::string_view action) override;
    void beginScan() override { ++scans; }
    std::optional<std::string> hiddenContentAdvice(const Element& window) override;
    std::vector<ElementFacts> readSubtree(const Element& root, WalkLimits limits, const KnownElement& known,
                                          TextReads words) override;
    bool watchChanges(ChangeListener onChange) override;
    void watchService(ServiceListener onEvent) override;

private:
    struct Process {
        ProcessId id;
        std::string applicationId;
        Element application;
    };

    FakeElement& node(const Element& element) const;
    Element makeElement();

    std::vector<std::shared_ptr<FakeElement>> nodes_;  // owns every node; the scene's links are plain pointers
    std::vector<Process> processes_;
    bool trusted_ = true;
    bool grantAtOnce_ = false;
    bool bulkReads_ = true;
    bool reportsChanges_ = false;
    bool reportsTextChanges_ = false;
    ChangeListener changeListener_;
    ServiceListener serviceListener_;
    std::vector<std::pair<ServiceEvent, std::string>> pendingServiceEvents_;
    std::optional<std::string> unavailable_;
    bool failAllReads_ = false;
};

}  // namespace ondrel::fake
