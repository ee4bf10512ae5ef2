// SPDX-License-Identifier: MIT
#pragma once

// What Ondrel asks of the desktop it runs on. Each platform answers in a side of its own, linux/ or
// macos/, which the build picks; nothing outside this folder asks which platform it is on.

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ondrel {

struct Notice;

// --- Starting and restarting ---

// Removes from argv, in place, what the system's launcher adds to a command line and Ondrel never
// asks for; returns the new count. Runs before anything reads the arguments or keeps them.
int stripLauncherArguments(int argc, char** argv);

// The running program's executable, resolved through the system; empty when it cannot say.
std::string runningExecutablePath();

// The tray application's restart: a new instance where the system launches applications as bundles,
// otherwise the same process started afresh. Never returns; on failure logs `failureMessage` and
// exits with status 1.
[[noreturn]] void relaunchApplication(const std::string& failureMessage);

// --- Start at login ---

bool startsAtLogin();

// Turns starting at login on or off for the running program. Returns a line for the log when something
// went wrong or the user still has something to do; nothing when it is done.
std::optional<std::string> setStartAtLogin(bool on);

// The menus' "Start at Login": switches to the other state and logs what the user must know.
void toggleStartAtLogin();

// --- The system's settings ---

// The system's accessibility settings; where the desktop has none that can be opened, nothing happens.
void openAccessibilitySettings();

// The locale whose way of writing the time of day the log view follows, as a POSIX or an ICU name.
std::string timeOfDayLocale();

// --- Notifications ---

// The desktop's notifications. Posting never waits for the desktop; the first failure is logged once,
// later ones are not. Needs the application's event loop.
class DesktopNotifications final {
public:
    DesktopNotifications();
    ~DesktopNotifications();
    DesktopNotifications(const DesktopNotifications&) = delete;
    DesktopNotifications& operator=(const DesktopNotifications&) = delete;

    void post(const Notice& notice);

private:
    struct Service;
    std::unique_ptr<Service> service_;
};

// --- One application per session ---

// The first tray application to start in a session is the one; a later start hands over to it, which
// shows its window, and ends. The command-line modes never come here: any number of them may run
// beside the application.
class SingleInstance final {
public:
    enum class Claim {
        first,       // this process is the application; a later start shows its window
        handedOver,  // the running application showed its window: end with status 0
        unanswered,  // the running application did not show its window; failure() says why
        unguarded,   // nothing keeps the session to one: this process runs alone, and a later start would too
    };

    // `activate` runs on this (the main) thread for every later start the desktop hands over.
    explicit SingleInstance(std::function<void()> activate);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Claim claim();
    const std::string& failure() const { return failure_; }

private:
    struct Session;
    std::unique_ptr<Session> session_;
    std::string failure_;
};

}  // namespace ondrel
