// SPDX-License-Identifier: MIT
#pragma once

// What the macOS backend tells the user about the Accessibility permission, worded for how Ondrel
// was started and for what it remembers of earlier grants.

#include <optional>
#include <string>

#include "core/Accessibility.h"

namespace ondrel::macos {

struct GrantSituation {
    // macOS holds the process that started Ondrel responsible: from a terminal, the grant that counts
    // is the terminal's, not Ondrel's.
    bool startedFromTerminal = false;
    // Ondrel held the permission before under another code signature: the switch in System Settings
    // still shows on, yet it belongs to the old signature and no longer applies.
    bool grantOutdated = false;
};

PlatformWording macWording(const GrantSituation& situation);

// Whether a grant remembered for one signature fails to cover the running one. Unknown on either side
// (never granted, or unsigned) is not outdated.
bool isGrantOutdated(const std::optional<std::string>& grantedSignature,
                     const std::optional<std::string>& runningSignature);

}  // namespace ondrel::macos
