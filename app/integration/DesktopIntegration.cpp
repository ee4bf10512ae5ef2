// SPDX-License-Identifier: MIT
// What every platform's side shares.

#include "app/integration/DesktopIntegration.h"

#include "core/ActivityLog.h"

namespace ondrel {

void toggleStartAtLogin() {
    if (const std::optional<std::string> line = setStartAtLogin(!startsAtLogin()))
        log(*line);
}

}  // namespace ondrel
