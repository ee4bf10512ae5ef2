// SPDX-License-Identifier: MIT
#pragma once

// Reads a subtree of another application in bulk, for the core's walks: level by level, every call of a
// level in flight at once, and what the application's own cache of its tree says of an element
// (org.a11y.atspi.Cache.GetItems, which GTK 3 offers once an assistive technology listens) taken from
// there. Children always come from the elements themselves: the cache's order of them cannot be
// trusted (it gives -1 for many positions). It reads what the walks would read, within the same limits.

#include <gio/gio.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/AtspiElement.h"
#include "platform/atspi/Bus.h"
#include "platform/common/UnresponsiveProcesses.h"

namespace ondrel::atspi {

// An application's own cache of its tree (org.a11y.atspi.Cache.GetItems), as it answered.
struct ApplicationCache {
    struct Item {
        std::int32_t index;
        std::int32_t childCount;
        std::string name;
        std::uint32_t role;
        std::uint64_t states;
    };
    std::map<std::string, Item, std::less<>> items;  // by object path
    std::map<std::string, std::vector<std::pair<std::int32_t, std::string>>, std::less<>> childrenOf;

    // Asked of the application of `element`; null when it has no cache to offer.
    static std::shared_ptr<const ApplicationCache> fetch(Bus& bus, const AtspiElement& element,
                                                         platform::UnresponsiveProcesses& unresponsive);
};

class SubtreeReader {
public:
    // `cacheOf` gives the application's cache of its tree, or null: asked only for roots other than
    // the application itself, whose own entry no cache holds.
    using CacheSource = std::function<const ApplicationCache*(const AtspiElement& root)>;

    SubtreeReader(Bus& bus, platform::UnresponsiveProcesses& unresponsive, CacheSource cacheOf)
        : bus_(bus), unresponsive_(unresponsive), cacheOf_(std::move(cacheOf)) {}

    // Below each of `roots` (elements of one application) at once. Elements `known` accepts, other than
    // the roots, are neither read nor gone below.
    std::vector<ElementFacts> read(const ElementList& roots, WalkLimits limits,
                                   const AccessibilityPlatform::KnownElement& known, TextReads texts);

    // The facts of one element from what AT-SPI says of it; shared by both ways of reading.
    struct Answers {
        std::optional<int> role;
        std::optional<std::string> name;
        std::optional<std::uint64_t> states;
        std::optional<ElementList> children;  // complete lists only
        std::optional<AttributeValue> value;  // "AXValue", where it is read
        std::optional<std::string> labelledBy;
        std::optional<std::string> help;  // "AXHelp" of buttons
    };
    static ElementFacts factsOf(const Element& element, const Answers& answers);

    static constexpr std::size_t cacheWorthFromElements = 32;
    // A level of up to this many elements to ask has its names asked with the roles, before the roles
    // are known: a round costs more than a few calls too many (a new prompt, a message's lines).
    static constexpr std::size_t askedAtOnce = 32;
    // Lists of children up to this long are read whole whatever the limits.
    static constexpr std::size_t listReadWhole = 1024;

private:
    struct Node {
        Element element;
        std::size_t depth;
        Answers answers;
        std::int32_t childCount = -1;
        bool statesWanted = false;  // by its role, once its name came with its role
    };
    enum class Asked { states, relations, help, textLength };  // what a call of the last rounds asks of a node

    // Level by level, each level's calls in flight at once; once the read has come upon
    // `cacheWorthFromElements` elements, what the application's cache holds of an element is not asked.
    std::vector<Node> readByLevels(const ElementList& roots, WalkLimits limits,
                                   const AccessibilityPlatform::KnownElement& known);
    // The phases of one level, nodes[begin, end): false when the application stopped answering.
    // What the cache holds of the level's nodes; the indexes of those it does not hold.
    std::vector<std::size_t> takeFromCache(std::vector<Node>& nodes, std::size_t begin, std::size_t end,
                                           const ApplicationCache* cache);
    // With `withNames`, names too, in the same round, asked before the roles are known; the states of
    // those whose role calls for them wait for the labels' round.
    bool readRolesAndCounts(std::vector<Node>& nodes, const std::vector<std::size_t>& asked, ProcessId process,
                            bool withNames);
    // Names and states only where the walks read them: of buttons, texts and windows.
    bool readNamesAndStates(std::vector<Node>& nodes, const std::vector<std::size_t>& asked, ProcessId process);
    static void takeRoleAndCount(Node& node, const BusReply& role, const BusReply& count);
    static void takeName(Answers& answers, const BusReply& reply);
    static void takeStates(Answers& answers, const BusReply& reply);
    // The children of the level's nodes, the next level made of those to read.
    bool readChildLists(std::vector<Node>& nodes, std::size_t begin, std::size_t end, WalkLimits limits,
                        const AccessibilityPlatform::KnownElement& known, ProcessId process);
    // Labels from labelled-by relations of buttons and the text of fields and of blank-named texts and
    // buttons, which neither the cache nor the first calls of a level carry; and the states still wanted.
    void readLabelsAndValues(std::vector<Node>& nodes);
    // The second round: the labelling elements' names and the texts, from the first round's `replies` to
    // the calls `askedFor` (node, what the call asked of it).
    void readLabelsAndTexts(std::vector<Node>& nodes, const std::vector<std::pair<std::size_t, Asked>>& askedFor,
                            const std::vector<BusReply>& replies);
    bool failed(const std::vector<BusReply>& replies, ProcessId process);

    Bus& bus_;
    platform::UnresponsiveProcesses& unresponsive_;
    CacheSource cacheOf_;
    TextReads texts_ = TextReads::included;  // of the read in progress
};

}  // namespace ondrel::atspi
