// SPDX-License-Identifier: MIT
#pragma once

// The tray application: builds the engine, the main window and the tray icon at launch, wires their
// updates, shows the window and starts watching once the permission is there.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/gui/MainWindow.h"
#include "app/gui/SkipNotifier.h"
#include "app/gui/TrayIcon.h"
#include "core/Engine.h"

class QMenu;

namespace ondrel::gui {

using RelaunchFunction = std::function<void(const std::string& failureMessage)>;

class TrayApplication final : public QObject {
public:
    // Passes run on `runner`, or on this thread when it is null.
    TrayApplication(Options options, Scanner& scanner, Scheduler& scheduler, RelaunchFunction relaunch,
                    BackgroundRunner* runner = nullptr);
    ~TrayApplication() override;

    // Once the event loop runs: everything built, the window shown, watching started where it can be.
    void launch();
    // Starting Ondrel again, or reopening it, brings its window back.
    void showWindow();

    std::unique_ptr<WatcherEngine> engine;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<TrayIcon> trayIcon;
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
    Subscription trayIconListening_;
    Subscription sessionEnding_;  // the user's session ended: nothing left to watch
    std::unique_ptr<RepeatingTimer> grantWatch_;
};

// Runs the application's event loop on this (the main) thread; returns its exit status.
int runTrayApplication(const Options& options, Scanner& scanner, int& argc, char** argv, RelaunchFunction relaunch);

}  // namespace ondrel::gui
