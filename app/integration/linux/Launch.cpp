// SPDX-License-Identifier: MIT
// Starting and restarting on Linux: the launcher adds nothing to the command line, and the application
// restarts in place like the command-line modes.

#include <unistd.h>

#include <climits>

#include "app/integration/DesktopIntegration.h"
#include "app/integration/Relaunch.h"

namespace ondrel {

int stripLauncherArguments(int argc, char**) {
    return argc;
}

std::string runningExecutablePath() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

void relaunchApplication(const std::string& failureMessage) {
    relaunch(failureMessage);
}

}  // namespace ondrel
