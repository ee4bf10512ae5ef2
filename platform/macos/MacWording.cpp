// SPDX-License-Identifier: MIT
#include "platform/macos/MacWording.h"

#include <string>

namespace ondrel::macos {
namespace {

const std::string settingsPath = "System Settings > Privacy & Security > Accessibility";
const std::string bannerHeading = "Accessibility permission is required before this can click anything.\n\n";
const std::string recheckStep =
    "2. Then press Recheck. macOS only reports the permission to a freshly started process, so the app restarts "
    "itself.";

std::string permissionMissing(const GrantSituation& situation) {
    if (situation.startedFromTerminal) {
        return "NO Accessibility permission yet. Started from a terminal, Ondrel has the terminal's permission, not "
               "its own: enable your terminal app (such as Terminal) under " +
               settingsPath + ". Retrying every 10s.";
    }
    if (situation.grantOutdated) {
        return "NO Accessibility permission yet. Ondrel changed (rebuilt or updated) since it was granted, so the "
               "old grant no longer applies: remove Ondrel under " +
               settingsPath + " and add it again. Retrying every 10s.";
    }
    return "NO Accessibility permission yet. Enable Ondrel under " + settingsPath + ". Retrying every 10s.";
}

std::string permissionBanner(const GrantSituation& situation) {
    if (situation.grantOutdated) {
        return bannerHeading +
               "Ondrel changed (rebuilt or updated) since it was granted, so macOS no longer applies that grant even "
               "though the switch still shows on.\n1. Open the settings below, remove \"Ondrel\" from the list (the "
               "minus button), then add it again (the plus button) and enable it\n" +
               recheckStep;
    }
    return bannerHeading + "1. Open the settings below and enable \"Ondrel\"\n" + recheckStep;
}

}  // namespace

PlatformWording macWording(const GrantSituation& situation) {
    return PlatformWording{
        .permissionMissing = permissionMissing(situation),
        .minimizedWindow =
            "macOS does not expose its buttons, so Allow prompts there cannot be clicked. "
            "Un-minimize it to enable auto-approval.",
        .permissionBanner = permissionBanner(situation),
        .pressFailed = "AXPress failed",
    };
}

bool isGrantOutdated(const std::optional<std::string>& grantedSignature,
                     const std::optional<std::string>& runningSignature) {
    return grantedSignature && runningSignature && *grantedSignature != *runningSignature;
}

}  // namespace ondrel::macos
