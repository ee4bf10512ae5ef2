// SPDX-License-Identifier: MIT
// The accessibility interface on macOS, over ApplicationServices and CoreFoundation.

#include <ApplicationServices/ApplicationServices.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Accessibility.h"
#include "platform/common/UnresponsiveProcesses.h"
#include "platform/macos/CFConversion.h"
#include "platform/macos/ChangeWatch.h"
#include "platform/macos/GrantMemory.h"
#include "platform/macos/MacRules.h"
#include "platform/macos/MacWording.h"
#include "platform/macos/RunningApplications.h"
#include "platform/macos/SubtreeFacts.h"

namespace ondrel {
namespace macos {
namespace {

using platform::UnresponsiveProcesses;

float seconds(std::chrono::milliseconds timeout) {
    return std::chrono::duration<float>(timeout).count();
}

// Started from a terminal, macOS holds the terminal responsible for Ondrel, and its grant is the one
// that counts. Launched as an app or by launchd, none of the standard streams is a terminal.
bool startedFromTerminal() {
    return ::isatty(STDIN_FILENO) || ::isatty(STDOUT_FILENO) || ::isatty(STDERR_FILENO);
}

CFRef<CFArrayRef> makeNameArray() {
    std::vector<CFRef<CFStringRef>> names;
    std::vector<const void*> values;
    for (std::string_view name : subtreeAttributes) {
        names.push_back(makeCFString(name));
        values.push_back(names.back().get());
    }
    return CFRef<CFArrayRef>(
        CFArrayCreate(kCFAllocatorDefault, values.data(), static_cast<CFIndex>(values.size()), &kCFTypeArrayCallBacks));
}

class MacPlatform final : public AccessibilityPlatform {
public:
    MacPlatform() : unresponsive_(messagingTimeout), subtreeAttributeNames_(makeNameArray()) {
        // Set on the system-wide element, the timeout applies to every application.
        CFRef<AXUIElementRef> systemWide(AXUIElementCreateSystemWide());
        AXUIElementSetMessagingTimeout(systemWide.get(), seconds(messagingTimeout));

        GrantSituation situation{.startedFromTerminal = startedFromTerminal()};
        if (!situation.startedFromTerminal) {
            ownGrant_.emplace();
            situation.grantOutdated = ownGrant_->grantOutdated();
        }
        wording_ = macWording(situation);
    }

    bool isProcessTrusted() override {
        const bool trusted = AXIsProcessTrusted();
        if (trusted && ownGrant_)
            ownGrant_->noteTrusted();
        return trusted;
    }

    void requestTrust() override {
        const void* keys[] = {kAXTrustedCheckOptionPrompt};
        const void* values[] = {kCFBooleanTrue};
        CFRef<CFDictionaryRef> options(CFDictionaryCreate(
            kCFAllocatorDefault, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
        AXIsProcessTrustedWithOptions(options.get());
    }

    const PlatformWording& wording() const override { return wording_; }

    std::vector<ProcessId> runningProcesses(std::string_view applicationId) override {
        std::vector<ProcessId> processes = runningApplicationProcesses(applicationId);
        if (changes_) {
            changes_->keepOnly(processes);
            for (ProcessId process : processes)
                call(process, Message::attribute, [&] { return changes_->follow(process); });
        }
        return processes;
    }

    // The only rule here: the running application's bundle identifier.
    std::string identityRule(ProcessId) override { return "bundle-id"; }

    Element applicationElement(ProcessId process) override {
        CFRef<AXUIElementRef> application(AXUIElementCreateApplication(static_cast<pid_t>(process)));
        return makeElement(application.get());
    }

    bool setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override {
        const bool* flag = std::get_if<bool>(&value);
        if (!element || flag == nullptr)
            return false;
        return call(processOf(element), Message::attribute, [&] {
                   return AXUIElementSetAttributeValue(axElement(element), makeCFString(attribute).get(),
                                                       *flag ? kCFBooleanTrue : kCFBooleanFalse);
               }) == kAXErrorSuccess;
    }

    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override {
        if (!element)
            return std::nullopt;
        CFRef<CFTypeRef> value;
        const AXError result = call(processOf(element), Message::attribute, [&] {
            return AXUIElementCopyAttributeValue(axElement(element), makeCFString(attribute).get(), value.out());
        });
        if (result != kAXErrorSuccess)
            return std::nullopt;  // whatever came back is released with `value`
        return attributeValueFrom(value.get());
    }

    // Apple allows kAXErrorIllegalArgument for an index or maxValues outside the list's range, and "no
    // limit" passed on as a huge maxValues may be one; the scanner then lost the application's windows.
    // So: with no limit the whole value at once, otherwise the count first and no more than there are.
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override {
        if (!element)
            return std::nullopt;
        if (index == 0 && maxValues == SIZE_MAX)
            return copyAttribute(element, attribute);
        const CFRef<CFStringRef> name = makeCFString(attribute);
        CFIndex count = 0;
        if (call(processOf(element), Message::attribute, [&] {
                return AXUIElementGetAttributeValueCount(axElement(element), name.get(), &count);
            }) != kAXErrorSuccess)
            return std::nullopt;
        const std::size_t wanted = valuesToRequest(count > 0 ? static_cast<std::size_t>(count) : 0, index, maxValues);
        if (wanted == 0)
            return AttributeValue(ElementList{});
        CFRef<CFArrayRef> values;
        const AXError result = call(processOf(element), Message::attribute, [&] {
            return AXUIElementCopyAttributeValues(axElement(element), name.get(), static_cast<CFIndex>(index),
                                                  static_cast<CFIndex>(wanted), values.out());
        });
        if (result != kAXErrorSuccess)
            return std::nullopt;
        return attributeValueFrom(values.get());
    }

    ActionResult performAction(const Element& element, std::string_view action) override {
        if (!element)
            return pressResult(kAXErrorInvalidUIElement);
        const AXUIElementRef target = axElement(element);
        AXUIElementSetMessagingTimeout(target, seconds(pressTimeout));
        const AXError result = call(processOf(element), Message::press,
                                    [&] { return AXUIElementPerformAction(target, makeCFString(action).get()); });
        AXUIElementSetMessagingTimeout(target, 0);  // 0: back to the process-wide timeout
        return pressResult(result);
    }

    void beginScan() override { unresponsive_.clear(); }

    // One message per element, a level after the other: Apple's API has no way to ask about several
    // elements at once, nor to have several messages to one process in flight.
    // What the caller knows already is read again all the same: correct, if not the cheapest.
    // Texts are read all the same: leaving them out would save no message.
    std::vector<ElementFacts> readSubtree(const Element& root, WalkLimits limits, const KnownElement&,
                                          TextReads) override {
        if (!root)
            return {};
        // What is read ahead is kept across scans once changes are watched: only while they are heard.
        if (changes_ && !changes_->follows(processOf(root)))
            return {};
        return readBreadthFirst(root, limits, [&](const Element& element) { return readElement(element, limits); });
    }

    // A notification names an element, but not always the one whose children changed (a created element
    // names the new one): the whole process is read again.
    bool watchChanges(ChangeListener onChange) override {
        if (!changes_)
            changes_ = std::make_unique<ChangeWatch>();
        changes_->setListener([onChange = std::move(onChange)](ProcessId process) {
            if (onChange)
                onChange({.process = process});
        });
        return true;
    }

private:
    std::optional<ElementFacts> readElement(const Element& element, WalkLimits limits) {
        CFRef<CFArrayRef> values;
        const AXError result = call(processOf(element), Message::attribute, [&] {
            return AXUIElementCopyMultipleAttributeValues(axElement(element), subtreeAttributeNames_.get(), 0,
                                                          values.out());
        });
        if (result != kAXErrorSuccess || !values)
            return std::nullopt;
        const CFIndex count = CFArrayGetCount(values.get());
        if (count != static_cast<CFIndex>(subtreeAttributes.size()))
            return std::nullopt;
        std::vector<std::optional<AttributeValue>> answer;
        for (CFIndex i = 0; i < count; ++i)
            answer.push_back(knownAnswerFrom(CFArrayGetValueAtIndex(values.get(), i), limits.maxExamined));
        return factsFromAnswer(element, answer);
    }

    // One message to a target process, failing at once when that process stopped answering earlier in
    // this scan; an attribute call that ran into the messaging timeout marks it so.
    template <typename Send>
    AXError call(ProcessId process, Message message, Send&& send) {
        if (unresponsive_.contains(process))
            return kAXErrorCannotComplete;
        const auto start = UnresponsiveProcesses::Clock::now();
        const AXError result = send();
        if (mayMarkUnresponsive(message, result))
            unresponsive_.noteFailure(process, UnresponsiveProcesses::Clock::now() - start);
        return result;
    }

    UnresponsiveProcesses unresponsive_;
    std::optional<GrantMemory> ownGrant_;  // only while the grant that counts is Ondrel's own
    PlatformWording wording_;
    CFRef<CFArrayRef> subtreeAttributeNames_;  // what readSubtree asks of every element
    // Made by watchChanges before the first scan, then used by the scans' thread.
    std::unique_ptr<ChangeWatch> changes_;
};

}  // namespace
}  // namespace macos

std::unique_ptr<AccessibilityPlatform> createPlatform() {
    return std::make_unique<macos::MacPlatform>();
}

}  // namespace ondrel
