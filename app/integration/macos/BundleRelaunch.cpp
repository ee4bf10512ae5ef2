// SPDX-License-Identifier: MIT
#include "app/integration/macos/BundleRelaunch.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/ActivityLog.h"

extern char** environ;

namespace ondrel {
namespace {

constexpr std::string_view bundleExecutableFolder = "/Contents/MacOS/";

// The exit status of `command`, or -1 when it could not be started or did not end normally.
int runToEnd(const RelaunchCommand& command) {
    std::vector<char*> vector;
    for (const std::string& argument : command.arguments)
        vector.push_back(const_cast<char*>(argument.c_str()));
    vector.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, command.path.c_str(), nullptr, nullptr, vector.data(), environ) != 0)
        return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string enclosingAppBundle(std::string_view executable) {
    const std::size_t folder = executable.rfind(bundleExecutableFolder);
    if (folder == std::string_view::npos)
        return {};
    const std::string_view bundle = executable.substr(0, folder);
    const std::string_view name = executable.substr(folder + bundleExecutableFolder.size());
    const std::string_view bundleName = bundle.substr(bundle.rfind('/') + 1);  // npos + 1 is 0
    if (name.empty() || name.find('/') != std::string_view::npos || !bundleName.ends_with(".app") ||
        bundleName == ".app")
        return {};
    return std::string(bundle);
}

RelaunchCommand bundleRelaunchCommand(const std::string& bundle, const std::vector<std::string>& arguments) {
    RelaunchCommand command{"/usr/bin/open", {"open", "-n", bundle}};
    if (arguments.size() > 1) {
        command.arguments.push_back("--args");
        command.arguments.insert(command.arguments.end(), arguments.begin() + 1, arguments.end());
    }
    return command;
}

void launchAndExit(const RelaunchCommand& command, const std::string& failureMessage) {
    if (runToEnd(command) == 0) {
        // Like a replaced process image: nothing of this one runs on, only what is buffered goes out.
        std::fflush(nullptr);
        ::_exit(0);
    }
    log(failureMessage);
    std::exit(1);
}

}  // namespace ondrel
