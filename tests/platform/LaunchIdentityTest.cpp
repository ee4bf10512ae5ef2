// SPDX-License-Identifier: MIT
// How the Linux backend tells which processes are Velquin without asking them: desktop entries,
// systemd unit names and GIO's launch environment.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/atspi/ApplicationNames.h"
#include "platform/atspi/DesktopEntry.h"
#include "platform/atspi/LaunchIdentity.h"
#include "platform/atspi/SystemdUnits.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedBus.h"

namespace ondrel::atspi {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using Tree = testing_support::ScratchFolder;

std::string entry(const std::string& keys) {
    return "[Desktop Entry]\nType=Application\nName=Velquin\n" + keys + "\n";
}

TEST(DesktopEntries, applicationFolders_xdgVariables_homeFirstThenDataDirsRelativeIgnored) {
    EXPECT_EQ(applicationFolders("/home/u", "", ""),
              (std::vector<std::string>{"/home/u/.local/share/applications", "/usr/local/share/applications",
                                        "/usr/share/applications"}));
    EXPECT_EQ(applicationFolders("/home/u", "/data", "/a/:relative:/b"),
              (std::vector<std::string>{"/data/applications", "/a/applications", "/b/applications"}));
    EXPECT_EQ(applicationFolders("/home/u", "relative", "relative"),
              (std::vector<std::string>{"/home/u/.local/share/applications", "/usr/local/share/applications",
                                        "/usr/share/applications"}));
}

TEST(DesktopEntries, findDesktopEntry_firstFolderWinsDashMayBeSubfolder) {
    Tree tree;
    tree.write("system/dev.velquin.desktop.desktop", entry("Exec=system"));
    tree.write("user/dev.velquin.desktop.desktop", entry("Exec=user"));
    tree.write("system/vendor/tool.desktop", entry("Exec=tool"));
    const std::vector<std::string> folders{tree.path("missing"), tree.path("user"), tree.path("system")};
    EXPECT_EQ(findDesktopEntry("dev.velquin.desktop.desktop", folders), tree.path("user/dev.velquin.desktop.desktop"));
    EXPECT_EQ(findDesktopEntry("vendor-tool.desktop", folders), tree.path("system/vendor/tool.desktop"));
    EXPECT_EQ(findDesktopEntry("other.desktop", folders), std::nullopt);
    EXPECT_EQ(findDesktopEntry("../system/dev.velquin.desktop.desktop", folders), std::nullopt);
}

TEST(DesktopEntries, desktopEntryProgram_entryKinds_programOrNone) {
    Tree tree;
    const std::string velquin = tree.write("bin/velquin", "#!/bin/true\n", true);
    const std::string spaced = tree.write("opt/My App/velquin", "#!/bin/true\n", true);
    const std::string link = tree.path("bin/velquin-link");
    fs::create_symlink(velquin, link);
    const std::string env = fs::canonical("/usr/bin/env").string();
    const std::string searchPath = "relative:" + tree.path("empty") + ":" + tree.path("bin");
    struct Case {
        const char* what;
        std::string text;
        std::optional<std::string> program;
    };
    const Case cases[] = {
        {"exec on the path", entry("Exec=velquin --new-window %U"), velquin},
        {"quoted exec with a space", entry("Exec=\"" + spaced + "\" %F"), spaced},
        {"link resolved", entry("Exec=" + link), velquin},
        {"tryexec first", entry("TryExec=velquin\nExec=" + spaced), velquin},
        {"tryexec missing hides exec", entry("TryExec=not-installed\nExec=velquin"), std::nullopt},
        {"program missing", entry("Exec=not-installed"), std::nullopt},
        {"relative program", entry("Exec=bin/velquin"), std::nullopt},
        {"field code first", entry("Exec=%U velquin"), std::nullopt},
        {"unbalanced quote", entry("Exec=\"velquin"), std::nullopt},
        {"hidden", entry("Hidden=true\nExec=velquin"), std::nullopt},
        {"no exec", entry(""), std::nullopt},
        {"a link, not an application", "[Desktop Entry]\nType=Link\nName=V\nURL=https://example.com\n", std::nullopt},
        {"not a desktop entry", "this is not a key file\n", std::nullopt},
        {"launcher runs the real program", entry("Exec=" + env + " VELQUIN=1 velquin"), std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string file = tree.write("entry.desktop", c.text);
        EXPECT_EQ(desktopEntryProgram(file, searchPath), c.program) << c.what;
    }
    EXPECT_EQ(desktopEntryProgram(tree.path("absent.desktop"), searchPath), std::nullopt);
}

TEST(DesktopEntries, runsOtherPrograms_interpretersAndLaunchersAnyVersion) {
    for (const char* program :
         {"/usr/bin/python3.11", "sh", "/usr/bin/env", "electron32", "/usr/bin/flatpak", "wine64"})
        EXPECT_TRUE(runsOtherPrograms(program)) << program;
    for (const char* program : {"/opt/velquin/velquin", "/usr/lib/chromium/chromium", "shell", "pythonic", "envoy"})
        EXPECT_FALSE(runsOtherPrograms(program)) << program;
}

TEST(SystemdUnits, applicationIdOfUnit_desktopConvention) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"app-gnome-dev.velquin.desktop-4242.scope", "dev.velquin.desktop"},
        {"app-dev.velquin.desktop-a1b2.scope", "dev.velquin.desktop"},
        {"app-dev.velquin.desktop@a1b2c3.service", "dev.velquin.desktop"},
        {"app-dev.velquin.desktop.service", "dev.velquin.desktop"},
        {"app-gnome-org.example.my\\x2dapp-7.scope", "org.example.my-app"},
        {"app-dev.velquin.desktop.scope", std::nullopt},  // a scope needs its random part
        {"app-gnome-dev.velquin.desktop-.scope", std::nullopt},
        {"app-a-b-dev.velquin.desktop-1.scope", std::nullopt},  // an unescaped "-" in the id
        {"app-gnome-bad\\x2-7.scope", std::nullopt},            // a broken escape
        {"session-2.scope", std::nullopt},
        {"dev.velquin.desktop.service", std::nullopt},
        {"app-dev.velquin.desktop.slice", std::nullopt},
    };
    for (const auto& [unit, id] : cases)
        EXPECT_EQ(applicationIdOfUnit(unit), id) << unit;
}

TEST(SystemdUnits, unitsOfCgroups_unifiedAndSystemdHierarchiesInnermostFirst) {
    EXPECT_EQ(unitsOfCgroups("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                             "app-gnome-dev.velquin.desktop-42.scope\n"),
              (std::vector<std::string>{"app-gnome-dev.velquin.desktop-42.scope", "user@1000.service"}));
    EXPECT_EQ(unitsOfCgroups("12:memory:/other.scope\n1:name=systemd:/app-dev.velquin.desktop@x.service\n0::/\n"),
              std::vector<std::string>{"app-dev.velquin.desktop@x.service"});
    EXPECT_TRUE(unitsOfCgroups("garbage without colons\n").empty());
}

TEST(LaunchIdentity, launchEvidence_eachRuleAndWhatIdentifiesNothing) {
    const std::string id = "dev.velquin.desktop";
    const std::string program = fs::canonical("/proc/self/exe").string();
    const std::string launched = "GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/dev.velquin.desktop.desktop\0"s;
    struct Case {
        const char* what;
        ProcessRecord record;
        LaunchEvidence expected;
    };
    const Case cases[] = {
        {"the entry's program", {program, "", ""}, LaunchEvidence::desktopEntryProgram},
        {"the program, replaced since", {program + " (deleted)", "", ""}, LaunchEvidence::desktopEntryProgram},
        {"another program", {"/usr/bin/true", "", ""}, LaunchEvidence::none},
        {"the application's unit",
         {"", "0::/app.slice/app-gnome-dev.velquin.desktop-9.scope\n", ""},
         LaunchEvidence::systemdUnit},
        {"another application's unit", {"", "0::/app.slice/app-gnome-org.other-9.scope\n", ""}, LaunchEvidence::none},
        {"launched by GIO itself",
         {"", "", launched + "GIO_LAUNCHED_DESKTOP_FILE_PID=77\0"s},
         LaunchEvidence::launchEnvironment},
        {"inherited from the launched one",
         {"", "", launched + "GIO_LAUNCHED_DESKTOP_FILE_PID=76\0"s},
         LaunchEvidence::none},
        {"no pid beside the file", {"", "", launched}, LaunchEvidence::none},
        {"another entry",
         {"", "",
          "GIO_LAUNCHED_DESKTOP_FILE=/x/notdev.velquin.desktop.desktop\0"
          "GIO_LAUNCHED_DESKTOP_FILE_PID=77\0"s},
         LaunchEvidence::none},
        {"chromium's desktop variable alone",
         {"", "", "CHROME_DESKTOP=dev.velquin.desktop.desktop\0"s},
         LaunchEvidence::none},
    };
    for (const Case& c : cases)
        EXPECT_EQ(launchEvidence(c.record, 77, id, program), c.expected) << c.what;
    EXPECT_EQ(launchEvidence({program, "", ""}, 77, id, std::nullopt), LaunchEvidence::none);
}

TEST(LaunchIdentity, readProcessRecord_ownProcess_executableAndEnvironment) {
    const ProcessRecord record = readProcessRecord(::getpid());
    EXPECT_EQ(record.executable, fs::read_symlink("/proc/self/exe").string());
    EXPECT_NE(record.environment.find("HOME="), std::string::npos);
    EXPECT_FALSE(record.cgroups.empty());
    EXPECT_TRUE(readProcessRecord(-1).executable.empty());
}

TEST(ApplicationNamesMemory, remember_answerOrSilence_keptThirtySecondsThenAskedAgain) {
    ApplicationNames names;
    const auto start = ApplicationNames::Clock::time_point{};
    names.remember(":1.5", "dev.velquin.desktop", start);
    names.remember(":1.6", std::nullopt, start);  // did not answer
    EXPECT_EQ(names.remembered(":1.5", start + std::chrono::seconds(29)),
              std::make_optional(std::optional<std::string>("dev.velquin.desktop")));
    EXPECT_EQ(names.remembered(":1.6", start + std::chrono::seconds(29)),
              std::make_optional(std::optional<std::string>()));
    EXPECT_EQ(names.remembered(":1.5", start + std::chrono::seconds(30)), std::nullopt);
    EXPECT_EQ(names.remembered(":1.6", start + std::chrono::seconds(30)), std::nullopt);
    EXPECT_EQ(names.remembered(":1.7", start), std::nullopt);
    // Only what is not remembered is asked: an application that refuses names nothing.
    testing_support::ScriptedBus bus(":1.9");
    EXPECT_EQ(names.namesOf(bus, {{":1.5", "/root"}, {":1.6", "/root"}, {":1.7", "/root"}}, 800, start),
              (std::map<std::string, std::string>{{":1.5", "dev.velquin.desktop"}, {":1.7", ""}}));
    EXPECT_EQ(bus.asked, std::vector<std::string>{"/root Get"});
}

}  // namespace
}  // namespace ondrel::atspi
