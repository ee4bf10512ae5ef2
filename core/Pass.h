// SPDX-License-Identifier: MIT
#pragma once

// One pass over the target: find the buttons, judge their prompts, press what is safe (or, in list mode,
// print the labelled buttons), logging as it goes. What earlier passes did is kept in a PassMemory, so
// that a pass never presses a button again while it still shows, nor reports a prompt it left twice.

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/Options.h"
#include "core/Scanner.h"

namespace ondrel {

inline constexpr std::size_t promptTextLimit = 600;

// A prompt safe mode left for the user. The title and label are escaped as by escapeForLine; the prompt
// text is as judged (matching form, empty when it was too large to read) and not fit to show as it is.
struct SkippedPrompt {
    std::string windowTitle;
    std::string label;
    std::string objection;  // as the log line words it: prompt mentions "rm -rf", prompt too large to read
    std::string promptText;

    bool operator==(const SkippedPrompt&) const = default;
};

struct PassResult {
    std::int64_t pressed = 0;
    std::int64_t skipped = 0;  // prompts newly left for the user: not left by the pass before
    std::int64_t windows = 0;
    bool running = false;
    std::vector<SkippedPrompt> skippedPrompts;  // every prompt the pass left, in pass order

    bool operator==(const PassResult&) const = default;
};

// What the passes so far did that the next must not do again. A button pressed is not pressed again while
// it still shows (a prompt fading out after its answer), and a prompt left for the user is reported once
// while it stays; each is forgotten by the first pass that no longer meets it, so a prompt that goes and
// comes back is new again. It never holds more than one pass met.
class PassMemory {
public:
    // Whether `button`, labelled `label`, was pressed by an earlier pass and met by every pass since.
    bool pressedBefore(const Element& button, const std::string& label);
    void notePressed(const Element& button, const std::string& label);
    // Whether the pass before left this prompt too; either way this pass left it.
    bool leftBefore(const SkippedPrompt& prompt);
    // Forgets what the pass that ends did not meet.
    void endPass();

private:
    using PromptKey = std::tuple<std::string, std::string, std::string>;  // window title, label, prompt text
    NodeMap<std::string> pressed_;     // by the passes before, with the label pressed
    NodeMap<std::string> pressedNow_;  // met or pressed by this pass
    std::set<PromptKey> left_;
    std::set<PromptKey> leftNow_;
};

// One pass. `memory` carries over from the passes before; a pass of its own starts with an empty one.
PassResult runPass(Scanner& scanner, const Options& opts, PassMemory& memory);
PassResult runPass(Scanner& scanner, const Options& opts);

}  // namespace ondrel
