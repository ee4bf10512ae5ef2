// SPDX-License-Identifier: MIT
#pragma once

// The history of decisions: every decision a pass makes is appended, as one record on one line (see
// DecisionRecord), to a file readable by the user alone, kept under the activity log's limit the same
// way (see LogRotation). Prompt texts may hold secrets, so the user can stop it and clear it. Nothing
// here ever reports a failure to write.

#include <cstdint>
#include <functional>
#include <string>

#include "core/DecisionRecord.h"
#include "core/LogRotation.h"
#include "core/Subscribers.h"

namespace ondrel {

// The history file's path, resolved from the environment on first use and kept for the process.
const std::string& decisionsFilePath();

// Whether decisions are written (they are unless switched off); any thread.
bool historyKept();
void keepHistory(bool on);
// `listener` hears every change of the switch, on the thread that made it.
[[nodiscard]] Subscription listenToHistorySwitch(std::function<void(bool kept)> listener);

// Appends the record while the history is kept.
void recordDecision(const DecisionRecord& record, const std::string& path = decisionsFilePath(),
                    std::uintmax_t limit = logFileLimit);

// Empties the file under its lock and removes the older one. Returns false when either remains.
bool clearHistory(const std::string& path = decisionsFilePath());

}  // namespace ondrel
