// SPDX-License-Identifier: MIT
#pragma once

// The main window: permission banner, status line, Start/Stop, the safe-mode checkbox, the button
// list, and the live activity log beside the history of decisions. Closing it never ends the application; its frame is
// kept as it changes.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <string>

#include "app/WindowModel.h"
#include "core/Engine.h"

class QCheckBox;
class QLabel;
class QCloseEvent;
class QMessageBox;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;

namespace ondrel::gui {

class HistoryView;

inline constexpr const char* windowAutosaveName = "OndrelMainWindow";
// Set once the user has been told, at a close without a tray icon, how to get the window back.
inline constexpr const char* toldHowToReopenKey = "toldHowToReopen";

class MainWindow final : public QMainWindow {
public:
    // `wording` names the platform's settings in the banner; it outlives the window.
    MainWindow(WatcherEngine& engine, const PlatformWording& wording);
    ~MainWindow() override;

    // Shows the window above other applications' windows for a moment, then as an ordinary one.
    void bringToFront();
    void refresh();
    // What the banner says while the engine is not watching: set by whoever knows.
    void setAccess(AccessState access);
    void appendLog(const std::string& message);

    // Control actions.
    void toggleRun();
    void toggleSafe();
    void listButtons();
    void recheckPermission();

    std::function<void()> onRecheck;
    // Asked at each close: whether a tray icon can bring the window back.
    std::function<bool()> trayIconShown;
    // Whether starting Ondrel again shows this window (this process owns the session's instance).
    bool startingAgainShowsWindow = false;

    WatcherEngine& engine;
    const PlatformWording& wording;
    AccessState access;
    QLabel* statusLabel = nullptr;
    QPushButton* startStop = nullptr;
    QCheckBox* safeToggle = nullptr;
    QPushButton* listButton = nullptr;
    QPlainTextEdit* logView = nullptr;
    HistoryView* history = nullptr;
    QTabWidget* tabs = nullptr;  // the log's and the history's
    QWidget* permissionBox = nullptr;
    QLabel* permissionLabel = nullptr;

protected:
    // The close button hides (or minimises) the window and keeps everything; see closeAction.
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildContent();  // everything below the menu bar
    QWidget* buildPermissionBanner();
    // A frame saved under the autosave name replaces the centred one.
    void restoreFrame();
    void saveFrame() const;
    void tellHowToReopen();

    Subscription logListening_;
    Subscription engineListening_;
    QTimer* frameSaver_ = nullptr;  // saves the frame once moving or resizing has paused
    QPointer<QMessageBox> reopenNotice_;
};

}  // namespace ondrel::gui
