// SPDX-License-Identifier: MIT
#pragma once

// On Linux the tray application is a program of its own, so that the command-line modes load no
// toolkit: beside the command-line program in a build, in the package's own folder once installed.

#include <string>
#include <vector>

namespace ondrel {

// Where the tray application may be for the command-line program at `commandLineProgram`, in the
// order they are tried.
std::vector<std::string> trayProgramCandidates(const std::string& commandLineProgram);

// Replaces the process with the tray application, started with `arguments` (the program name first).
// When none of the candidates can be started, says so and exits with status 1.
[[noreturn]] void becomeTrayApplication(const std::vector<std::string>& arguments);

}  // namespace ondrel
