// SPDX-License-Identifier: MIT
#pragma once

// How the watcher sees the target: its scannable windows, the buttons to press in them, every
// labelled button for listings, and the text under an element. It never presses anything.

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Accessibility.h"
#include "core/BreadthFirstWalk.h"
#include "core/ReadMemory.h"
#include "core/TextWalk.h"

namespace ondrel {

// The target: what the user calls it and the id it is known by (its desktop entry is "<id>.desktop").
inline constexpr std::string_view velquinName = "Velquin";
inline constexpr std::string_view velquinApplicationId = "dev.velquin.desktop";

inline constexpr WalkLimits buttonWalkLimits{20000, 60};
inline constexpr WalkLimits textWalkLimits{3000, 25};
inline constexpr int promptAncestorLimit = 6;

struct TargetWindow {
    Element element;
    ProcessId process = 0;
    // trimmed "AXTitle", "(untitled window)" or "(process <pid>)"; escaped as by escapeForLine, since it is
    // only ever shown in lines
    std::string title;
};

// A button the walk found, and the way the walk came to it: `container` is the walk's path to the
// button's nearest container, whose own containers lead up to the walk's root; null for the root itself.
struct FoundButton {
    Element element;
    WalkPathPtr container;
};

// Cut before the first "(", trimmed and lower-cased, for comparing labels.
std::string normalizeLabel(std::string_view label);

// Each label once, in code-point order (upper case before lower case): how listings show labels.
std::vector<std::string> distinctLabels(std::vector<std::string> labels);

// Reads go through a memory of what was read (see ReadMemory): within a scan always, and across scans
// once watchChanges() found that the platform reports changes.
class Scanner {
public:
    // `now` tells the memory's age, for its full re-reads.
    explicit Scanner(AccessibilityPlatform& platform,
                     std::function<ReadMemory::Clock::time_point()> now = ReadMemory::Clock::now)
        : platform_(platform), memory_(platform, std::move(now)) {}

    // The platform itself, never answered from memory: for presses, and for reading things live.
    AccessibilityPlatform& platform() { return platform_; }
    // The platform as the scanner reads it, through its memory.
    AccessibilityPlatform& reads() { return memory_; }

    // Keeps what was read across scans from now on if the platform reports changes, and tells
    // `onChange` of each (on any thread). Returns whether it does.
    bool watchChanges(std::function<void(ProcessId process)> onChange);
    // Forgets everything read: the next scan reads afresh.
    void forgetEverything() { memory_.forgetEverything(); }
    // Whether answers may be older than this scan (re-read live what must be current).
    bool remembersAcrossScans() const { return memory_.keptAcrossScans(); }
    // Whether Velquin ran at the last targetWindows(), with or without a window to scan.
    bool targetRunning() const { return targetRunning_; }

    // The target's windows that can be scanned, warning about minimized ones once per title for as long
    // as some window with that title stays minimized, and once per title about windows that hide their content.
    std::vector<TargetWindow> targetWindows();

    // Enabled buttons under `root` whose label matches one of `labels`, in breadth-first order.
    std::vector<FoundButton> findButtons(const Element& root, const std::vector<std::string>& labels, bool contains);
    // Whether `element` is an enabled button whose label matches one of `labels`, as findButtons decides.
    bool matches(const Element& element, const std::vector<std::string>& labels, bool contains);

    // Every non-empty button label under `root`, as shown, in breadth-first order, duplicates kept.
    std::vector<std::string> buttonLabels(const Element& root);

    // The first non-blank of "AXDescription", "AXTitle", "AXValue", trimmed; empty when none.
    std::string buttonLabel(const Element& element);

    bool isEnabled(const Element& element);

    // The text under `root` as the user reads it (see TextWalk), in matching form, stopping once it holds
    // more than `budget` characters.
    GatheredText gatherText(const Element& root, std::size_t budget);

private:
    bool matchesWanted(const Element& element, const std::vector<std::string>& wanted, bool contains);
    // The wanted buttons under `root` as a walk of it meets them, each with the walk's way to it, found by
    // the platform's own search: for a window read afresh, whose elements the walk would each ask about.
    // nullopt where the platform cannot search it, or where memory holds it already.
    std::optional<std::vector<FoundButton>> searchedButtons(const Element& root, const std::vector<std::string>& wanted,
                                                            bool contains);
    // Reads ahead, in bulk, a window that targetWindows() left unread for a search.
    void readAheadUnread(const Element& root);

    AccessibilityPlatform& platform_;  // the live platform
    ReadMemory memory_;                // what every read goes through
    bool targetRunning_ = false;
    std::set<std::string, std::less<>> warnedTitles_;    // titles of minimized windows already warned about
    std::set<std::string, std::less<>> advisedTitles_;   // windows already advised about hidden content
    std::vector<std::pair<Element, ProcessId>> unread_;  // windows of this scan not yet read ahead
};

}  // namespace ondrel
