// SPDX-License-Identifier: MIT
// Starting at login on Linux desktops: the autostart entry read back the way desktops read it (GLib's
// key-file and shell-quoting rules, and desktop-file-validate where it is installed), and the menus'
// switch writing and removing it.

#include "app/integration/linux/AutostartEntry.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>
#include <fstream>

#include "app/gui/TrayIcon.h"
#include "app/integration/Relaunch.h"
#include "tests/support/CaseName.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/QtEvents.h"
#include "tests/support/RunProgram.h"
#include "tests/support/Scene.h"

namespace ondrel {
namespace {

// The Exec line's arguments as a desktop launches them: the value unescaped, "%%" made "%", then split
// by shell quoting.
std::vector<std::string> execArguments(const std::string& entry) {
    std::vector<std::string> arguments;
    GKeyFile* file = g_key_file_new();
    if (g_key_file_load_from_data(file, entry.data(), entry.size(), G_KEY_FILE_NONE, nullptr)) {
        gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
        std::string command;
        for (const char* c = exec; c != nullptr && *c != '\0'; ++c) {
            command += *c;
            if (c[0] == '%' && c[1] == '%')
                ++c;
        }
        g_free(exec);
        gchar** argv = nullptr;
        if (g_shell_parse_argv(command.c_str(), nullptr, &argv, nullptr)) {
            for (gchar** argument = argv; *argument != nullptr; ++argument)
                arguments.emplace_back(*argument);
        }
        g_strfreev(argv);
    }
    g_key_file_free(file);
    return arguments;
}

struct ExecutableCase {
    const char* name;
    std::string path;
};

class AutostartExec : public testing::TestWithParam<ExecutableCase> {};

TEST_P(AutostartExec, autostartEntry_executable_validEntryLaunchingExactlyThatProgram) {
    const std::optional<std::string> entry = autostartEntry(GetParam().path);
    ASSERT_TRUE(entry);
    EXPECT_EQ(execArguments(*entry), std::vector<std::string>{GetParam().path});

    const char* validator = "/usr/bin/desktop-file-validate";
    if (!std::filesystem::exists(validator))
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian: desktop-file-utils)";
    // The home folder is this process's own: tests running side by side do not meet there.
    const std::filesystem::path file = std::filesystem::path(std::getenv("HOME")) / "ondrel.desktop";
    std::ofstream(file) << *entry;
    const testing_support::ProgramRun run = testing_support::runProgram(validator, {file.string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
}

INSTANTIATE_TEST_SUITE_P(Paths, AutostartExec,
                         testing::Values(ExecutableCase{"plain", "/usr/bin/ondrel"},
                                         ExecutableCase{"spaces", "/home/ana/My Programs/ondrel"},
                                         ExecutableCase{"quotes", "/opt/o'drel/\"new\"/ondrel"},
                                         ExecutableCase{"shellCharacters",
                                                        "/opt/$HOME/`id`/a;b&c|d<e>f~g*h?i#j(k)/ondrel"},
                                         ExecutableCase{"backslashes", "/opt/back\\slash\\\\/ondrel"},
                                         ExecutableCase{"percent", "/opt/100%/%f/ondrel"},
                                         ExecutableCase{"nonAscii", "/home/zoë/日本/ondrel"}),
                         testing_support::CaseName());

TEST(AutostartEntry, autostartEntry_pathNoEntryCanHold_none) {
    for (const std::string path : {"", "/opt/a\nb/ondrel", "/opt/tab\there", "/opt/\x1b[2J/ondrel", "/opt/\xff/ondrel"})
        EXPECT_FALSE(autostartEntry(path)) << path;
}

TEST(AutostartEntry, autostartEntryPathFor_configHome_usedOnlyWhenAbsolute) {
    EXPECT_EQ(autostartEntryPathFor("/home/ana", ""), "/home/ana/.config/autostart/ondrel.desktop");
    EXPECT_EQ(autostartEntryPathFor("/home/ana", "/srv/config"), "/srv/config/autostart/ondrel.desktop");
    EXPECT_EQ(autostartEntryPathFor("/home/ana", "config"), "/home/ana/.config/autostart/ondrel.desktop");
}

using StartAtLoginSwitch = testing_support::Scene;

TEST_F(StartAtLoginSwitch, triggered_autostartEntryWrittenRemovedOrErrorLogged) {
    const char* const arguments[] = {"ondrel"};  // the program is this test's own executable
    rememberLaunchArguments(1, arguments);
    testing_support::ManualScheduler scheduler;
    WatcherEngine engine{scanner, scheduler, Options{}};
    gui::TrayIcon tray{engine};
    const auto item = [&] {  // as the menu shows it now
        tray.rebuildMenu();
        return testing_support::menuAction(tray.menu, QStringLiteral("Start at Login"));
    };
    const std::filesystem::path config = std::filesystem::path(std::getenv("HOME")) / ".config";
    ASSERT_NE(item(), nullptr);
    EXPECT_FALSE(item()->isChecked());
    item()->trigger();
    EXPECT_TRUE(std::filesystem::is_regular_file(config / "autostart/ondrel.desktop"));
    EXPECT_TRUE(item()->isChecked());
    item()->trigger();
    EXPECT_FALSE(std::filesystem::exists(config / "autostart/ondrel.desktop"));
    EXPECT_FALSE(item()->isChecked());
    EXPECT_TRUE(logged.empty());

    std::filesystem::remove(config / "autostart");
    std::ofstream(config / "autostart") << "a file where the folder belongs";
    quietly([&] { item()->trigger(); });
    EXPECT_FALSE(item()->isChecked());
    std::filesystem::remove(config / "autostart");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(
        logged[0].starts_with("Start at Login: could not write " + config.string() + "/autostart/ondrel.desktop: "))
        << logged[0];
}

}  // namespace
}  // namespace ondrel
