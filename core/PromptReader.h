// SPDX-License-Identifier: MIT
#pragma once

// The prompt text around the buttons found in one window, for safe mode to judge. The climb follows
// the way the walk came to a button, so it never leaves the window. A container's text is gathered
// once however many buttons lie in it, and all the gathers for one window examine about
// promptWalkAllowance elements at most, whatever the tree.

#include <cstddef>
#include <optional>
#include <string>

#include "core/Scanner.h"

namespace ondrel {

inline constexpr std::size_t promptWalkAllowance = 2 * buttonWalkLimits.maxExamined;

class PromptReader {
public:
    // `limit` is the most characters a container's text may hold to be taken whole.
    PromptReader(Scanner& scanner, std::size_t limit) : scanner_(scanner), limit_(limit) {}

    // The lower-cased text of the largest container of the button, at most six levels up and the window
    // the highest, whose text fits within the limit; when even the nearest container's text does not
    // fit, the text gathered from that container (about four times the limit). None when the allowance
    // was spent before the text could be read: such a prompt cannot be judged.
    std::optional<std::string> textAround(const FoundButton& button);

    std::size_t examined() const { return examined_; }

private:
    struct Gathered {
        std::string text;
        std::size_t characters;
        std::size_t budget;  // how far the gathering went before it could stop
    };
    // Null when the allowance is spent.
    const Gathered* gathered(const Element& container, std::size_t budget);

    Scanner& scanner_;
    std::size_t limit_;
    std::size_t examined_ = 0;
    NodeMap<Gathered> gathered_;
};

}  // namespace ondrel
