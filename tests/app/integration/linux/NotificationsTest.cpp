// SPDX-License-Identifier: MIT
// Notices about skipped prompts, as a notification service on this test's private session bus
// receives them over several passes.

#include <gtest/gtest.h>

#include "app/gui/SkipNotifier.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/NotificationServer.h"
#include "tests/support/Scene.h"

namespace ondrel::gui {
namespace {

struct ServerCase {
    const char* name;
    QStringList capabilities;
    QString body;  // as the server receives it
};

class NoticesOnTheBus : public testing_support::Scene, public testing::WithParamInterface<ServerCase> {
protected:
    NoticesOnTheBus() {
        SkipNotifier::setEnabled(true);
        engine.start();
    }
    void pass() {
        quietly([&] { timers.fireAll(); });
    }

    testing_support::NotificationServer server{GetParam().capabilities};
    testing_support::ManualScheduler timers;
    WatcherEngine engine{scanner, timers, Options{}};
    SkipNotifier notifier{engine};
    const QString title = QStringLiteral("Ondrel left a prompt for you");
};

// Switched off, a prompt waiting is never announced, not even once notices are on again; a new prompt
// is, once over several passes. (Which prompts count as new is the notice list's own test.)
TEST_P(NoticesOnTheBus, samePromptOverPasses_oneNoticeNoneWhileSwitchedOff) {
    const Element window = velquinWindow("Chat <b>&");
    SkipNotifier::setEnabled(false);
    prompt(window, "Run rm -rf build?");
    pass();
    SkipNotifier::setEnabled(true);
    pass();
    const Element other = velquinWindow("Chat <b>&", 101);  // its own window: the first prompt's text stays
    prompt(other, "Run rm -rf build in /home?");
    pass();
    pass();
    EXPECT_EQ(server.received(2, 500), QStringList{title + " | " + GetParam().body});
}

INSTANTIATE_TEST_SUITE_P(
    Servers, NoticesOnTheBus,
    testing::Values(
        ServerCase{"markup",
                   {QStringLiteral("body"), QStringLiteral("body-markup")},
                   QStringLiteral("In [Chat &lt;b&gt;&amp;]: prompt mentions \"rm -rf\"")},
        ServerCase{"plain", {QStringLiteral("body")}, QStringLiteral("In [Chat <b>&]: prompt mentions \"rm -rf\"")}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ondrel::gui
