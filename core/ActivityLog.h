// SPDX-License-Identifier: MIT
#pragma once

// The activity log: every message becomes "[<UTC time>] <message>" on standard output, goes bare to
// whoever listens (the window, the tray, tests), and is appended to the log file. Nothing here ever
// reports a failure.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/LogRotation.h"
#include "core/StatePaths.h"
#include "core/Subscribers.h"

namespace ondrel {

// `listener` receives every bare message, after standard output and before the file, on the thread
// that logged it, until the subscription ends.
[[nodiscard]] Subscription listenToLog(std::function<void(const std::string& message)> listener);

void log(std::string_view message);

// The log file's path, resolved from the environment on first use and kept for the process.
const std::string& logFilePath();

// The home folder: HOME, or the user database's entry when HOME is unset or empty (services, `env -i`).
std::string homeFolderFor(const std::string& homeVariable);

// The variable's value; empty when unset.
std::string environmentVariable(const char* name);

// "2026-12-05T08:36:33Z": ISO 8601 in UTC with whole seconds.
std::string formatLogTimestamp(std::chrono::system_clock::time_point time);

// Appends bytes to the file in one write with O_APPEND under the file's lock, creating the file readable
// by the user alone (and, on Linux, its folder) when missing, and first moving a file that the bytes would
// take past `limit` to "<path>.1". A symbolic link at the file is never followed: that counts as a failure.
// Returns false on any failure, which callers are free to ignore.
bool appendToFile(const std::string& path, std::string_view bytes, std::uintmax_t limit = logFileLimit);

}  // namespace ondrel
