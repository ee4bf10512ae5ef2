#include "tests/e2e/StandIn.h"

#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace ondrel::testing_support {

StandIn::StandIn(const std::string& scenario, std::vector<std::string> options,
                 const std::vector<std::string>& environment) {
    char path[] = "/tmp/ondrel-scenario-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        return;
    ::close(fd);
    scenarioPath_ = path;
    std::ofstream(scenarioPath_) << scenario;

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    options.push_back(scenarioPath_);
    pid_ = spawnProgram(VELQUIN_STANDIN, options, environment, pipeFds[1], -1);
    ::close(pipeFds[1]);
    output_ = pipeFds[0];
    if (pid_ < 0)
        return;
    ::fcntl(output_, F_SETFL, O_NONBLOCK);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!ready_ && std::chrono::steady_clock::now() < deadline) {
        pollfd poller{output_, POLLIN, 0};
        ::poll(&poller, 1, 100);
        readAvailable();
        ready_ = buffer_.find("ready ") != std::string::npos;
    }
    // Registration with the accessibility registry finishes shortly after the windows are shown.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
}

StandIn::~StandIn() {
    if (pid_ > 0) {
        ::kill(pid_, SIGCONT);
        kill();
    }
    if (output_ >= 0)
        ::close(output_);
    if (!scenarioPath_.empty())
        ::unlink(scenarioPath_.c_str());
}

void StandIn::readAvailable() {
    char chunk[4096];
    ssize_t count;
    while ((count = ::read(output_, chunk, sizeof chunk)) > 0)
        buffer_.append(chunk, static_cast<std::size_t>(count));
}

std::vector<std::string> StandIn::presses() {
    // Presses arrive asynchronously: give the target a moment to run its handlers.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    readAvailable();
    std::vector<std::string> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t line = buffer_.find("pressed\t", start);
        if (line == std::string::npos)
            break;
        const std::size_t tab = buffer_.find('\t', line + 8);
        const std::size_t end = buffer_.find('\n', line);
        if (tab == std::string::npos || end == std::string::npos)
            break;
        result.push_back(buffer_.substr(line + 8, tab - line - 8) + " in " + buffer_.substr(tab + 1, end - tab - 1));
        start = end;
    }
    return result;
}

void StandIn::stop() {
    ::kill(pid_, SIGSTOP);
}
void StandIn::resume() {
    ::kill(pid_, SIGCONT);
}

void StandIn::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

}  // namespace ondrel::testing_support
