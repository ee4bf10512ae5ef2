// SPDX-License-Identifier: MIT
#include "core/TextWalk.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/AccessibilityReads.h"
#include "core/Text.h"

namespace ondrel {
namespace {

constexpr std::string_view objectMark = "\xEF\xBF\xBC";  // U+FFFC
// How many children of an element are read ahead together: about what fills the budget of a prompt's
// text, not a conversation's thousands of messages, most of which an over-long container never reaches.
constexpr std::size_t readAheadWidth = 16;

bool isField(const std::optional<std::string>& role) {
    return role == ax::role::textArea || role == ax::role::textField;
}

void appendPiece(std::string& joined, std::string_view piece) {
    if (text::trimmed(piece).empty())
        return;
    if (!joined.empty())
        joined += ' ';
    joined += piece;
}

// `own` with the children's texts in the places it marks for embedded objects, and its runs that a child
// repeats taken once. When the children do not spell out `own` that way, both are kept, one after the other.
std::string aligned(std::string_view own, const std::vector<std::string>& children) {
    std::string result;
    std::size_t at = 0;
    for (const std::string& child : children) {
        const std::string_view rest = own.substr(at);
        if (rest.starts_with(objectMark)) {
            result += child;
            at += objectMark.size();
        } else if (!child.empty() && rest.starts_with(child)) {
            result += child;
            at += child.size();
        } else if (!text::trimmed(child).empty()) {
            std::string both = text::withoutObjectReplacements(own);
            for (const std::string& piece : children)
                appendPiece(both, piece);
            return both;
        }
    }
    result += text::withoutObjectReplacements(own.substr(at));
    return result;
}

}  // namespace

bool holdsText(const std::optional<std::string>& role) {
    return role == ax::role::staticText || isField(role);
}

bool TextWalk::take(std::size_t depth) {
    ++examined_;
    ++walkExamined_;
    if (walkExamined_ > limits_.maxExamined || depth > limits_.maxDepth) {
        whole_ = false;
        return false;
    }
    return true;
}

std::size_t TextWalk::room() const {
    const std::size_t used = walkExamined_ + pending_.size();
    return used < limits_.maxExamined ? limits_.maxExamined - used : 0;
}

ElementList TextWalk::childrenWithinRoom(const Element& element) {
    const std::size_t room = this->room();
    // One more than there is room for tells whether the list was cut.
    ElementList children = readChildren(reads_, element, room + 1);
    if (children.size() > room) {
        children.resize(room);
        whole_ = false;
    }
    return children;
}

GatheredText TextWalk::under(const Element& root, std::size_t budget) {
    walkExamined_ = 0;
    whole_ = true;
    pending_.clear();
    if (limits_.maxExamined > 0) {
        // The root with its children, in one go: what lies below is read ahead as the walk reaches it.
        reads_.readAheadBelow(root, {std::min(room(), readAheadWidth) + 1, 1});
        pending_.push_back({root, 0, false});
    }
    std::string joined;
    std::size_t total = 0;
    std::size_t pieces = 0;
    std::size_t piecesInButtons = 0;
    bool overBudget = false;
    while (!pending_.empty()) {
        Pending entry = std::move(pending_.back());
        pending_.pop_back();
        if (!take(entry.depth))
            continue;
        const auto role = readText(reads_, entry.element, ax::attribute::role);
        // Texts inside a button (GTK 4 puts its label there, an expander its title) count, but apart, and
        // so do the labels of choices beside the answers ("Remember this decision").
        const bool inButton = entry.inButton || role == ax::role::button ||
                              (holdsText(role) && readText(reads_, entry.element, ax::attribute::subrole) ==
                                                      std::optional<std::string>(ax::subrole::toggle));
        std::string piece;
        if (holdsText(role)) {
            piece = text::trimmed(textOf(entry.element, role, entry.depth));
        } else {
            // A group's title (a frame's label, a web page's named region) heads what it holds.
            if (role == ax::role::group)
                piece = nameOf(entry.element);
            // The walk takes the children in turn: their facts, and their lists of children, in one go.
            reads_.readAheadBelow(entry.element, {std::min(room(), readAheadWidth) + 1, 1});
            ElementList children = childrenWithinRoom(entry.element);
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                pending_.push_back({std::move(*child), entry.depth + 1, inButton});
        }
        if (piece.empty())
            continue;
        appendPiece(joined, piece);
        ++pieces;
        piecesInButtons += inButton ? 1 : 0;
        total += text::characterCount(piece);
        if (total > budget) {
            overBudget = true;
            whole_ = whole_ && pending_.empty();
            break;
        }
    }
    pending_.clear();
    GatheredText gathered{text::matchingForm(joined), 0, pieces, pieces - piecesInButtons, whole_, overBudget};
    gathered.characters = text::characterCount(gathered.text);
    return gathered;
}

std::string TextWalk::textOf(const Element& element, const std::optional<std::string>& role, std::size_t depth) {
    return isField(role) ? fieldText(element, depth) : composed(element, depth);
}

std::string TextWalk::composed(const Element& element, std::size_t depth) {
    return composedWith(readLabelText(reads_, element).value_or(""), element, depth);
}

std::string TextWalk::composedWith(const std::string& own, const Element& element, std::size_t depth) {
    std::vector<std::string> children;
    for (const Element& child : childrenWithinRoom(element)) {
        if (!take(depth + 1))
            continue;
        // Within a text everything counts: a drop-down shows its choice in a button of its own.
        children.push_back(textOf(child, readText(reads_, child, ax::attribute::role), depth + 1));
    }
    return children.empty() ? text::withoutObjectReplacements(own) : aligned(own, children);
}

std::string TextWalk::nameOf(const Element& element) {
    return text::trimmed(text::withoutObjectReplacements(
        readFirstText(reads_, element, {ax::attribute::description, ax::attribute::title}).value_or("")));
}

std::string TextWalk::fieldText(const Element& element, std::size_t depth) {
    // A field's name says what it holds ("Command"), its content what will happen: both are the prompt's.
    // What lies below a field is its own machinery (scroll bars), unless its content marks embedded
    // objects (a rich document), whose texts stand in their places.
    const std::string name = nameOf(element);
    const std::string value = readText(reads_, element, ax::attribute::value).value_or("");
    const std::string content = text::trimmed(value.find(objectMark) == std::string::npos
                                                  ? value
                                                  : composedWith(value, element, depth));
    if (name.empty() || content.find(name) != std::string::npos)
        return content;
    return content.empty() ? name : name + " " + content;
}

}  // namespace ondrel
