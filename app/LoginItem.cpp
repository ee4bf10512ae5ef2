// SPDX-License-Identifier: MIT
#include "app/LoginItem.h"

#include "core/ActivityLog.h"

namespace ondrel {

void toggleStartAtLogin() {
    if (const std::optional<std::string> line = setStartAtLogin(!startsAtLogin()))
        log(*line);
}

}  // namespace ondrel
