#pragma once

// The activity log: every message becomes "[<UTC time>] <message>" on standard output, goes bare to
// the optional in-process sink, and is appended to the log file. Nothing here ever reports a failure.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/LogRotation.h"

namespace ondrel {

using LogSink = std::function<void(const std::string& message)>;

// Receives every bare message after standard output and before the file. Main thread only.
extern LogSink logSink;

void log(std::string_view message);

// The log file's path, resolved from the environment on first use and kept for the process.
const std::string& logFilePath();

// Where the log file lives for this home and XDG state folder (empty when unset).
std::string logFilePathFor(const std::string& home, const std::string& xdgStateHome);

// "2026-12-05T08:36:33Z": ISO 8601 in UTC with whole seconds.
std::string formatLogTimestamp(std::chrono::system_clock::time_point time);

// Appends bytes to the file in one write with O_APPEND under the file's lock, creating the file (and, on
// Linux, its folder) when missing, and first moving a file that the bytes would take past `limit` to
// "<path>.1". Returns false on any failure, which callers are free to ignore.
bool appendToFile(const std::string& path, std::string_view bytes, std::uintmax_t limit = logFileLimit);

}  // namespace ondrel
