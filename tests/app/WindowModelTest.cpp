#include "app/WindowModel.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/ManualScheduler.h"
#include "tests/support/Scene.h"

namespace ondrel {

void PrintTo(const MenuEntry& entry, std::ostream* out) {
    *out << "{" << static_cast<int>(entry.action) << ", \"" << entry.title << "\", enabled " << entry.enabled
         << ", checked " << entry.checked << "}";
}

namespace {

using Action = MenuEntry::Action;

// The whole menu, every text as the user reads it.
std::vector<MenuEntry> expectedMenu(const std::string& status, const std::string& startStop, bool safe,
                                    bool startAtLogin) {
    return {
        {Action::none, status, false},
        {Action::none, ""},
        {Action::showWindow, "Open Window"},
        {Action::togglePause, startStop},
        {Action::toggleSafe, "Safe mode (skip risky prompts)", true, safe},
        {Action::none, ""},
        {Action::openLog, "Open Log File"},
        {Action::toggleStartAtLogin, "Start at Login", true, startAtLogin},
        {Action::none, ""},
        {Action::quit, "Quit Ondrel"},
    };
}

struct MenuCase {
    const char* name;
    void (*arrange)(WatcherEngine& engine, fake::FakePlatform& platform, testing_support::ManualScheduler& timers);
    MenuChecks checks;
    std::vector<MenuEntry> expected;
};

class StatusMenuStates : public testing_support::Scene, public testing::WithParamInterface<MenuCase> {};

TEST_P(StatusMenuStates, statusMenu_engineStateAndChecks_entriesInOrder) {
    testing_support::ManualScheduler timers;
    WatcherEngine engine(scanner, timers, Options{});
    quietly([&] { GetParam().arrange(engine, platform, timers); });
    EXPECT_EQ(statusMenu(engine, GetParam().checks), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, StatusMenuStates,
    testing::Values(
        MenuCase{"fresh", [](WatcherEngine&, fake::FakePlatform&, testing_support::ManualScheduler&) {}, {},
                 expectedMenu("Velquin not running", "Stop", true, false)},
        MenuCase{"paused",
                 [](WatcherEngine& engine, fake::FakePlatform&, testing_support::ManualScheduler&) {
                     engine.togglePause();
                 },
                 {}, expectedMenu("Paused", "Start", true, false)},
        MenuCase{"watchingOneWindow",
                 [](WatcherEngine& engine, fake::FakePlatform& platform, testing_support::ManualScheduler& timers) {
                     platform.addWindow(platform.addProcess(100), "Chat");
                     engine.start();
                     timers.fireAll();
                 },
                 {}, expectedMenu("Watching 1 window  \u00B7  approved 0", "Stop", true, false)},
        MenuCase{"safeOff",
                 [](WatcherEngine& engine, fake::FakePlatform&, testing_support::ManualScheduler&) {
                     engine.setSafe(false);
                 },
                 {}, expectedMenu("Velquin not running", "Stop", false, false)},
        MenuCase{"startsAtLogin", [](WatcherEngine&, fake::FakePlatform&, testing_support::ManualScheduler&) {},
                 MenuChecks{.startAtLogin = true}, expectedMenu("Velquin not running", "Stop", true, true)}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ondrel
