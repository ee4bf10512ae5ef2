// SPDX-License-Identifier: MIT
// The command-line program on Linux. The command-line modes run here without a toolkit: loading the tray
// application's libraries takes longer than a whole pass. Started without a command-line mode, the
// program becomes the tray application, in the same process.

#include <algorithm>
#include <string>
#include <vector>

#include "app/EntryPoint.h"
#include "app/integration/DesktopIntegration.h"
#include "app/integration/Relaunch.h"
#include "app/integration/linux/SavedSettings.h"
#include "app/integration/linux/TrayProgram.h"
#include "core/Accessibility.h"
#include "core/DecisionHistory.h"
#include "core/Options.h"

int main(int argc, char** argv) {
    argc = ondrel::stripLauncherArguments(argc, argv);
    ondrel::rememberLaunchArguments(argc, argv);
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    const ondrel::Options options = ondrel::parseOptions(arguments);
    if (ondrel::modeOf(options) == ondrel::Mode::application)
        ondrel::becomeTrayApplication(std::vector<std::string>(argv, argv + argc));
    ondrel::keepHistory(ondrel::savedKeepHistory());

    auto platform = ondrel::createPlatform();
    ondrel::Scanner scanner(*platform);
    const ondrel::EntryServices services{
        .sleep = ondrel::sleepSeconds,
        .relaunch = [](const std::string& message) { ondrel::relaunch(message); },
        .runApplication = nullptr,  // never asked: the application is the tray program's
        .keepWatching = nullptr,
    };
    return ondrel::runMain(options, scanner, services);
}
