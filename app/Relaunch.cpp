#include "app/Relaunch.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/ActivityLog.h"

#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace ondrel {
namespace {

std::vector<std::string>& launchArguments() {
    static std::vector<std::string> arguments;
    return arguments;
}

std::string runningExecutable() {
#ifdef __APPLE__
    char path[PATH_MAX];
    uint32_t size = sizeof path;
    if (_NSGetExecutablePath(path, &size) == 0)
        return path;
    return {};
#else
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
#endif
}

}  // namespace

void rememberLaunchArguments(int argc, const char* const* argv) {
    launchArguments().assign(argv, argv + argc);
}

RelaunchCommand relaunchCommand() {
    RelaunchCommand command{runningExecutable(), launchArguments()};
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
