// SPDX-License-Identifier: MIT
#pragma once

// One decision a pass made on a button, as the history keeps it: one JSON object on a line of its own,
// so that `jq` reads the history as it is and a reader can always tell a whole record from part of one.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/Accessibility.h"

namespace ondrel {

// The most characters (code points) of a prompt's text a record keeps.
inline constexpr std::size_t recordedPromptLimit = 4000;

enum class Decision { pressed, left, dryRun, failed };

// As the record writes it: "pressed", "left" (by safe mode, for the user), "dry-run", "failed".
std::string_view decisionWord(Decision decision);
std::optional<Decision> decisionNamed(std::string_view word);

// Every member has an initializer, so that a record can be written with only the members it needs.
struct DecisionRecord {
    std::string time{};    // "2026-12-05T08:36:33Z", as the activity log writes it
    std::string window{};  // title and label as the activity log's lines show them (escaped)
    std::string button{};
    Decision decision = Decision::pressed;
    std::string pattern{};   // the danger fragment safe mode found, if that is why it left the prompt
    std::string reason{};    // why it was left or the press failed, as the log words it
    std::string prompt{};    // the prompt's text as safe mode judged it (matching form): another program's text
    bool promptCut = false;  // the prompt went on past recordedPromptLimit characters
    ProcessId process = 0;
    std::string identity{};  // the rule by which the platform knew the process for Velquin

    bool operator==(const DecisionRecord&) const = default;
};

// Sets the record's prompt text, cut after recordedPromptLimit characters.
void setPromptText(DecisionRecord& record, std::string_view text);

// The record as one JSON object and a line feed. Text that is not UTF-8 is written with U+FFFD.
std::string recordLine(const DecisionRecord& record);

// The record a line holds; none for anything else (a torn, foreign or garbled line).
std::optional<DecisionRecord> parseRecordLine(std::string_view line);

}  // namespace ondrel
