// SPDX-License-Identifier: MIT
#pragma once

// The prompt text around the buttons found in one window, for safe mode to judge: what the user reads as
// that button's prompt. The climb follows the way the walk came to a button, so it never leaves the window,
// and takes the largest container of the button whose text fits within the limit:
// - one prompt, one box: it stops below a container that holds another prompt's button (one the pass found
//   outside the button's own box, where buttons side by side belong to one prompt);
// - a container around a single child is no level of its own;
// - where it stops at a container whose text is too long, the prompt is still judged whole: that container's
//   whole text when nothing below it held text and it is one prompt's box rather than a conversation (its
//   text comes in few pieces); otherwise, beside the text that fit, the nearest neighbour with text on each
//   side of the button's branch, each whole (a long message in a few texts too; when it holds more than
//   that, its part nearest the button). Where it stops at another prompt's container, the neighbours too, but a text below that
//   another prompt's buttons follow is that prompt's question, and a prompt that asks nothing of its own,
//   with no text beside it before another prompt's buttons (a grid of prompts), cannot be told apart;
// - the titles of dialogs the button lies in are part of its prompt.
// A container's text is gathered once however many buttons lie in it, and all the gathers for one window
// examine about promptWalkAllowance elements at most, whatever the tree.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Scanner.h"
#include "core/TextWalk.h"

namespace ondrel {

inline constexpr std::size_t promptWalkAllowance = 2 * buttonWalkLimits.maxExamined;
// A long container whose text comes in more pieces than this (the labels of buttons and choices apart)
// reads as a conversation, not one prompt's box or one message.
inline constexpr std::size_t piecesOfOnePrompt = 8;

class PromptReader {
public:
    // `limit` is the most characters a container's text may hold to be taken by the climb. `found` holds
    // every button the pass found in the window.
    PromptReader(Scanner& scanner, std::size_t limit, const std::vector<FoundButton>& found);

    // The prompt text of `button`, in matching form. None when it cannot be read whole (the allowance is
    // spent, or the walk's limits leave part of it unread), or cannot be told apart from another prompt's:
    // such a prompt cannot be judged.
    std::optional<std::string> textAround(const FoundButton& button);
    enum class Unread { tooLarge, notToldApart };
    // Why the last textAround() gave none.
    Unread whyUnread() const { return whyUnread_; }

private:
    struct Gathered {
        GatheredText text;
        std::size_t budget;
    };
    // Null when the allowance is spent.
    const Gathered* gathered(const Element& container, std::size_t budget);
    // The whole text under `element`; none when part of it cannot be read.
    std::optional<std::string> wholeText(const Element& element);
    enum class Stop { tooLong, anotherPrompt };
    // Where the climb stopped at `container`, coming from `branch`: the text beside `best` that is also the
    // prompt's. None when it cannot be read.
    // `asked`: whether `best` holds more than the labels of buttons.
    std::optional<std::string> beyondTheFit(Stop stop, const Element& container, const Element& branch,
                                            const std::string& best, bool asked);
    // The texts of the first `texts` of `elements` from `from` on, going by `step`, that hold text; fewer
    // where one that holds another prompt's button comes first, or where a text is the question of the
    // prompt below. None when it cannot be read.
    std::optional<std::string> nearestText(const ElementList& elements, std::size_t from, int step,
                                           std::size_t texts);
    // The element's text whole, or when it holds more than a prompt's part, its part nearest the button
    // (its end for `step` -1, its start for +1).
    std::optional<std::string> partNearest(const Element& element, int step);
    // Whether the next of `elements` after `at` that holds anything holds another prompt's button.
    bool anotherPromptFollows(const ElementList& elements, std::size_t at);
    // The titles of the dialogs that hold the button, outermost last.
    std::string dialogTitles(const WalkPath* container);
    // The element's title when it is a dialog, in matching form; "" otherwise.
    const std::string& dialogTitle(const Element& element);
    std::size_t buttonsUnder(const Element& element) const;

    Scanner& scanner_;
    std::size_t limit_;
    Unread whyUnread_ = Unread::tooLarge;
    TextWalk walk_;
    NodeMap<Gathered> gathered_;
    NodeMap<std::size_t> buttonsUnder_;
    NodeMap<std::string> dialogTitles_;  // found buttons in each container on their ways, themselves counting one
};

}  // namespace ondrel
