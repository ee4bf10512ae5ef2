// SPDX-License-Identifier: MIT
#include "app/WindowModel.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/CaseName.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/Scene.h"

namespace ondrel {

void PrintTo(const MenuEntry& entry, std::ostream* out) {
    *out << "{\"" << entry.title << "\", enabled " << entry.enabled << ", checked " << entry.checked << "}";
}

namespace {

using Action = MenuEntry::Action;

enum class Reached { fresh, paused, watchingOneWindow, safeOff };

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
TEST_P(StatusMenuStates, statusMenu_engineStateAndChecks_entriesInOrderSymbolAndToolTip) {
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
    const std::vector<MenuEntry> expected{
        {Action::none, c.status, false},
        {Action::none, ""},
        {Action::showWindow, "Open Window"},
        {Action::togglePause, c.startStop},
        {Action::toggleSafe, "Safe mode (skip risky prompts)", true, c.safe},
        {Action::toggleNotifySkipped, "Notify about skipped prompts", true, c.checks.notifySkipped},
        {Action::none, ""},
        {Action::openLog, "Open Log File"},
        {Action::toggleStartAtLogin, "Start at Login", true, c.checks.startAtLogin},
        {Action::none, ""},
        {Action::quit, "Quit Ondrel"},
    };
    EXPECT_EQ(statusMenu(engine.state(), c.checks), expected);
    EXPECT_EQ(statusSymbol(engine.state()), c.symbol);
    EXPECT_EQ(statusToolTip(engine.state()), "Ondrel - " + c.status);
}

INSTANTIATE_TEST_SUITE_P(
    States, StatusMenuStates,
    testing::Values(MenuCase{"fresh", Reached::fresh, {}, "Velquin not running", "Stop", true, StatusSymbol::waiting},
                    MenuCase{"paused", Reached::paused, {}, "Paused", "Start", true, StatusSymbol::paused},
                    MenuCase{"watchingOneWindow",
                             Reached::watchingOneWindow,
                             {},
                             "Watching 1 window  \u00B7  approved 0",
                             "Stop",
                             true,
                             StatusSymbol::watching},
                    MenuCase{
                        "safeOff", Reached::safeOff, {}, "Velquin not running", "Stop", false, StatusSymbol::waiting},
                    MenuCase{"startsAtLoginNoNotices",
                             Reached::fresh,
                             {.notifySkipped = false, .startAtLogin = true},
                             "Velquin not running",
                             "Stop",
                             true,
                             StatusSymbol::waiting}),
    testing_support::CaseName());

}  // namespace
}  // namespace ondrel
