// SPDX-License-Identifier: MIT
// The tray application's program, which runs the command-line modes too: on macOS the app bundle's one
// program, on Linux what the command-line program becomes when started without a mode.

#include <algorithm>
#include <vector>

#include "app/EntryPoint.h"
#include "app/gui/Settings.h"
#include "app/gui/TrayApplication.h"
#include "app/integration/DesktopIntegration.h"
#include "app/integration/Relaunch.h"
#include "core/Accessibility.h"
#include "core/Options.h"

int main(int argc, char** argv) {
    argc = ondrel::stripLauncherArguments(argc, argv);
    ondrel::rememberLaunchArguments(argc, argv);
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    const ondrel::Options options = ondrel::parseOptions(arguments);
    ondrel::keepHistory(ondrel::gui::keepsHistory());

    // The command-line modes restart in place, so that launchd and the terminal keep their process; the
    // application starts a new instance of its app bundle where it runs from one.
    const auto relaunchInPlace = [](const std::string& message) { ondrel::relaunch(message); };
    auto platform = ondrel::createPlatform();
    ondrel::Scanner scanner(*platform);
    const ondrel::EntryServices services{
        .sleep = ondrel::sleepSeconds,
        .relaunch = relaunchInPlace,
        .runApplication =
            [&](const ondrel::Options& runOptions) {
                return ondrel::gui::runTrayApplication(runOptions, scanner, argc, argv, [](const std::string& message) {
                    ondrel::relaunchApplication(message);
                });
            },
        .keepWatching = nullptr,
    };
    return ondrel::runMain(options, scanner, services);
}
