// SPDX-License-Identifier: MIT
#pragma once

// The tray icon (a menu-bar item on macOS) whose symbol and tooltip show the engine's state and whose
// menu opens the window, pauses, switches safe mode and notifications, opens the log file and quits.
// Without a system tray the icon is absent and the rest of the application works as before.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "core/Engine.h"

namespace ondrel::gui {

class TrayIcon final : public QObject {
public:
    explicit TrayIcon(WatcherEngine& engine);
    ~TrayIcon() override;

    void refresh();
    // Rebuilds the whole menu from the engine's state; runs each time the menu is about to open.
    void rebuildMenu();

    // Menu actions.
    void showWindow();
    void togglePause();
    void toggleSafe();
    void openLog();
    void quit();

    WatcherEngine& engine;
    std::unique_ptr<QSystemTrayIcon> systemTrayIcon;  // none where the desktop has no tray
    std::function<void()> onShowWindow;
    QMenu menu;
    // How "Open Log File" hands the file to the desktop; replaceable so tests open nothing.
    std::function<void(const QString& path)> fileOpener;
};

}  // namespace ondrel::gui
