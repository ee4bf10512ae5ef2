// SPDX-License-Identifier: MIT
// Which processes Ondrel takes for Velquin on a Linux desktop: each way a desktop marks an
// application as Velquin, and the look-alikes that must never be pressed.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/Desktop.h"

namespace ondrel::testing_support {
namespace {

namespace fs = std::filesystem;

// A cgroup named like the systemd unit a desktop starts an application in (GNOME Shell and KDE
// Plasma start every application in one), made in the unified hierarchy or, on hybrid systems,
// systemd's own. Declare it before the targets it holds: it can be removed only once they are gone.
class UnitCgroup {
public:
    explicit UnitCgroup(const std::string& unit) {
        const std::string root = hierarchy();
        if (root.empty())
            return;
        parent_ = root + "/ondrel-test-" + std::to_string(::getpid()) + "-" + unit;
        folder_ = parent_ + "/" + unit;
        std::error_code error;
        fs::create_directories(folder_, error);
        if (error)
            folder_.clear();
    }
    ~UnitCgroup() {
        std::error_code error;
        fs::remove(folder_, error);
        fs::remove(parent_, error);
    }
    UnitCgroup(const UnitCgroup&) = delete;
    UnitCgroup& operator=(const UnitCgroup&) = delete;

    bool add(pid_t process) const {
        std::ofstream procs(folder_ + "/cgroup.procs");
        procs << process << std::flush;
        return !folder_.empty() && procs.good();
    }

private:
    static std::string hierarchy() {
        std::ifstream mounts("/proc/self/mounts");
        std::string systemdNamed;
        for (std::string device, point, type, options, rest; mounts >> device >> point >> type >> options;) {
            std::getline(mounts, rest);
            if (type == "cgroup2")
                return point;
            if (type == "cgroup" && options.find("name=systemd") != std::string::npos)
                systemdNamed = point;
        }
        return systemdNamed;
    }

    std::string parent_;
    std::string folder_;
};

Lines dryRunsInPidOrder(std::vector<std::pair<pid_t, std::string>> windows) {
    std::sort(windows.begin(), windows.end());
    Lines lines{"Accessibility OK."};
    for (const auto& [pid, title] : windows)
        lines.push_back("DRY-RUN in [" + title + "]: would press \"Allow\"");
    return lines;
}

TEST_F(Desktop, velquin_eachWayADesktopMarksIt_foundInProcessOrder) {
    const UnitCgroup scope("app-gnome-dev.velquin.desktop-4242.scope");
    StandIn busName(promptWindow("Bus name", "one"));
    StandIn atspiName(promptWindow("AT-SPI name", "two"), {"--non-unique"});
    StandIn launched(promptWindow("Launched by GIO", "three"), {"--app-id", "org.example.launched"}, {},
                     StandIn::Launch::byGio);
    StandIn scoped(promptWindow("Systemd scope", "four"), {"--app-id", "org.example.scoped"});
    ASSERT_TRUE(scope.add(scoped.pid())) << "cannot make a cgroup here (run the desktop tests as root)";

    const ProgramRun run = ondrel({"--once", "--dry-run"});
    EXPECT_EQ(messages(run.out), dryRunsInPidOrder({{busName.pid(), "Bus name"},
                                                    {atspiName.pid(), "AT-SPI name"},
                                                    {launched.pid(), "Launched by GIO"},
                                                    {scoped.pid(), "Systemd scope"}}));
}

TEST_F(Desktop, lookAlikes_inheritedLaunchEnvironmentOrOtherScope_neverPressed) {
    const UnitCgroup otherScope("app-gnome-org.example.other-7.scope");
    StandIn velquin(promptWindow("Chat", "Read README.md"));
    // A terminal or helper started from Velquin inherits everything Velquin was launched with.
    StandIn inherited(promptWindow("Helper", "Allow this?"), {"--app-id", "org.example.helper"},
                      {"CHROME_DESKTOP=dev.velquin.desktop.desktop",
                       "GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/dev.velquin.desktop.desktop",
                       "GIO_LAUNCHED_DESKTOP_FILE_PID=" + std::to_string(velquin.pid())});
    StandIn other(promptWindow("Other", "Allow this?"), {"--app-id", "org.example.other"});
    ASSERT_TRUE(otherScope.add(other.pid()));

    const ProgramRun run = ondrel({"--once"});
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", "Pressed \"Allow\" in [Chat]"}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Chat"});
    EXPECT_TRUE(inherited.presses().empty());
    EXPECT_TRUE(other.presses().empty());
}

TEST_F(Desktop, hungUnrelatedApplications_askedOnceTogether_passesKeepTheirInterval) {
    StandIn velquin("window Chat\ntext Nothing to allow here\n");
    std::vector<std::unique_ptr<StandIn>> hung;
    for (const char* id : {"org.example.one", "org.example.two", "org.example.three"}) {
        hung.push_back(
            std::make_unique<StandIn>("window Other\ntext hello\n", std::vector<std::string>{"--app-id", id}));
        hung.back()->stop();
    }
    // Each stopped application costs one timeout, all three the same one, and not again for 30 s:
    // the passes after the first keep to their interval.
    const ProgramRun run = ondrel({"--headless", "--interval", "0.2"}, 5);
    const Lines lines = messages(run.out);
    const auto passes = std::count(lines.begin(), lines.end(), "pass: no Allow button (1 window(s) scanned)");
    EXPECT_GE(passes, 10) << run.out;
}

}  // namespace
}  // namespace ondrel::testing_support
