// SPDX-License-Identifier: MIT
// The XDG state folder: logs and histories are state, neither configuration nor a cache.
#include "core/StatePaths.h"

namespace ondrel {
namespace {

std::string stateFolder(const std::string& home, const std::string& xdgStateHome) {
    // XDG: a relative XDG_STATE_HOME is invalid and must be ignored.
    const bool usable = !xdgStateHome.empty() && xdgStateHome.front() == '/';
    return usable ? xdgStateHome : home + "/.local/state";
}

}  // namespace

std::string logFilePathFor(const std::string& home, const std::string& xdgStateHome) {
    return stateFolder(home, xdgStateHome) + "/Ondrel.log";
}

std::string decisionsFilePathFor(const std::string& home, const std::string& xdgStateHome) {
    return stateFolder(home, xdgStateHome) + "/ondrel/decisions.jsonl";
}

}  // namespace ondrel
