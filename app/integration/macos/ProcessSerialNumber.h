// SPDX-License-Identifier: MIT
#pragma once

// Finder and LaunchServices may start an application with "-psn_0_12345", the old Carbon process
// serial number. Ondrel has no such option.

namespace ondrel {

// Removes every "-psn_..." argument after the program name from `argv` in place, keeps the order of
// the rest and the null entry after the last; returns the new count.
int dropProcessSerialNumbers(int argc, char** argv);

}  // namespace ondrel
