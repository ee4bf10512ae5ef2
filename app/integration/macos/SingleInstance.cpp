// SPDX-License-Identifier: MIT
// One tray application per session on macOS: LaunchServices keeps one instance of an app bundle itself,
// and reopening it reaches the running one as an application activation.

#include "app/integration/DesktopIntegration.h"

namespace ondrel {

struct SingleInstance::Session {};

SingleInstance::SingleInstance(std::function<void()>) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    return Claim::first;
}

}  // namespace ondrel
