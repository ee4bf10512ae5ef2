#pragma once

// How the watcher sees the target: its scannable windows, the buttons to press in them, every
// labelled button for listings, and the text under an element. It never presses anything.

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/Accessibility.h"
#include "core/BreadthFirstWalk.h"

namespace ondrel {

inline constexpr std::string_view velquinApplicationId = "dev.velquin.desktop";

inline constexpr WalkLimits buttonWalkLimits{20000, 60};
inline constexpr WalkLimits textWalkLimits{3000, 25};
inline constexpr int promptAncestorLimit = 6;

struct TargetWindow {
    Element element;
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

class Scanner {
public:
    explicit Scanner(AccessibilityPlatform& platform) : platform_(platform) {}

    AccessibilityPlatform& platform() { return platform_; }

    // The target's windows that can be scanned, warning about minimized ones once per title for as long
    // as some window with that title stays minimized, and once per title about windows that hide their content.
    std::vector<TargetWindow> targetWindows();

    // Enabled buttons under `root` whose label matches one of `labels`, in breadth-first order.
    std::vector<FoundButton> findButtons(const Element& root, const std::vector<std::string>& labels, bool contains);

    // Every non-empty button label under `root`, as shown, in breadth-first order, duplicates kept.
    std::vector<std::string> buttonLabels(const Element& root);

    // The first non-blank of "AXDescription", "AXTitle", "AXValue", trimmed; empty when none.
    std::string buttonLabel(const Element& element);

    bool isEnabled(const Element& element);

    // Lower-cased static text under `root`, stopping once it holds more than `budget` characters. Adds the
    // number of elements the walk examined to `examined` when given.
    std::string gatherText(const Element& root, std::size_t budget, std::size_t* examined = nullptr);

private:
    AccessibilityPlatform& platform_;
    std::set<std::string, std::less<>> warnedTitles_;   // titles of minimized windows already warned about
    std::set<std::string, std::less<>> advisedTitles_;  // windows already advised about hidden content
};

}  // namespace ondrel
