// SPDX-License-Identifier: MIT
// Ondrel --headless from login to logout while the desktop's services come and go under it: the
// accessibility registry restarted, the accessibility bus restarted, and at last the session bus gone.

#include <algorithm>
#include <string>

#include "tests/support/PrivateSession.h"
#include "tests/support/Spawned.h"

namespace ondrel::testing_support {
namespace {

// A prompt that shows a moment after its program started, so that Ondrel meets it through an event.
void expectPressedWhenItShows(const std::string& title) {
    StandIn velquin("window-later 1 " + title + "\nfillers 20\nbox\ntext Edit notes.txt\nbutton Allow\nend\n");
    ASSERT_TRUE(velquin.ready());
    EXPECT_TRUE(within(8, [&] { return !velquin.presses().empty(); })) << title;
}

using Services = PrivateSession;

TEST_F(Services, headless_registryAndBusRestartedThenSessionEnds_pressesAgainEndsWithStatusZero) {
    // A long interval: what brings the presses is Ondrel hearing the desktop again, not its timer.
    Spawned watcher(ONDREL_BINARY, {"--headless", "--quiet", "--interval", "60"});
    expectPressedWhenItShows("Before");  // which also starts the registry
    const pid_t registry = ownerOnAccessibilityBus("org.a11y.atspi.Registry");
    ASSERT_GT(registry, 1);
    end(registry, SIGKILL);  // the bus starts another on demand
    expectPressedWhenItShows("After the registry");
    stopAccessibilityBus();
    // The desktop starts it again, unless Ondrel's asking for it already had the session bus start one.
    if (ownerOnSessionBus("org.a11y.Bus") <= 1)
        startAccessibilityBus();
    expectPressedWhenItShows("After the bus");
    endSession();
    EXPECT_EQ(watcher.exitStatusWithin(5), 0);

    const std::string printed = watcher.end(SIGKILL);
    const Lines lines = messages(printed);
    const auto has = [&](const std::string& start) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.starts_with(start); });
    };
    EXPECT_TRUE(has("Pressed \"Allow\" in [After the registry]")) << printed;
    EXPECT_TRUE(has("Lost the accessibility bus (")) << printed;
    EXPECT_TRUE(has("The accessibility bus is back: Ondrel reads Velquin afresh.")) << printed;
    EXPECT_TRUE(has("Pressed \"Allow\" in [After the bus]")) << printed;
    EXPECT_EQ(lines.back(), "The desktop session ended (its session bus closed): Ondrel stops.") << printed;
}

}  // namespace
}  // namespace ondrel::testing_support
