// SPDX-License-Identifier: MIT
#include "app/WindowModel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/CaseName.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

using Action = MenuEntry::Action;

enum class Reached { paused, watchingOneWindow, safeOff };

// What the tray icon's menu, symbol and tooltip say in each state; the rest of the menu never changes.
struct MenuCase {
    const char* name;
    Reached state;
    MenuChecks checks;
    std::string status;
    std::string startStop;
    bool safe;
    StatusSymbol symbol;
};

class StatusMenuStates : public testing_support::Scene, public testing::WithParamInterface<MenuCase> {};

// The states come about through the engine's own calls; every text is as the user reads it.
TEST_P(StatusMenuStates, statusMenu_engineStateAndChecks_whatDiffersSymbolAndToolTip) {
    const MenuCase& c = GetParam();
    testing_support::ManualScheduler timers;
    WatcherEngine engine(scanner, timers, Options{});
    quietly([&] {
        if (c.state == Reached::paused)
            engine.togglePause();
        if (c.state == Reached::safeOff)
            engine.setSafe(false);
        if (c.state == Reached::watchingOneWindow) {
            velquinWindow("Chat");
            engine.start();
            timers.fireAll();
        }
    });
    const std::vector<MenuEntry> menu = statusMenu(engine.state(), c.checks);
    const auto entry = [&](Action action) {
        return *std::find_if(menu.begin(), menu.end(), [&](const MenuEntry& e) { return e.action == action; });
    };
    EXPECT_EQ(menu.front().title, c.status);
    EXPECT_FALSE(menu.front().enabled);
    EXPECT_EQ(entry(Action::togglePause).title, c.startStop);
    EXPECT_EQ(entry(Action::toggleSafe).checked, c.safe);
    EXPECT_EQ(entry(Action::toggleNotifySkipped).checked, c.checks.notifySkipped);
    EXPECT_EQ(entry(Action::toggleKeepHistory).checked, c.checks.keepHistory);
    EXPECT_EQ(entry(Action::toggleStartAtLogin).checked, c.checks.startAtLogin);
    EXPECT_EQ(statusSymbol(engine.state()), c.symbol);
    EXPECT_EQ(statusToolTip(engine.state()), "Ondrel - " + c.status);
}

INSTANTIATE_TEST_SUITE_P(
    States, StatusMenuStates,
    testing::Values(MenuCase{"paused", Reached::paused, {}, "Paused", "Start", true, StatusSymbol::paused},
                    MenuCase{"watchingOneWindow",
                             Reached::watchingOneWindow,
                             {},
                             "Watching 1 window  \u00B7  approved 0",
                             "Stop",
                             true,
                             StatusSymbol::watching},
                    MenuCase{"safeOffStartsAtLoginNoNoticesNoHistory",
                             Reached::safeOff,
                             {.notifySkipped = false, .keepHistory = false, .startAtLogin = true},
                             "Velquin not running",
                             "Stop",
                             false,
                             StatusSymbol::waiting}),
    testing_support::CaseName());

}  // namespace
}  // namespace ondrel
