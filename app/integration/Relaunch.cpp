// SPDX-License-Identifier: MIT
#include "app/integration/Relaunch.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "app/integration/DesktopIntegration.h"
#include "core/ActivityLog.h"

namespace ondrel {
namespace {

// The command as it stood at start. The path is resolved then, not at relaunch: an upgrade that replaces
// the executable meanwhile leaves /proc/self/exe naming a deleted file, while the path names the new one.
RelaunchCommand& launchCommand() {
    static RelaunchCommand command;
    return command;
}

}  // namespace

void rememberLaunchArguments(int argc, const char* const* argv) {
    launchCommand() = {runningExecutablePath(), std::vector<std::string>(argv, argv + argc)};
}

RelaunchCommand relaunchCommand() {
    RelaunchCommand command = launchCommand();
    if (command.path.empty() && !command.arguments.empty())
        command.path = command.arguments.front();
    return command;
}

void execOrExit(const RelaunchCommand& command, const std::string& failureMessage) {
    if (!command.path.empty()) {
        // execv wants mutable C strings; the copies are never freed, the process image is replaced.
        std::vector<char*> vector;
        for (const std::string& argument : command.arguments)
            vector.push_back(::strdup(argument.c_str()));
        vector.push_back(nullptr);
        ::execv(command.path.c_str(), vector.data());
    }
    log(failureMessage);
    std::exit(1);
}

void relaunch(const std::string& failureMessage) {
    execOrExit(relaunchCommand(), failureMessage);
}

}  // namespace ondrel
