// SPDX-License-Identifier: MIT
// Which processes Ondrel takes for Velquin on a Linux desktop: each way a desktop marks an
// application as Velquin, and the look-alikes that must never be pressed.

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/Desktop.h"
#include "tests/support/UnitCgroup.h"

namespace ondrel::testing_support {
namespace {

// One pass over Velquin started each way a desktop marks it, beside look-alikes: a helper started from
// Velquin, which inherits everything Velquin was launched with, and an application in another's scope.
TEST_F(Desktop, velquinEachWayADesktopMarksItBesideLookAlikes_onlyVelquinPressedInProcessOrder) {
    const UnitCgroup scope("app-gnome-dev.velquin.desktop-4242.scope");
    const UnitCgroup otherScope("app-gnome-org.example.other-7.scope");
    if (!scope.missing().empty() || !otherScope.missing().empty())
        GTEST_SKIP() << scope.missing() << otherScope.missing();
    StandIn busName(promptWindow("Bus name", "one"));
    StandIn atspiName(promptWindow("AT-SPI name", "two"), {"--non-unique"});
    StandIn launched(promptWindow("Launched by GIO", "three"), {"--app-id", "org.example.launched"}, {},
                     StandIn::Launch::byGio);
    StandIn scoped(promptWindow("Systemd scope", "four"), {"--app-id", "org.example.scoped"});
    ASSERT_TRUE(scope.add(scoped.pid())) << "cannot move the stand-in into the cgroup";
    StandIn inherited(promptWindow("Helper", "Allow this?"), {"--app-id", "org.example.helper"},
                      {"CHROME_DESKTOP=dev.velquin.desktop.desktop",
                       "GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/dev.velquin.desktop.desktop",
                       "GIO_LAUNCHED_DESKTOP_FILE_PID=" + std::to_string(busName.pid())});
    StandIn other(promptWindow("Other", "Allow this?"), {"--app-id", "org.example.other"});
    ASSERT_TRUE(otherScope.add(other.pid()));

    std::vector<std::pair<pid_t, std::string>> velquins{{busName.pid(), "Bus name"},
                                                        {atspiName.pid(), "AT-SPI name"},
                                                        {launched.pid(), "Launched by GIO"},
                                                        {scoped.pid(), "Systemd scope"}};
    std::sort(velquins.begin(), velquins.end());
    Lines expected{"Accessibility OK."};
    for (const auto& [pid, title] : velquins)
        expected.push_back("Pressed \"Allow\" in [" + title + "]");
    EXPECT_EQ(messages(ondrel({"--once"}).out), expected);
    EXPECT_EQ(busName.presses(), Lines{"Allow in Bus name"});
    EXPECT_EQ(scoped.presses(), Lines{"Allow in Systemd scope"});
    EXPECT_TRUE(inherited.presses().empty());
    EXPECT_TRUE(other.presses().empty());
}

}  // namespace
}  // namespace ondrel::testing_support
