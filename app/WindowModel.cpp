// SPDX-License-Identifier: MIT
#include "app/WindowModel.h"

#include "core/ActivityLog.h"
#include "core/TextForms.h"

namespace ondrel {

MainWindowView mainWindowView(const EngineState& engine, const AccessState& access, const PlatformWording& wording) {
    const bool usable = engine.started;
    std::string status = statusText(engine);
    if (access.unavailableReason)
        status = "Accessibility unavailable";
    else if (!usable)
        status = "Waiting for Accessibility permission";
    return MainWindowView{
        .bannerVisible = !usable,
        .bannerText = access.unavailableReason.value_or(wording.permissionBanner),
        .status = std::move(status),
        .controlsEnabled = usable,
        .startStopTitle = engine.paused ? "Start" : "Stop",
        .safeChecked = engine.safe,
    };
}

StatusSymbol statusSymbol(const EngineState& engine) {
    if (engine.paused)
        return StatusSymbol::paused;
    if (engine.velquinRunning)
        return StatusSymbol::watching;
    return StatusSymbol::waiting;
}

std::string statusToolTip(const EngineState& engine) {
    return "Ondrel - " + statusText(engine);
}

std::vector<MenuEntry> statusMenu(const EngineState& engine, const MenuChecks& checks) {
    using Action = MenuEntry::Action;
    return {
        {Action::none, statusText(engine), false},
        {Action::none, ""},
        {Action::showWindow, "Open Window"},
        {Action::togglePause, engine.paused ? "Start" : "Stop"},
        {Action::toggleSafe, "Safe mode (skip risky prompts)", true, engine.safe},
        {Action::toggleNotifySkipped, "Notify about skipped prompts", true, checks.notifySkipped},
        {Action::toggleKeepHistory, "Keep a History", true, checks.keepHistory},
        {Action::none, ""},
        {Action::openLog, "Open Log File"},
        {Action::toggleStartAtLogin, "Start at Login", true, checks.startAtLogin},
        {Action::none, ""},
        {Action::quit, "Quit Ondrel"},
    };
}

CloseAction closeAction(bool trayIconShown, bool startingAgainShowsWindow, bool toldHowToReopen) {
    if (trayIconShown || (startingAgainShowsWindow && toldHowToReopen))
        return CloseAction::hide;
    return startingAgainShowsWindow ? CloseAction::tellThenHide : CloseAction::minimize;
}

std::size_t logViewExcess(std::size_t length) {
    return length > logViewCap ? logViewCut : 0;
}

void listExposedButtons(Scanner& scanner) {
    log("--- buttons Velquin currently exposes ---");
    const std::vector<TargetWindow> windows = scanner.targetWindows();
    if (windows.empty()) {
        log("No scannable Velquin window found. A minimized window cannot be read; un-minimize it and try again.");
        return;
    }
    for (const TargetWindow& window : windows) {
        const std::vector<std::string> labels = distinctLabels(scanner.buttonLabels(window.element));
        log("[" + window.title + "] " + std::to_string(labels.size()) + " labelled button(s)");
        for (const std::string& label : labels)
            log("    " + escapeForLine(label));
    }
}

}  // namespace ondrel
