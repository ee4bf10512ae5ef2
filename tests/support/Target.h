// SPDX-License-Identifier: MIT
#pragma once

// A running target application for the desktop tests, started in a process group of its own and
// ended with the object. Every target speaks one protocol on standard output: what it shows, if it says
// ("prompt\t<name>\t<window>\t<fragment>"), "ready <pid>" once its windows are registered for
// accessibility, then "pressed\t<label>\t<name>" per press.

#include <sys/types.h>

#include <string>
#include <vector>

namespace ondrel::testing_support {

class Target {
public:
    // Starts `program` and waits until it is ready (at most 30 s; see ready()).
    Target(const std::string& program, const std::vector<std::string>& arguments,
           const std::vector<std::string>& environment = {});
    ~Target();
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    // The process that shows the windows, as the target reported it.
    pid_t pid() const { return pid_; }
    bool ready() const { return pid_ > 0; }
    // Waits until its application shows at least `count` windows to accessibility (at most 30 s).
    bool showsWindows(int count);
    // Every press reported so far, as "<label> in <name>".
    std::vector<std::string> presses();
    // The prompts it said it shows, each as its fields: name, window, the fragment safe mode must name
    // (empty for a harmless one).
    std::vector<std::vector<std::string>> prompts() const;
    void stop();    // SIGSTOP: the target stops answering
    void resume();  // SIGCONT
    void kill();    // SIGKILL to the whole group, and reaped

private:
    void readAvailable();

    pid_t group_ = -1;
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffer_;
};

// The stand-in Velquin (a GTK 3 program) showing a scenario; see tests/standin for its lines.
class StandIn : public Target {
public:
    // `direct`: started as a child of the test. `byGio`: started as GIO starts the application of a
    // desktop entry, with GIO_LAUNCHED_DESKTOP_FILE naming Velquin's entry and _PID its own pid.
    enum class Launch { direct, byGio };

    explicit StandIn(const std::string& scenario, const std::vector<std::string>& options = {},
                     const std::vector<std::string>& environment = {}, Launch launch = Launch::direct);
    ~StandIn();

private:
    StandIn(std::string scenarioPath, const std::vector<std::string>& options,
            const std::vector<std::string>& environment, Launch launch, int);
    std::string scenarioPath_;
};

// A toolkit's test program from tests/e2e/targets, run by the distribution's Python.
std::string targetScript(const std::string& name);

}  // namespace ondrel::testing_support
