#pragma once

// The main window: permission banner, status line, Start/Stop, the safe-mode checkbox, the button
// list and the live activity log. Closing it only hides it.

#include <QMainWindow>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/WindowModel.h"
#include "core/Engine.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ondrel::gui {

inline constexpr const char* windowAutosaveName = "OndrelMainWindow";

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
    // The window's close button: hide and keep everything.
    bool windowShouldClose();

    std::function<void()> onRecheck;

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
};

}  // namespace ondrel::gui
