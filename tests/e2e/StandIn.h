#pragma once

// A running stand-in target, started from a scenario text and ended with the object.

#include <sys/types.h>

#include <string>
#include <vector>

namespace ondrel::testing_support {

class StandIn {
public:
    // Starts the stand-in and waits until it has shown its windows.
    explicit StandIn(const std::string& scenario, std::vector<std::string> options = {},
                     const std::vector<std::string>& environment = {});
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    pid_t pid() const { return pid_; }
    bool ready() const { return ready_; }
    // Every "pressed\t<label>\t<window>" line printed so far, as "<label> in <window>".
    std::vector<std::string> presses();
    void stop();    // SIGSTOP: the process stops answering
    void resume();  // SIGCONT
    void kill();    // SIGKILL, and reaped

private:
    void readAvailable();

    pid_t pid_ = -1;
    int output_ = -1;
    bool ready_ = false;
    std::string buffer_;
    std::string scenarioPath_;
};

}  // namespace ondrel::testing_support
