// SPDX-License-Identifier: MIT
#include "platform/atspi/LaunchIdentity.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/atspi/SystemdUnits.h"

namespace ondrel::atspi {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string_view variable(std::string_view environment, std::string_view name) {
    std::size_t start = 0;
    while (start < environment.size()) {
        std::size_t end = environment.find('\0', start);
        if (end == std::string_view::npos)
            end = environment.size();
        const std::string_view entry = environment.substr(start, end - start);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            return entry.substr(name.size() + 1);
        start = end + 1;
    }
    return {};
}

bool sameProgram(std::string executable, const std::string& program) {
    // A program replaced since the process started (an update) is still that program.
    constexpr std::string_view deleted = " (deleted)";
    if (executable.ends_with(deleted))
        executable.resize(executable.size() - deleted.size());
    if (executable.empty())
        return false;
    if (executable == program)
        return true;
    char resolved[PATH_MAX];
    return ::realpath(executable.c_str(), resolved) != nullptr && program == resolved;
}

bool startedInUnitOf(std::string_view cgroups, std::string_view applicationId) {
    for (const std::string& unit : unitsOfCgroups(cgroups)) {
        if (applicationIdOfUnit(unit) == applicationId)
            return true;
    }
    return false;
}

bool launchedByGio(std::string_view environment, std::int64_t process, std::string_view applicationId) {
    const std::string entry = std::string(applicationId) + ".desktop";
    const std::string_view file = variable(environment, "GIO_LAUNCHED_DESKTOP_FILE");
    const bool namesEntry = file == entry || file.ends_with("/" + entry);
    return namesEntry && variable(environment, "GIO_LAUNCHED_DESKTOP_FILE_PID") == std::to_string(process);
}

}  // namespace

ProcessRecord readProcessRecord(std::int64_t process) {
    const std::string folder = "/proc/" + std::to_string(process);
    ProcessRecord record;
    char target[PATH_MAX];
    const ssize_t length = ::readlink((folder + "/exe").c_str(), target, sizeof target);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof target)
        record.executable.assign(target, static_cast<std::size_t>(length));
    record.cgroups = readFile(folder + "/cgroup");
    record.environment = readFile(folder + "/environ");
    return record;
}

LaunchEvidence launchEvidence(const ProcessRecord& record, std::int64_t process, std::string_view applicationId,
                              const std::optional<std::string>& program) {
    if (program && sameProgram(record.executable, *program))
        return LaunchEvidence::desktopEntryProgram;
    if (startedInUnitOf(record.cgroups, applicationId))
        return LaunchEvidence::systemdUnit;
    if (launchedByGio(record.environment, process, applicationId))
        return LaunchEvidence::launchEnvironment;
    return LaunchEvidence::none;
}

}  // namespace ondrel::atspi
