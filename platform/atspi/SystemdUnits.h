// SPDX-License-Identifier: MIT
#pragma once

// The systemd units desktops start applications in. GNOME Shell, KDE Plasma and Flatpak name them by
// the desktop environments' convention, so a unit's name tells which application runs inside it:
//   app[-<launcher>]-<application ID>[@<random>].service
//   app[-<launcher>]-<application ID>-<random>.scope
// with "-" and other bytes of the ID escaped as "\xNN".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::atspi {

// The application ID a unit name carries by that convention, escapes decoded; none for other units.
std::optional<std::string> applicationIdOfUnit(std::string_view unit);

// The unit names in a process's cgroup file (/proc/<pid>/cgroup), innermost first: the ".service" and
// ".scope" components of the unified hierarchy's path and of systemd's own named hierarchy.
std::vector<std::string> unitsOfCgroups(std::string_view cgroupFile);

}  // namespace ondrel::atspi
