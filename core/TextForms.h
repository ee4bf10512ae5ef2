// SPDX-License-Identifier: MIT
#pragma once

// How texts are written into lines: the start lines' interval and label list, and another
// application's text inside a log line or a listing.

#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

// Plain decimal that reads back as the same number, whole numbers with ".0" (1 -> "1.0", 100000 ->
// "100000.0"); the shortest exponent form only when the plain form needs more than 17 significant digits.
std::string formatInterval(double seconds);

// ["Allow", "Run"]: each label quoted, with '"' and '\' escaped and line-breaking characters escaped
// as in escapeForLine.
std::string formatLabelList(const std::vector<std::string>& labels);

// Another application's text made safe to stand inside one line: control characters, line and paragraph
// separators and bidirectional controls are written as escapes ("\n", "\r", "\t", "\u{1b}"), bytes that
// are not UTF-8 as "\x{ff}"; everything else stays as it is. A title or label then can neither start a
// line of its own nor reach the terminal as an escape sequence.
std::string escapeForLine(std::string_view text);

}  // namespace ondrel
