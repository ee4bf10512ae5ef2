#pragma once

// Runs a program to its end and collects its exit status, standard output and standard error apart.

#include <string>
#include <vector>

namespace ondrel::testing_support {

struct ProgramRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// `environment` entries ("NAME=value") are added to this process's environment for the child.
ProgramRun runProgram(const std::string& path, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment = {}, double timeoutSeconds = 30);

}  // namespace ondrel::testing_support
