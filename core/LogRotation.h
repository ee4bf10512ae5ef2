// SPDX-License-Identifier: MIT
#pragma once

// Keeps the activity log bounded: when a record would take the file past its limit, the file becomes
// "<path>.1" (replacing an older one) and a new file is begun. The file's advisory lock covers the size
// check, the rename and the write, so processes that log (and rotate) at the same time lose and tear no
// line.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ondrel {

inline constexpr std::uintmax_t logFileLimit = std::uintmax_t{10} * 1024 * 1024;

// Opens `path` for appending, creating it when missing; -1 on failure.
using AppendOpener = int (*)(const std::string& path);

// Returns a descriptor open for appending to `path`, holding the file's exclusive lock, with room for
// `recordSize` more bytes within `limit` (a record larger than the limit gets an empty file to itself).
// Closing the descriptor releases the lock. -1 when the file cannot be opened or locked.
int openLogForRecord(const std::string& path, std::size_t recordSize, std::uintmax_t limit, AppendOpener open);

}  // namespace ondrel
