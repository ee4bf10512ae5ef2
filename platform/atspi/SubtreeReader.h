#pragma once

// Reads a subtree of another application in bulk, for the core's walks: from the application's own
// cache of its tree (org.a11y.atspi.Cache.GetItems, which GTK 3 offers) when that holds a whole and
// consistent tree, else level by level with every call of a level in flight at once. It reads what the
// walks would read, element by element, within the same limits, and no further.

#include <gio/gio.h>

#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/AtspiElement.h"
#include "platform/atspi/BusCalls.h"
#include "platform/common/UnresponsiveProcesses.h"

namespace ondrel::atspi {

class SubtreeReader {
public:
    SubtreeReader(GDBusConnection* bus, platform::UnresponsiveProcesses& unresponsive)
        : bus_(bus), unresponsive_(unresponsive) {}

    std::vector<ElementFacts> read(const Element& root, WalkLimits limits);

    // The facts of one element from what AT-SPI says of it; shared by both ways of reading.
    struct Answers {
        std::optional<int> role;
        std::optional<std::string> name;
        std::optional<std::uint64_t> states;
        std::optional<ElementList> children;  // complete lists only
        std::optional<AttributeValue> value;  // "AXValue", where it is read
        std::optional<std::string> labelledBy;
    };
    static ElementFacts factsOf(const Element& element, const Answers& answers);

private:
    struct Node {
        Element element;
        std::size_t depth;
        Answers answers;
        std::int32_t childCount = -1;
    };

    std::optional<std::vector<Node>> readFromCache(const Element& root, WalkLimits limits);
    std::vector<Node> readByLevels(const Element& root, WalkLimits limits);
    // Labels from labelled-by relations of buttons and the text of blank-named texts and buttons,
    // which neither the cache nor the first calls of a level carry.
    void readLabelsAndValues(std::vector<Node>& nodes);
    bool failed(const std::vector<BusReply>& replies, ProcessId process);

    GDBusConnection* bus_;
    platform::UnresponsiveProcesses& unresponsive_;
};

}  // namespace ondrel::atspi
