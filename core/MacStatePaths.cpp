// SPDX-License-Identifier: MIT
// macOS: the log where Console finds logs, the history with the application's own data.
#include "core/StatePaths.h"

namespace ondrel {

std::string logFilePathFor(const std::string& home, const std::string& /*xdgStateHome*/) {
    return home + "/Library/Logs/Ondrel.log";
}

std::string decisionsFilePathFor(const std::string& home, const std::string& /*xdgStateHome*/) {
    return home + "/Library/Application Support/Ondrel/decisions.jsonl";
}

}  // namespace ondrel
