// SPDX-License-Identifier: MIT
#pragma once

// What the scanner read of Velquin's trees, kept while the platform reports no change there, so that
// a pass over an unchanged Velquin asks it nothing. It stands between the scanner and the platform:
// what it holds is answered from memory, everything else is asked of the platform. Subtrees are read
// ahead in bulk where the platform can. When the platform cannot report changes, memory lasts one
// scan; when it can, the lists of children it holds are checked every `verifySeconds` (what differs is
// read again) and everything is read afresh every `fullRereadSeconds` all the same, in case a change went
// unreported.

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>

#include "core/Accessibility.h"

namespace ondrel {

class ReadMemory final : public AccessibilityPlatform {
public:
    using Clock = std::chrono::steady_clock;
    // Everything is read afresh this often; in between, the lists of children are checked this often.
    static constexpr double fullRereadSeconds = 600.0;
    static constexpr double verifySeconds = 30.0;
    // How long a process's first reads are not kept across scans: its tree may still be filling in.
    static constexpr double settleSeconds = 2.0;
    // How far up a changed element is followed to an element memory knows.
    static constexpr int ancestorSearchLimit = 16;
    // How many changed elements one scan follows up one by one; more, and their processes are read afresh.
    static constexpr std::size_t climbsAtMost = 256;

    explicit ReadMemory(AccessibilityPlatform& live, std::function<Clock::time_point()> now = Clock::now)
        : live_(live), now_(std::move(now)) {}
    // The platform outlives memory (the program ends with it): it must no longer tell memory of changes.
    ~ReadMemory() override;
    ReadMemory(const ReadMemory&) = delete;
    ReadMemory& operator=(const ReadMemory&) = delete;

    // Reads the subtree under `root`, which belongs to `process`, in bulk unless memory holds it.
    void readAhead(ProcessId process, const Element& root, WalkLimits limits, TextReads texts);
    // Reads what a walk reads of each of `elements` (of one application, for this scan alone), all at once.
    void readAheadOf(const ElementList& elements, TextReads texts);
    // Reads again, in bulk, what changes made memory forget of elements it knew, and what is new below
    // them; what it still knows below them is not read.
    void refreshChanged(WalkLimits limits);
    // Starts remembering across scans if the platform can report changes; `onChange` hears of each
    // change (on any thread), after memory has taken note of it.
    bool keepAcrossScans(std::function<void(ProcessId process)> onChange);
    bool keptAcrossScans() const { return watching_; }
    // Any thread: the next scan reads everything afresh.
    void forgetEverything() {
        std::lock_guard lock(changedMutex_);
        everythingChanged_ = true;
    }

    // The platform, answered from memory where memory knows.
    bool isProcessTrusted() override { return live_.isProcessTrusted(); }
    void requestTrust() override { live_.requestTrust(); }
    std::optional<std::string> unavailableReason() override { return live_.unavailableReason(); }
    const PlatformWording& wording() const override { return live_.wording(); }
    std::vector<ProcessId> runningProcesses(std::string_view applicationId) override;
    Element applicationElement(ProcessId process) override { return live_.applicationElement(process); }
    bool setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) override {
        return live_.setAttribute(element, attribute, value);
    }
    std::optional<AttributeValue> copyAttribute(const Element& element, std::string_view attribute) override;
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override;
    ActionResult performAction(const Element& element, std::string_view action) override {
        return live_.performAction(element, action);
    }
    void beginScan() override;
    void readAheadBelow(const Element& element, WalkLimits limits) override;
    std::optional<std::string> hiddenContentAdvice(const Element& window) override {
        return live_.hiddenContentAdvice(window);
    }
    bool reportsTextChanges() const override { return live_.reportsTextChanges(); }
    std::optional<ElementList> findByRole(const Element& root, std::string_view role,
                                          std::size_t maxElements) override {
        return live_.findByRole(root, role, maxElements);
    }
    bool holdsFewerThan(const Element& root, std::size_t maxElements) override {
        return live_.holdsFewerThan(root, maxElements);
    }

private:
    struct Entry {
        ProcessId process;
        std::map<std::string, AttributeValue, std::less<>> attributes;
    };
    const std::map<std::string, AttributeValue, std::less<>>* known(const Element& element) const;
    void forgetChanged();
    void verifyChildCounts();
    void forgetTexts(const NodeSet& changed);
    // A list of children that gained or lost one child, as reported: kept up to date where the live list
    // is provably what memory holds with that one change, forgotten (to be read again) otherwise.
    // False when the parent is not one memory holds the list of: the change is placed as any other then.
    bool placeAdded(const Change& added, NodeSet& refreshing);
    bool placeRemoved(const Change& removed, NodeSet& refreshing);
    ElementList* heldChildren(const Element& parent);
    // Whether the live list of children of `parent` has `count` children.
    bool hasChildCount(const Element& parent, std::size_t count);
    // Memory forgets `element` and reads it again in the next refresh.
    void refresh(ProcessId process, const Element& element, NodeSet& refreshing);
    // Memory forgets `element` and everything it holds below it: gone from Velquin, nothing asks for it again.
    void forgetSubtree(const Element& element);
    // Climbs from a changed element to the nearest that memory knows, which is forgotten and read again;
    // false when the climb cannot tell.
    bool placeChange(ProcessId process, const Element& element, NodeSet& refreshing);
    // Takes note of a change reported on any thread; whether a scan should follow it.
    bool noteChange(const Change& change);
    void remember(ProcessId process, std::vector<ElementFacts> read);
    void forgetProcesses(const std::set<ProcessId>& processes);
    void settleFirstReads();

    AccessibilityPlatform& live_;
    std::function<Clock::time_point()> now_;
    bool watching_ = false;
    bool listening_ = false;  // a listener was handed to the platform, to be taken back when memory goes
    Clock::time_point lastFullRead_{};
    Clock::time_point lastVerified_{};
    NodeMap<Entry> entries_;
    NodeSet readAhead_;            // roots already read ahead
    std::mutex changedMutex_;      // guards what changes write on any thread: the lists below and knownButtons_
    std::set<ProcessId> changed_;  // processes changed as a whole
    std::vector<std::pair<ProcessId, Element>> changedElements_;  // elements changed on their own
    NodeSet textChanged_;                                         // elements whose name or text changed
    std::vector<Change> childChanges_;                            // children added or removed, in the order reported
    NodeSet knownButtons_;  // buttons memory holds, whose label changing decides what a scan finds
    bool everythingChanged_ = false;
    std::vector<ProcessId> lastRunning_;                // the processes of the last scan, to notice one that ended
    std::map<ProcessId, Clock::time_point> firstRead_;  // when each running process was first read
    // Forgotten for a change, to be read again; a new child with the parent whose list it was put in.
    struct Refresh {
        ProcessId process;
        Element element;
        Element parent;
        ElementList formerChildren;  // those not listed when it is read again are gone
    };
    std::vector<Refresh> toRefresh_;
};

}  // namespace ondrel
