// SPDX-License-Identifier: MIT
#pragma once

// What main does once the options are parsed: pick the mode, hold the command-line modes at the
// permission gate, run them, or hand over to the application.

#include <functional>
#include <string>

#include "core/Options.h"
#include "core/Scanner.h"

namespace ondrel {

enum class Mode { singlePass, listing, headless, application };

Mode modeOf(const Options& options);

// The effects main has on the world, injectable so that its whole logic runs in tests.
struct EntryServices {
    std::function<void(double seconds)> sleep;
    std::function<void(const std::string& failureMessage)> relaunch;  // the product's never returns
    std::function<int(const Options& options)> runApplication;
    // Asked after every headless pass; the headless watch ends when it says no. The product's has none.
    std::function<bool()> keepWatching;
};

// Sleeps are capped at a year so that a huge --interval cannot overflow a clock's arithmetic.
inline constexpr double maxSleepSeconds = 365.0 * 24 * 3600;

// The product's sleep, so capped.
void sleepSeconds(double seconds);

inline constexpr double permissionRetrySeconds = 10.0;
inline constexpr int exitUnavailable = 69;  // EX_UNAVAILABLE: the accessibility service cannot be reached

// The headless start line, also the pattern of the application's watching line.
std::string headlessStartLine(const Options& options);

int runMain(const Options& options, Scanner& scanner, const EntryServices& services);

}  // namespace ondrel
