// SPDX-License-Identifier: MIT
// Starting and restarting on macOS: LaunchServices may add a process serial number to the command line,
// and the application restarts as a new instance of its app bundle when it runs from one.

#include <mach-o/dyld.h>

#include <climits>
#include <cstdint>

#include "app/integration/DesktopIntegration.h"
#include "app/integration/Relaunch.h"
#include "app/integration/macos/BundleRelaunch.h"
#include "app/integration/macos/ProcessSerialNumber.h"

namespace ondrel {

int stripLauncherArguments(int argc, char** argv) {
    return dropProcessSerialNumbers(argc, argv);
}

std::string runningExecutablePath() {
    char path[PATH_MAX];
    uint32_t size = sizeof path;
    if (_NSGetExecutablePath(path, &size) == 0)
        return path;
    return {};
}

void relaunchApplication(const std::string& failureMessage) {
    const RelaunchCommand inPlace = relaunchCommand();
    if (const std::string bundle = enclosingAppBundle(inPlace.path); !bundle.empty())
        launchAndExit(bundleRelaunchCommand(bundle, inPlace.arguments), failureMessage);
    execOrExit(inPlace, failureMessage);
}

}  // namespace ondrel
