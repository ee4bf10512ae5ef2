#include "platform/macos/MacWording.h"

#include <string>

namespace ondrel::macos {
namespace {

const std::string settingsPath = "System Settings > Privacy & Security > Accessibility";

std::string permissionMissing(const GrantSituation& situation) {
    if (situation.startedFromTerminal) {
        return "NO Accessibility permission yet. Started from a terminal, Ondrel has the terminal's permission, not "
               "its own: enable your terminal app (such as Terminal) under " +
               settingsPath + ". Retrying every 10s.";
    }
    return "NO Accessibility permission yet. Enable Ondrel under " + settingsPath + ". Retrying every 10s.";
}

}  // namespace

PlatformWording macWording(const GrantSituation& situation) {
    return PlatformWording{
        .permissionMissing = permissionMissing(situation),
        .minimizedWindow = "macOS does not expose its buttons, so Allow prompts there cannot be clicked. "
                           "Un-minimize it to enable auto-approval.",
        .permissionBanner = "Accessibility permission is required before this can click anything.\n\n1. Open the "
                            "settings below and enable \"Ondrel\"\n2. Then press Recheck. macOS only reports the "
                            "permission to a freshly started process, so the app restarts itself.",
    };
}

}  // namespace ondrel::macos
