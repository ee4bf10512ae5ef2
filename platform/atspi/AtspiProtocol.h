// SPDX-License-Identifier: MIT
#pragma once

// The names AT-SPI uses on the accessibility bus, and how long Ondrel waits for an answer.

#include <chrono>

namespace ondrel::atspi {

inline constexpr const char* registryName = "org.a11y.atspi.Registry";
inline constexpr const char* registryPath = "/org/a11y/atspi/registry";
inline constexpr const char* applicationRootPath = "/org/a11y/atspi/accessible/root";
inline constexpr const char* nullPath = "/org/a11y/atspi/null";
inline constexpr const char* cachePath = "/org/a11y/atspi/cache";
inline constexpr const char* accessibleInterface = "org.a11y.atspi.Accessible";

// Long enough for a busy application, short enough that one hung target cannot hold a pass for long.
inline constexpr auto callTimeout = std::chrono::milliseconds(800);
inline constexpr int dbusTimeoutMs = static_cast<int>(callTimeout.count());

}  // namespace ondrel::atspi
