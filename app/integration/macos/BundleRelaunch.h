// SPDX-License-Identifier: MIT
#pragma once

// Restarting the application when it runs from an app bundle: a new instance through LaunchServices
// ("open -n"), so that the Dock and LaunchServices see an ordinary launch, and then this one ends.
// Replacing the process image in place would leave them holding the old registration. The
// command-line modes keep restarting in place: launchd and the terminal must keep the same process.

#include <string>
#include <string_view>
#include <vector>

#include "app/integration/Relaunch.h"

namespace ondrel {

// The app bundle an executable runs from: "/Applications/Ondrel.app" for
// "/Applications/Ondrel.app/Contents/MacOS/Ondrel"; empty when it runs outside one.
std::string enclosingAppBundle(std::string_view executable);

// Opens a new instance of `bundle` with `arguments` after the program name (open names the program).
RelaunchCommand bundleRelaunchCommand(const std::string& bundle, const std::vector<std::string>& arguments);

// Runs `command` to its end; when it succeeded, ends this process with status 0, otherwise logs
// `failureMessage` and ends it with status 1.
[[noreturn]] void launchAndExit(const RelaunchCommand& command, const std::string& failureMessage);

}  // namespace ondrel
