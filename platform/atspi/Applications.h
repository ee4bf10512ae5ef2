// SPDX-License-Identifier: MIT
#pragma once

// The registry's applications and which of them are the target, by the identity rules: its name on the
// session bus, its AT-SPI name, or what the desktop recorded when it launched the process (see
// LaunchIdentity). What was asked is kept until something says it changed (an application joining or
// leaving the bus, the registry's list changing) or for a while at most, so that passes brought by a flood
// of changes ask the buses nothing about who is who.

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Accessibility.h"
#include "platform/atspi/ApplicationNames.h"
#include "platform/atspi/Bus.h"

namespace ondrel::atspi {

class Applications {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto keptAtMost = std::chrono::seconds(30);

    struct Application {
        ProcessId process;
        std::shared_ptr<const std::string> busName;
    };

    explicit Applications(ProcessId ownProcess) : ownProcess_(ownProcess) {}

    // Any thread: what is kept is asked again at the next look.
    void changed() { stale_ = true; }

    // The registry's applications, by process id, never Ondrel's own (whose possibly waiting main thread
    // could only time out).
    const std::vector<Application>& all(Bus& accessibility, Clock::time_point now = Clock::now());
    // Those that are `applicationId`, by process id. `session` answers who owns the id on the session bus.
    std::vector<ProcessId> processesOf(std::string_view applicationId, Bus& accessibility, Bus* session,
                                       Clock::time_point now = Clock::now());
    // The first rule by which processesOf() found the process ("bus-name", "desktop-entry", "systemd-unit",
    // "launch-environment", "accessibility-name"); empty for one it did not find.
    std::string ruleOf(ProcessId process) const;
    // The toolkit an application names itself by ("GTK", "Qt", "Chromium"), asked once.
    const std::string& toolkitOf(const Application& application, Bus& accessibility);

private:
    void refresh(Bus& accessibility, Clock::time_point now);
    std::optional<ProcessId> sessionBusOwner(std::string_view name, Bus& session);

    const ProcessId ownProcess_;
    std::atomic<bool> stale_{true};
    Clock::time_point fetched_{};
    std::vector<Application> all_;
    std::map<std::string, std::vector<ProcessId>, std::less<>> matching_;  // by application id, while kept
    std::map<ProcessId, std::string_view> rules_;                          // of the processes found, while kept
    std::map<std::string, std::string, std::less<>> toolkits_;             // by bus name, while kept
    ApplicationNames names_;
};

}  // namespace ondrel::atspi
