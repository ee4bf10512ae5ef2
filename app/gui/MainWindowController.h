// SPDX-License-Identifier: MIT
#pragma once

// The main window: permission banner, status line, Start/Stop, the safe-mode checkbox, the button
// list and the live activity log. Closing it never ends the application; its frame is kept as it
// changes.

#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "app/WindowModel.h"
#include "core/Engine.h"

class QCheckBox;
class QLabel;
class QMessageBox;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ondrel::gui {

inline constexpr const char* windowAutosaveName = "OndrelMainWindow";
// Set once the user has been told, at a close without a status item, how to get the window back.
inline constexpr const char* toldHowToReopenKey = "toldHowToReopen";

class MainWindowController final : public QObject {
public:
    // `wording` names the platform's settings in the banner; it outlives the controller.
    MainWindowController(WatcherEngine& engine, const PlatformWording& wording);
    ~MainWindowController() override;

    void show();
    void refresh();
    // What the banner says while the engine is not watching: set by whoever knows.
    void setAccess(AccessState access);
    void appendLog(const std::string& message);

    // Control actions.
    void toggleRun();
    void toggleSafe();
    void listButtons();
    void openAccessibilitySettings();
    void recheckPermission();
    // The window's close button: hide (or minimise) and keep everything; see closeAction.
    bool windowShouldClose();

    std::function<void()> onRecheck;
    // Asked at each close: whether a status item can bring the window back.
    std::function<bool()> statusItemShown;
    // Whether starting Ondrel again shows this window (this process owns the session's instance).
    bool startingAgainShowsWindow = false;

    WatcherEngine& engine;
    const PlatformWording& wording;
    AccessState access;
    std::unique_ptr<QMainWindow> window;
    QLabel* statusLabel = nullptr;
    QPushButton* startStop = nullptr;
    QCheckBox* safeToggle = nullptr;
    QPushButton* listButton = nullptr;
    QPlainTextEdit* logView = nullptr;
    QWidget* permissionBox = nullptr;
    QLabel* permissionLabel = nullptr;

private:
    QWidget* buildPermissionBanner();
    Subscription logListening_;
    Subscription engineListening_;
    void saveFrame() const;
    void tellHowToReopen();

    QTimer* frameSaver_ = nullptr;  // saves the frame once moving or resizing has paused
    QPointer<QMessageBox> reopenNotice_;
};

}  // namespace ondrel::gui
