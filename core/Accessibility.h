// SPDX-License-Identifier: MIT
#pragma once

// The accessibility interface: the few platform operations the watcher needs, in the platform's own
// vocabulary ("AXRole", "AXChildren", "AXPress", ...). Backends translate; every decision stays in core.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

#include "core/AccessibilityNames.h"

namespace ondrel {

// A node of another process's accessibility tree. Backends derive from it; the core only holds
// and hands back references. Reference-counted through Element; released when the last one goes.
class ElementHandle {
public:
    virtual ~ElementHandle() = default;

    // Whether both handles name the same node. By default a node has one handle; a backend that hands
    // out a fresh handle for every read overrides both, giving handles of one node the same hash.
    virtual bool sameNode(const ElementHandle& other) const { return this == &other; }
    virtual std::size_t nodeHash() const { return std::hash<const ElementHandle*>{}(this); }
};

using Element = std::shared_ptr<const ElementHandle>;  // null means none
using ElementList = std::vector<Element>;

// Sets and maps of elements that tell nodes apart, not handles.
struct NodeHash {
    std::size_t operator()(const Element& element) const { return element ? element->nodeHash() : 0; }
};
struct SameNode {
    bool operator()(const Element& a, const Element& b) const { return a == b || (a && b && a->sameNode(*b)); }
};
using NodeSet = std::unordered_set<Element, NodeHash, SameNode>;
template <typename Value>
using NodeMap = std::unordered_map<Element, Value, NodeHash, SameNode>;
using ProcessId = std::int64_t;

// A value of a kind the core does not read (a point, a range, a list of texts, ...).
struct OtherValue {
    std::string kind;
    bool operator==(const OtherValue&) const = default;
};

// What a successful copy hands over: absent (monostate), text, Boolean, number, element,
// list of elements, or another kind.
using AttributeValue = std::variant<std::monostate, std::string, bool, double, Element, ElementList, OtherValue>;

// What became of an action asked of an element ("AXPress").
struct ActionResult {
    enum class Outcome {
        done,    // carried out
        gone,    // the element is no longer there: its prompt was answered and closed, say
        busy,    // not confirmed in time; it may still happen
        failed,  // refused or impossible
    };
    Outcome outcome = Outcome::failed;
    std::string reason;  // why it was not done, for the user, worded by the platform

    static ActionResult done() { return {Outcome::done, {}}; }
    bool operator==(const ActionResult&) const = default;
};

// How far a walk of a subtree goes: every element taken from the queue counts towards `maxExamined`,
// and elements deeper than `maxDepth` below the root (depth 0) are dropped.
struct WalkLimits {
    std::size_t maxExamined;
    std::size_t maxDepth;
};

// Whether a bulk read takes what texts say (the words of static texts, the names and contents of fields):
// a search for buttons needs none of it, only the prompts around the buttons it finds.
enum class TextReads { included, leftOut };

// What a bulk read learned of one element: attribute values as successful copies would have handed them
// back at that moment. "AXChildren" is only ever the complete list.
struct ElementFacts {
    Element element;
    std::map<std::string, AttributeValue, std::less<>> attributes;
};

// What the user is told where the platform's own settings or limits are involved. Each backend words
// it for its platform, so that nothing outside the backend names one.
struct PlatformWording {
    std::string permissionMissing;  // the command-line modes' line while the permission is missing
    std::string minimizedWindow;    // follows "WARNING: window [<title>] is minimized. "
    std::string permissionBanner;   // the window's banner while the permission is missing
    std::string pressFailed;        // starts the line of a press that failed: "<this> in [<title>]: <why>"
};

// What a reported change changed: what a walk finds (elements added or removed, enabled or disabled,
// shown or hidden, windows opened or closed), only what an element says (its name, its text), the
// element is gone for good (its parent's list of children is out of date then), or the element's list of
// children gained one child and is otherwise as it was.
enum class ChangeKind { structure, text, removed, added };

// A change a platform reports.
struct Change {
    ProcessId process = 0;  // 0 when the applications themselves changed (one started, registered or ended)
    Element element{};      // what changed (its children, its states), or null when the platform cannot say
    ChangeKind kind = ChangeKind::structure;
    Element child{};           // for `added` and `removed`: the child put in or taken out
    std::size_t position = 0;  // for `added`: where it stands in the element's list of children
};

// What became of the platform's own connection to the accessibility service.
enum class ServiceEvent {
    lost,          // it went away; it is looked for again
    restored,      // it is back: nothing read before counts any more
    sessionEnded,  // it went with the user's session, for good: the program should end
};

class AccessibilityPlatform {
public:
    virtual ~AccessibilityPlatform() = default;

    // Whether this process may read and press other applications' elements.
    virtual bool isProcessTrusted() = 0;
    // Asks the system to grant that permission (shows its own prompt where it has one).
    virtual void requestTrust() = 0;
    // Whether a grant counts for this process as soon as it is given. Where it does not (macOS tells only
    // a process started afterwards), the program must restart to use it.
    virtual bool grantTakesEffectAtOnce() const { return false; }
    // nullopt while the accessibility service can be reached at all; otherwise, for the user, what is
    // missing and how to get it. Not a permission question: no grant can help, so nobody should wait.
    virtual std::optional<std::string> unavailableReason() { return std::nullopt; }
    virtual const PlatformWording& wording() const = 0;

    // Processes of the application with this id, in the platform's order.
    virtual std::vector<ProcessId> runningProcesses(std::string_view applicationId) = 0;
    // The root element of a process; null when the platform cannot give one.
    virtual Element applicationElement(ProcessId process) = 0;
    // By which rule the last runningProcesses() took `process` for the application, in a word for the
    // history ("bus-name", "bundle-id", ...); empty when it cannot say.
    virtual std::string identityRule(ProcessId process) {
        (void)process;
        return {};
    }

    // Whether the value was written.
    virtual bool setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) = 0;
    // nullopt is a failed copy; a successful one may still hand back an absent value.
    virtual std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) = 0;
    // Up to `maxValues` entries of a list attribute from `index` on. Backends that can read a part of
    // a list without fetching the whole of it override this; the default copies and cuts.
    virtual std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                              std::size_t index, std::size_t maxValues);
    virtual ActionResult performAction(const Element& element, std::string_view action) = 0;

    // For a window that keeps its content from accessibility in a way the user can change (a web
    // runtime started without its accessibility switch, say): what to do about it. nullopt otherwise.
    virtual std::optional<std::string> hiddenContentAdvice(const Element& window) {
        (void)window;
        return std::nullopt;
    }

    // How many children each element has, as fast as the platform can tell; none where it cannot. The
    // default reads each element's list.
    virtual std::vector<std::optional<std::size_t>> childCounts(const ElementList& elements);

    // The elements below `root` with `role`, every one of them, in document order (depth first), found in
    // one request where the application can search its own tree; nullopt where it cannot, or where they
    // are `maxElements` or more (then a walk finds them).
    virtual std::optional<ElementList> findByRole(const Element& root, std::string_view role, std::size_t maxElements) {
        (void)root;
        (void)role;
        (void)maxElements;
        return std::nullopt;
    }

    // Whether the application, counting its own tree, tells that it holds fewer than `maxElements`
    // elements below `root`; false where it cannot tell.
    virtual bool holdsFewerThan(const Element& root, std::size_t maxElements) {
        (void)root;
        (void)maxElements;
        return false;
    }

    // Called once at the start of every scan, before the first read; backends that keep per-scan
    // state (such as which processes stopped answering) reset it here.
    virtual void beginScan() {}

    // Reads in bulk, as fast as the platform can, what a breadth-first walk of the subtree under `root`
    // within `limits` reads of its elements ("AXRole", "AXTitle", "AXDescription", "AXEnabled",
    // "AXMinimized", "AXChildren", "AXParent", and "AXValue" where title and description are blank).
    // Whatever it leaves out is read element by element, so leaving out is always correct: what texts say
    // may be left out as `texts` asks. Elements `known` accepts (the caller has their facts, and so of all
    // below them) need not be read again. The default learns nothing.
    using KnownElement = std::function<bool(const Element& element)>;
    virtual std::vector<ElementFacts> readSubtree(const Element& root, WalkLimits limits, const KnownElement& known,
                                                  TextReads texts) {
        (void)root;
        (void)limits;
        (void)known;
        (void)texts;
        return {};
    }

    // As readSubtree, below each of `roots` (children of one element) at once, level by level.
    virtual std::vector<ElementFacts> readSubtrees(const ElementList& roots, WalkLimits limits,
                                                   const KnownElement& known, TextReads texts) {
        std::vector<ElementFacts> facts;
        for (const Element& root : roots) {
            std::vector<ElementFacts> more = readSubtree(root, limits, known, texts);
            facts.insert(facts.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        }
        return facts;
    }

    // A walk is about to read the children of `element` one by one, and what lies `limits` below it: a
    // platform that answers from what it read may read that in bulk first. Only a hint; the default
    // reads nothing ahead.
    virtual void readAheadBelow(const Element& element, WalkLimits limits) {
        (void)element;
        (void)limits;
    }

    // From now on tells `onChange` about changes to a process's tree (elements added or removed, enabled
    // or disabled, shown or hidden, windows opened or closed) and to the applications. It may be called
    // on any thread and in bursts, so it should only take note. Returns false when the platform cannot
    // tell: then nothing read may be trusted past the scan that read it. A later call replaces `onChange`;
    // once it returns, the listener it replaced is neither running nor called again.
    using ChangeListener = std::function<void(const Change& change)>;
    virtual bool watchChanges(ChangeListener onChange) {
        (void)onChange;
        return false;
    }
    // Whether, once changes are watched, every change of a name or a text is reported too: then what was
    // read of texts holds until a change says otherwise.
    virtual bool reportsTextChanges() const { return false; }

    // From now on tells `onEvent` (on any thread) what becomes of the platform's connection to the
    // accessibility service, with a line for the log worded by the platform. A later call replaces it.
    using ServiceListener = std::function<void(ServiceEvent event, const std::string& message)>;
    virtual void watchService(ServiceListener onEvent) { (void)onEvent; }
};

// The backend compiled into this build for the platform it runs on.
std::unique_ptr<AccessibilityPlatform> createPlatform();

}  // namespace ondrel
