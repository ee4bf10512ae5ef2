// SPDX-License-Identifier: MIT
#pragma once

// The text a user reads under an element, for safe mode to judge: what static texts say, what text fields
// hold (their names too) and the titles of groups, each text counted once however the platform nests it.
// What lies inside buttons is told apart: their labels name the answers. A static text
// that has children is read with them as one piece: where its own text marks an embedded object (U+FFFC,
// the hypertext model of web pages) the object's text stands in that place, and children that only
// repeat runs of its text (a paragraph and its runs) are not counted again. Children that tell more than
// the text (a label over other content) are kept beside it, so nothing is lost.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Accessibility.h"

namespace ondrel {

struct GatheredText {
    std::string text;            // in matching form (text::matchingForm), pieces joined by a space
    std::size_t characters = 0;  // user-perceived characters of `text`
    std::size_t pieces = 0;      // texts, fields and titles it was gathered from
    std::size_t piecesOutside = 0;  // of those, the ones outside buttons: what a prompt asks, not answers
    bool whole = true;           // nothing was left unread, neither for the walk's limits nor for the budget
    bool overBudget = false;     // the walk stopped because the pieces held more than the budget
};

// Whether elements of this role hold text a prompt is made of: static texts and text fields.
bool holdsText(const std::optional<std::string>& role);

class TextWalk {
public:
    TextWalk(AccessibilityPlatform& reads, WalkLimits limits) : reads_(reads), limits_(limits) {}

    // In the order the user reads, from `root` (depth 0), every element counting towards the limits,
    // stopping as soon as the pieces hold more than `budget` characters (the piece that went over stays):
    // an over-long container costs about `budget` characters of reading, however wide it is.
    GatheredText under(const Element& root, std::size_t budget);

    // Elements taken by every walk of this object so far.
    std::size_t examined() const { return examined_; }

private:
    struct Pending {
        Element element;
        std::size_t depth;
        bool inButton;
    };
    // Counts an element at `depth` as taken; false, and the walk not whole, when the limits drop it.
    bool take(std::size_t depth);
    // How many more elements the limits let the walk take beyond those already queued.
    std::size_t room() const;
    ElementList childrenWithinRoom(const Element& element);
    // A text element's text with its children's (static texts), or a field's name and content.
    std::string textOf(const Element& element, const std::optional<std::string>& role, std::size_t depth);
    std::string composed(const Element& element, std::size_t depth);
    // `own` with the element's children's texts in the places it marks (see aligned()).
    std::string composedWith(const std::string& own, const Element& element, std::size_t depth);
    std::string fieldText(const Element& element, std::size_t depth);
    // The first text of "AXDescription" and "AXTitle", trimmed.
    std::string nameOf(const Element& element);

    AccessibilityPlatform& reads_;
    WalkLimits limits_;
    std::size_t examined_ = 0;
    std::size_t walkExamined_ = 0;  // of the walk in progress
    std::vector<Pending> pending_;  // depth first: the next element to take is last
    bool whole_ = true;
};

}  // namespace ondrel
