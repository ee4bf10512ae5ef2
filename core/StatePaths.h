// SPDX-License-Identifier: MIT
#pragma once

// Where Ondrel keeps the files it writes as it runs, for a home folder and an XDG state folder (empty
// when unset; only Linux reads it). One source per platform implements these; the build picks it.

#include <string>

namespace ondrel {

// The activity log.
std::string logFilePathFor(const std::string& home, const std::string& xdgStateHome);

// The history of decisions, one JSON line each.
std::string decisionsFilePathFor(const std::string& home, const std::string& xdgStateHome);

}  // namespace ondrel
