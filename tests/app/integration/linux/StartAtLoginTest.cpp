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

// Any path an entry can hold launches exactly that program, and its entry passes desktop-file-validate; a
// path no entry can hold (not UTF-8, control characters) gives none.
TEST(AutostartEntry, autostartEntry_executable_validEntryLaunchingExactlyThatProgramOrNone) {
    for (const std::string path : {"", "/opt/a\nb/ondrel", "/opt/tab\there", "/opt/\x1b[2J/ondrel", "/opt/\xff/ondrel"})
        EXPECT_FALSE(autostartEntry(path)) << path;
    std::vector<std::string> entries;
    for (const std::string path : {"/usr/bin/ondrel", "/home/ana/My Programs/ondrel", "/opt/o'drel/\"new\"/ondrel",
                                   "/opt/$HOME/`id`/a;b&c|d<e>f~g*h?i#j(k)/ondrel", "/opt/back\\slash\\\\/ondrel",
                                   "/opt/100%/%f/ondrel", "/home/zoë/日本/ondrel"}) {
        entries.push_back(autostartEntry(path).value_or(""));
        EXPECT_EQ(execArguments(entries.back()), std::vector<std::string>{path});
    }

    const char* validator = "/usr/bin/desktop-file-validate";
    if (!std::filesystem::exists(validator))
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian: desktop-file-utils)";
    // The home folder is this process's own: tests running side by side do not meet there.
    const std::filesystem::path file = std::filesystem::path(std::getenv("HOME")) / "ondrel.desktop";
    for (const std::string& entry : entries) {
        std::ofstream(file) << entry;
        const testing_support::ProgramRun run = testing_support::runProgram(validator, {file.string()});
        EXPECT_EQ(run.status, 0) << entry;
        EXPECT_EQ(run.out + run.err, "") << entry;
    }
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
