// SPDX-License-Identifier: MIT
#pragma once

// Starting the program afresh in the same process: the same executable, the same arguments.

#include <string>
#include <vector>

namespace ondrel {

struct RelaunchCommand {
    std::string path;                    // the executable as resolved at start, or the first argument
    std::vector<std::string> arguments;  // every argument, the program name first
};

// Kept by main before anything else, so a relaunch can repeat the command line exactly; the running
// executable's path is resolved here, once.
void rememberLaunchArguments(int argc, const char* const* argv);

RelaunchCommand relaunchCommand();

// Replaces the process image; when that fails, logs `failureMessage` and exits with status 1.
[[noreturn]] void relaunch(const std::string& failureMessage);
[[noreturn]] void execOrExit(const RelaunchCommand& command, const std::string& failureMessage);

}  // namespace ondrel
