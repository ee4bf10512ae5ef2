// The tray application on a private desktop: its own window is on the accessibility bus too, and
// must never slow its passes down.

#include <algorithm>
#include <string>

#include "tests/e2e/Desktop.h"

namespace ondrel::testing_support {
namespace {

TEST_F(Desktop, trayApplication_ownWindowOpen_passesKeepTheirInterval) {
    StandIn velquin("window Chat\ntext Nothing to allow here\n");
    ASSERT_TRUE(velquin.ready());
    // The run ends by the deadline; one pass a second should fit about 13 times into it.
    const ProgramRun run = ondrel({"--interval", "1"}, 14);
    const Lines lines = messages(run.out);
    const auto passes = std::count(lines.begin(), lines.end(), "pass: no Allow button (1 window(s) scanned)");
    EXPECT_GE(passes, 12) << run.out;
}

}  // namespace
}  // namespace ondrel::testing_support
