#pragma once

// The main window: permission banner, status line, Start/Stop, the safe-mode checkbox, the button
// list and the live activity log. Closing it only hides it; its frame is kept as it changes.

#include <QMainWindow>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "core/Engine.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ondrel::gui {

inline constexpr const char* windowAutosaveName = "OndrelMainWindow";

class MainWindowController final : public QObject {
public:
    explicit MainWindowController(WatcherEngine& engine);
    ~MainWindowController() override;

    void show();
    void refresh();
    void appendLog(const std::string& message);

    // Control actions.
    void toggleRun();
    void toggleSafe();
    void listButtons();
    void openAccessibilitySettings();
    void recheckPermission();
    // The window's close button: hide and keep everything.
    bool windowShouldClose();

    std::function<void()> onRecheck;

    WatcherEngine& engine;
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
    void saveFrame() const;

    QTimer* frameSaver_ = nullptr;  // saves the frame once moving or resizing has paused
};

}  // namespace ondrel::gui
