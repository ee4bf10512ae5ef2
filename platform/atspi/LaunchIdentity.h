// SPDX-License-Identifier: MIT
#pragma once

// Which process is an application, by what the desktop recorded when it launched the process: the
// program of the application's desktop entry, the systemd unit it was started in, or the launch
// environment GIO gives the very process it starts. Reads /proc only; asks no process anything.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::atspi {

// What /proc holds about one process; empty where it cannot be read.
struct ProcessRecord {
    std::string executable;   // the target of /proc/<pid>/exe
    std::string cgroups;      // /proc/<pid>/cgroup
    std::string environment;  // /proc/<pid>/environ: NAME=value entries, each ended by a NUL
};

ProcessRecord readProcessRecord(std::int64_t process);

enum class LaunchEvidence { none, desktopEntryProgram, systemdUnit, launchEnvironment };

// The first rule by which `record` shows process `process` to be `applicationId`. `program` is what
// the application's desktop entry starts (absolute, links resolved), when it has one.
// GIO_LAUNCHED_DESKTOP_FILE counts only together with GIO_LAUNCHED_DESKTOP_FILE_PID naming the process
// itself: children inherit both, and a terminal or helper started from the application is not it.
LaunchEvidence launchEvidence(const ProcessRecord& record, std::int64_t process, std::string_view applicationId,
                              const std::optional<std::string>& program);

}  // namespace ondrel::atspi
