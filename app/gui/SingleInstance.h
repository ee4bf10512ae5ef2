// SPDX-License-Identifier: MIT
#pragma once

// One tray application per user session. The first to start owns the name dev.ondrel.Ondrel on the
// session bus and answers Activate there (the org.freedesktop.Application interface desktop
// applications share) by showing its window; a later start calls Activate and ends. The command-line
// modes never come here: any number of them may run beside the application. On macOS LaunchServices
// keeps one instance of an app bundle, and reopening it shows the window.

#include <QString>
#include <functional>
#include <memory>

namespace ondrel::gui {

inline constexpr const char* singleInstanceBusName = "dev.ondrel.Ondrel";

class SingleInstance final {
public:
    enum class Claim {
        first,       // this process is the application; a later start shows its window
        handedOver,  // the running application showed its window: end with status 0
        unanswered,  // the running application did not show its window; failure() says why
        unguarded,   // no session bus: this process runs alone, and a later start would too
    };

    // `activate` runs on this (the main) thread for every later start.
    explicit SingleInstance(std::function<void()> activate);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Claim claim();
    const QString& failure() const { return failure_; }

private:
    class Activation;
    std::function<void()> activate_;
    std::unique_ptr<Activation> activation_;
    [[maybe_unused]] bool owner_ = false;  // only the session bus has a name to own
    QString failure_;
};

}  // namespace ondrel::gui
