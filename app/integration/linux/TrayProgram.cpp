// SPDX-License-Identifier: MIT
#include "app/integration/linux/TrayProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/integration/DesktopIntegration.h"
#include "core/ActivityLog.h"
#include "core/TextForms.h"

namespace ondrel {

std::vector<std::string> trayProgramCandidates(const std::string& commandLineProgram) {
    const std::filesystem::path folder = std::filesystem::path(commandLineProgram).parent_path();
    return {(folder / "ondrel-tray").string(),
            (folder / ONDREL_TRAY_PROGRAM_FROM_BINARIES).lexically_normal().string()};
}

void becomeTrayApplication(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::string tried;
    for (const std::string& candidate : trayProgramCandidates(runningExecutablePath())) {
        if (::access(candidate.c_str(), F_OK) != 0)
            continue;
        ::execv(candidate.c_str(), argv.data());
        tried += (tried.empty() ? "" : ", ") + escapeForLine(candidate) + " (" + std::strerror(errno) + ")";
    }
    log(tried.empty() ? "The tray application is not installed beside " + escapeForLine(runningExecutablePath()) +
                            "; the command-line modes work without it (ondrel --help)."
                      : "Could not start the tray application: " + tried + ".");
    std::exit(1);
}

}  // namespace ondrel
