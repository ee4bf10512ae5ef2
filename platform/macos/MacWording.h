#pragma once

// What the macOS backend tells the user about the Accessibility permission, worded for how Ondrel
// was started.

#include "core/Accessibility.h"

namespace ondrel::macos {

struct GrantSituation {
    // macOS holds the process that started Ondrel responsible: from a terminal, the grant that counts
    // is the terminal's, not Ondrel's.
    bool startedFromTerminal = false;
};

PlatformWording macWording(const GrantSituation& situation);

}  // namespace ondrel::macos
