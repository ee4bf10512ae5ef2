// SPDX-License-Identifier: MIT
#pragma once

// The AT-SPI names of the registry's applications, as far as telling Velquin apart needs them. Every
// application is asked at once, each answer (or silence) is remembered for a while, so a hung
// application costs one call timeout in that while, however many applications and scans there are.


#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/atspi/Bus.h"

namespace ondrel::atspi {

class ApplicationNames {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto memory = std::chrono::seconds(30);

    struct Application {
        std::string busName;  // the application's name on the accessibility bus
        std::string path;     // its root object
    };

    // The names of `applications`, asked over `bus` of those whose answer is not remembered, all
    // at once; absent for an application that did not answer in `timeoutMs`.
    std::map<std::string, std::string> namesOf(Bus& bus, const std::vector<Application>& applications, int timeoutMs,
                                               Clock::time_point now = Clock::now());

    // What is remembered of an application now: nullopt when it must be asked, else its answer, which
    // is nullopt again when it stayed silent.
    std::optional<std::optional<std::string>> remembered(const std::string& busName, Clock::time_point now) const;
    void remember(const std::string& busName, std::optional<std::string> name, Clock::time_point now);

private:
    struct Answer {
        std::optional<std::string> name;
        Clock::time_point until;
    };
    std::map<std::string, Answer> answers_;
};

}  // namespace ondrel::atspi
