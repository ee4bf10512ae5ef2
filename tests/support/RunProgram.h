// SPDX-License-Identifier: MIT
#pragma once

// Runs a program to its end and collects its exit status, standard output and standard error apart;
// whether a process has ended.

#include <sys/types.h>

#include <fstream>
#include <string>
#include <vector>

namespace ondrel::testing_support {

struct ProgramRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    int signal = 0;   // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// Starts `path` with `arguments` (the program name is added in front), standard output and error on
// the given descriptors (-1 keeps this process's own). `environment` entries ("NAME=value") are added
// to this process's environment for the child. With `ownGroup` the child leads a process group of its
// own, so that it can be ended together with everything it starts. Returns the child's pid, or -1.
pid_t spawnProgram(const std::string& path, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment, int outFd, int errFd, bool ownGroup = false);

ProgramRun runProgram(const std::string& path, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment = {}, double timeoutSeconds = 30);

// Ended, whether or not anybody reaped it yet.
inline bool gone(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string pid, name, state;
    return !(stat >> pid >> name >> state) || state == "Z";
}

}  // namespace ondrel::testing_support
