// SPDX-License-Identifier: MIT
#pragma once

// What the main window and the status menu show, decided without any toolkit: the window's status
// line, controls and banner; the tray icon's symbol, tooltip and menu; the log view's cap; and the
// button listing the window logs.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Engine.h"

namespace ondrel {

// Whether accessibility can be used now, as far as the window is concerned.
struct AccessState {
    bool trusted = false;
    std::optional<std::string> unavailableReason;  // set when the service cannot be reached at all
};

struct MainWindowView {
    bool bannerVisible;
    std::string bannerText;  // what is missing and what to do about it
    std::string status;
    bool controlsEnabled;  // Start/Stop and List buttons; the safe-mode checkbox is never disabled
    std::string startStopTitle;
    bool safeChecked;
};

// The banner stays, and the controls wait, until the engine has really started watching.
MainWindowView mainWindowView(const EngineState& engine, const AccessState& access, const PlatformWording& wording);

enum class StatusSymbol { paused, watching, waiting };  // "pause.circle", "checkmark.circle", "questionmark.circle"

StatusSymbol statusSymbol(const EngineState& engine);
std::string statusToolTip(const EngineState& engine);

struct MenuEntry {
    enum class Action {
        none,
        showWindow,
        togglePause,
        toggleSafe,
        toggleNotifySkipped,
        toggleKeepHistory,
        openLog,
        toggleStartAtLogin,
        quit
    } action;
    std::string title;  // empty for a separator
    bool enabled = true;
    bool checked = false;
    bool separator() const { return title.empty(); }
    bool checkable() const {
        return action == Action::toggleSafe || action == Action::toggleNotifySkipped ||
               action == Action::toggleKeepHistory || action == Action::toggleStartAtLogin;
    }
    bool operator==(const MenuEntry&) const = default;
};

// The settings the status menu shows beside the engine's state.
struct MenuChecks {
    bool notifySkipped = true;
    bool keepHistory = true;
    bool startAtLogin = false;
};

// The status menu as it is built each time it opens.
std::vector<MenuEntry> statusMenu(const EngineState& engine, const MenuChecks& checks = {});

// What closing the window does. With a tray icon the window only hides, and the icon brings it back.
// Without one, starting Ondrel again brings it back (one instance per session); the user is told so
// once, at the first close. Where a second start would not reach this one either, the window
// minimises, so that the task bar keeps it.
enum class CloseAction { hide, tellThenHide, minimize };
CloseAction closeAction(bool trayIconShown, bool startingAgainShowsWindow, bool toldHowToReopen);

inline constexpr const char* reopenNotice =
    "Ondrel keeps watching after its window closes.\n\nTo show the window again, start Ondrel again. To stop "
    "watching, choose Quit Ondrel in the Ondrel menu.";

// The log view keeps at most this much text, in UTF-16 code units, and then drops a large block at
// once so that trimming stays rare.
inline constexpr std::size_t logViewCap = 200000;
inline constexpr std::size_t logViewCut = 100000;
// How much to cut from the start after an append left `length` units in the view.
std::size_t logViewExcess(std::size_t length);

// Logs every labelled button of every scannable window: a header, then the distinct labels sorted.
void listExposedButtons(Scanner& scanner);

}  // namespace ondrel
