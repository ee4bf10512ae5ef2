// SPDX-License-Identifier: MIT
#pragma once

// The running applications with a bundle identifier, as AppKit knows them.

#include <string_view>
#include <vector>

#include "core/Accessibility.h"

namespace ondrel::macos {

std::vector<ProcessId> runningApplicationProcesses(std::string_view bundleIdentifier);

}  // namespace ondrel::macos
