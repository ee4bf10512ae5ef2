// SPDX-License-Identifier: MIT
#pragma once

// What the backend reads of one element, and does to it, over the accessibility bus: its role, name,
// states, children and text in the core's vocabulary, the press, and a subtree in bulk. Every call goes
// through the Bus seam, so that these decisions are tried without a desktop. A call into a process that
// ran into the timeout marks it, and calls into a marked process fail at once until the next scan.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/Accessibility.h"
#include "platform/atspi/AtspiElement.h"
#include "platform/atspi/Bus.h"
#include "platform/atspi/SubtreeReader.h"
#include "platform/common/UnresponsiveProcesses.h"

namespace ondrel::atspi {

class ElementReads {
public:
    // `bus` gives the accessibility bus, or null while there is none.
    explicit ElementReads(std::function<std::shared_ptr<Bus>()> bus);

    // Every scan begins here: the marks of unresponsive processes and the applications' caches go.
    void beginScan();
    std::optional<AttributeValue> copy(const AtspiElement& element, std::string_view attribute, std::size_t index,
                                       std::size_t maxValues);
    ActionResult press(const AtspiElement& element);
    // Asks the application for its attributes, which shows it an assistive technology; once per application.
    bool announceTo(const AtspiElement& application);
    // Below each of `roots`, elements of one application, at once.
    std::vector<ElementFacts> readSubtrees(const ElementList& roots, WalkLimits limits,
                                           const AccessibilityPlatform::KnownElement& known, TextReads texts);
    // The lengths of the elements' lists of children, asked all at once; none where unanswered.
    std::vector<std::optional<std::size_t>> childCounts(const ElementList& elements);
    // Whether the window shows no content at all (a web runtime that keeps its pages to itself).
    bool showsNothing(const AtspiElement& window);
    // The elements under `root` with the AT-SPI role, in document order, found by the application itself
    // (its Collection interface) when there are fewer than `maxElements` of them; none otherwise.
    std::optional<ElementList> findByRole(const AtspiElement& root, int atspiRole, std::size_t maxElements);
    // Whether the application counts fewer than `maxElements` elements under `root`, in parts.
    bool holdsFewerThan(const AtspiElement& root, std::size_t maxElements);

    // How many elements one answer of a count holds.
    static constexpr std::size_t countedAtOnce = 512;

private:
    // One call into the element's application; the reply, or none when it failed.
    BusReply ask(const AtspiElement& element, const char* interface, const char* method, GVariant* parameters,
                 const GVariantType* replyType);
    GVariantPtr askProperty(const AtspiElement& element, const char* interface, const char* property);
    std::optional<int> atspiRole(const AtspiElement& element);
    std::optional<AttributeValue> readName(const AtspiElement& element);
    std::optional<std::string> labelledByText(const AtspiElement& element);
    std::optional<AttributeValue> readChildren(const AtspiElement& element, std::size_t index, std::size_t maxValues);
    std::optional<AttributeValue> readTextContent(const AtspiElement& element);
    std::optional<std::uint64_t> readStates(const AtspiElement& element);

    std::function<std::shared_ptr<Bus>()> bus_;
    platform::UnresponsiveProcesses unresponsive_;
    std::map<std::string, bool, std::less<>> announcedTo_;  // applications shown an assistive technology
    std::map<std::string, std::shared_ptr<const ApplicationCache>, std::less<>> scanCaches_;  // by bus name
};

}  // namespace ondrel::atspi
