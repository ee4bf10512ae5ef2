// SPDX-License-Identifier: MIT
#pragma once

// The fixture of the desktop tests. Every test runs alone in a private desktop session started by
// desktop-session.sh (Xvfb, a session bus, the accessibility bus, openbox), with accessibility on.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Target.h"
#include "tests/support/RunProgram.h"

namespace ondrel::testing_support {

using Lines = std::vector<std::string>;

// What gdbus prints for `arguments`; empty where it fails.
inline std::string gdbus(const std::vector<std::string>& arguments) {
    return runProgram("/usr/bin/gdbus", arguments, {}, 10).out;
}

// Whether `condition` holds within `seconds`, asked every 50 ms.
template <typename Condition>
bool within(double seconds, Condition condition) {
    using Clock = std::chrono::steady_clock;
    for (const auto until = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < until;) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

class Desktop : public testing::Test {
protected:
    void SetUp() override { setAccessibilityEnabled(true); }

    static void setAccessibilityEnabled(bool on) {
        gdbus({"call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus", "--method",
               "org.freedesktop.DBus.Properties.Set", "org.a11y.Status", "IsEnabled", on ? "<true>" : "<false>"});
    }

    static ProgramRun ondrel(const std::vector<std::string>& arguments, double timeoutSeconds = 20,
                             const std::vector<std::string>& environment = {}) {
        return runProgram(ONDREL_BINARY, arguments, environment, timeoutSeconds);
    }

    // The log's messages without their timestamps; other lines (the listing) as they are.
    static Lines messages(const std::string& out) {
        Lines lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("[") && line.find("Z] ") != std::string::npos)
                line = line.substr(line.find("Z] ") + 3);
            lines.push_back(line);
        }
        return lines;
    }

    // A window holding a conversation long enough that the prompt's own box is what safe mode reads.
    static std::string promptWindow(const std::string& title, const std::string& text,
                                    const std::string& buttons = "button Allow", const std::string& window = "window") {
        return window + " " + title + "\nfillers 80\nbox\ntext " + text + "\n" + buttons + "\nend\n";
    }
};

}  // namespace ondrel::testing_support
