// SPDX-License-Identifier: MIT
#pragma once

// The tray application: builds the engine, the main window and the status item at launch, wires
// their updates, shows the window and starts watching once the permission is there.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/gui/MainWindowController.h"
#include "app/gui/MenuBarController.h"
#include "app/gui/SkipNotifier.h"
#include "core/Engine.h"

class QMenu;

namespace ondrel::gui {

using RelaunchFunction = std::function<void(const std::string& failureMessage)>;

class AppDelegate final : public QObject {
public:
    // Passes run on `runner`, or on this thread when it is null.
    AppDelegate(Options options, Scanner& scanner, Scheduler& scheduler, RelaunchFunction relaunch,
                BackgroundRunner* runner = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }

    std::unique_ptr<WatcherEngine> engine;
    std::unique_ptr<MainWindowController> windowController;
    std::unique_ptr<MenuBarController> menuBar;
    std::unique_ptr<SkipNotifier> skipNotifier;
    const Options options;
    std::unique_ptr<QMenu> mainMenu;  // "About Ondrel", the switches, "Close Window", "Quit Ondrel"
    // Whether starting Ondrel again reaches this process (it owns the session's single instance).
    bool startingAgainShowsWindow = false;

    // How often the permission is looked at again while it is missing, where a grant counts at once.
    static constexpr double grantCheckSeconds = 1.0;

private:
    void startWatching();

    Scanner& scanner_;
    Scheduler& scheduler_;
    RelaunchFunction relaunch_;
    BackgroundRunner* runner_;
    Subscription menuListening_;
    std::unique_ptr<RepeatingTimer> grantWatch_;
};

// Runs the application's event loop on this (the main) thread; returns its exit status.
int runTrayApplication(const Options& options, Scanner& scanner, int& argc, char** argv, RelaunchFunction relaunch);

}  // namespace ondrel::gui
