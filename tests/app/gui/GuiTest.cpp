// SPDX-License-Identifier: MIT
// The window, the status menu and the delegate, run for real on Qt's offscreen platform over the
// in-memory accessibility platform.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QWindow>
#include <filesystem>
#include <tuple>

#include "app/WindowModel.h"
#include "app/gui/AppDelegate.h"
#include "app/gui/MainWindowController.h"
#include "app/gui/MenuBarController.h"
#include "core/ActivityLog.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/QtEvents.h"
#include "tests/support/Scene.h"

namespace ondrel::gui {
namespace {

using testing_support::deliverPosted;
using testing_support::menuAction;
using testing_support::processEventsFor;

class Gui : public testing_support::Scene {
protected:
    void SetUp() override { engine.start(); }
    QString logText(const MainWindowController& controller) const {
        deliverPosted();
        return controller.logView->toPlainText();
    }

    testing_support::ManualScheduler scheduler;
    WatcherEngine engine{scanner, scheduler, Options{}};
};

TEST_F(Gui, startStop_twice_pausesThenResumesWithTitles) {
    MainWindowController controller(engine, platform.wording());
    quietly([&] { controller.startStop->click(); });
    EXPECT_EQ(controller.startStop->text(), "Start");
    EXPECT_EQ(controller.statusLabel->text(), "Paused");
    quietly([&] { controller.startStop->click(); });
    EXPECT_EQ(controller.startStop->text(), "Stop");
}

TEST_F(Gui, appendLog_capAt200000Units_cutsFirst100000OnlyWhenPassed) {
    MainWindowController controller(engine, platform.wording());
    quietly([&] { controller.appendLog("x"); });
    const qsizetype lineLength = controller.logView->toPlainText().size();  // "[time] x\n"
    const qsizetype prefix = lineLength - 2;                                // "[time] "
    controller.appendLog(std::string(static_cast<std::size_t>(200000 - lineLength - prefix - 1), 'a'));
    EXPECT_EQ(controller.logView->toPlainText().size(), 200000);
    controller.appendLog("y");
    EXPECT_EQ(controller.logView->toPlainText().size(), 200000 + lineLength - 100000);
}

TEST_F(Gui, show_twiceWithin1500ms_endsAtNormalLevel) {
    MainWindowController controller(engine, platform.wording());
    controller.show();
    processEventsFor(500);
    controller.show();
    EXPECT_TRUE(controller.window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    processEventsFor(1700);
    EXPECT_FALSE(controller.window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(Gui, listButtons_duplicateLabels_headerCountsDistinctSortedLinesOutsideTextEscaped) {
    Element window = velquinWindow("Chat\n[x]");
    platform.addButton(window, "Run\n\x1b[2J");
    platform.addButton(window, "Allow");
    platform.addButton(window, "Allow");
    MainWindowController controller(engine, platform.wording());
    quietly([&] { controller.listButton->click(); });
    EXPECT_EQ(logged,
              (std::vector<std::string>{"--- buttons Velquin currently exposes ---",
                                        "[Chat\\n[x]] 2 labelled button(s)", "    Allow", "    Run\\n\\u{1b}[2J"}));
    EXPECT_TRUE(logText(controller).endsWith("]     Run\\n\\u{1b}[2J\n"));
}

// The menu shows each entry once as the model says, and its items act through the engine.
TEST_F(Gui, menuNeedsUpdate_twice_eachEntryShownOnceAsTheModelSaysItemsAct) {
    MenuBarController menuBar(engine);
    menuBar.menuNeedsUpdate();
    menuBar.menuNeedsUpdate();
    const std::vector<MenuEntry> entries = statusMenu(engine.state());
    const QList<QAction*> actions = menuBar.menu.actions();
    ASSERT_EQ(static_cast<std::size_t>(actions.size()), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const QAction& action = *actions[static_cast<qsizetype>(i)];
        EXPECT_EQ(action.isSeparator(), entries[i].separator());
        if (entries[i].separator())
            continue;
        EXPECT_EQ(action.text().toStdString(), entries[i].title);
        EXPECT_EQ(action.isEnabled(), entries[i].enabled) << entries[i].title;
        EXPECT_EQ(action.isCheckable(), entries[i].checkable()) << entries[i].title;
        EXPECT_EQ(action.isChecked(), entries[i].checked) << entries[i].title;
    }
    EXPECT_EQ(actions.back()->shortcut(), QKeySequence(QKeySequence::Quit));

    quietly([&] { menuAction(menuBar.menu, QStringLiteral("Safe mode (skip risky prompts)"))->trigger(); });
    EXPECT_FALSE(engine.state().safe);
    quietly([&] { menuAction(menuBar.menu, QStringLiteral("Stop"))->trigger(); });
    EXPECT_TRUE(engine.state().paused);
}

TEST_F(Gui, openLog_fileMissing_createdEmptyThenOpened) {
    MenuBarController menuBar(engine);
    QString opened;
    menuBar.fileOpener = [&](const QString& path) { opened = path; };
    std::filesystem::create_directories(std::filesystem::path(logFilePath()).parent_path());
    std::filesystem::remove(logFilePath());
    menuBar.menuNeedsUpdate();
    menuAction(menuBar.menu, QStringLiteral("Open Log File"))->trigger();
    EXPECT_EQ(opened.toStdString(), logFilePath());
    EXPECT_TRUE(std::filesystem::exists(logFilePath()));
    EXPECT_EQ(std::filesystem::file_size(logFilePath()), 0u);
}

TEST_F(Gui, close_noStatusItem_toldOnceHowToReopenThenHiddenEachTime) {
    QSettings(QStringLiteral("Ondrel"), QStringLiteral("Ondrel")).remove(toldHowToReopenKey);
    MainWindowController controller(engine, platform.wording());
    controller.statusItemShown = [] { return false; };
    controller.startingAgainShowsWindow = true;
    controller.show();

    EXPECT_FALSE(controller.window->close());
    auto* notice = controller.window->findChild<QMessageBox*>();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text().toStdString(), reopenNotice);
    EXPECT_TRUE(controller.window->isVisible());  // until the user has read it
    notice->accept();
    EXPECT_FALSE(controller.window->isVisible());

    controller.show();
    controller.window->close();
    EXPECT_FALSE(controller.window->isVisible());
    for (const QMessageBox* shown : controller.window->findChildren<QMessageBox*>())
        EXPECT_FALSE(shown->isVisible());
}

TEST_F(Gui, close_noStatusItemNorSingleInstance_minimizedNotHidden) {
    MainWindowController controller(engine, platform.wording());
    controller.statusItemShown = [] { return false; };
    controller.show();
    EXPECT_FALSE(controller.window->close());
    EXPECT_TRUE(controller.window->isVisible());
    EXPECT_TRUE(controller.window->isMinimized());
}

// The frame a newly built window takes from the settings.
QRect restoredFrame(WatcherEngine& engine) {
    static const PlatformWording wording{};
    MainWindowController restored(engine, wording);
    return restored.window->geometry();
}

TEST_F(Gui, moveAndResize_frameSavedOnceSettledAndAtOnceBeforeRestart) {
    MainWindowController controller(engine, platform.wording());
    controller.show();
    controller.window->setGeometry(123, 145, 720, 590);
    processEventsFor(800);
    EXPECT_EQ(restoredFrame(engine), QRect(123, 145, 720, 590));

    QRect savedAtRestart;
    controller.onRecheck = [&] { savedAtRestart = restoredFrame(engine); };
    controller.window->setGeometry(211, 97, 700, 560);
    controller.recheckPermission();
    EXPECT_EQ(savedAtRestart, QRect(211, 97, 700, 560));
}

// What the window says of the permission: the banner (empty while hidden), the status line, and whether
// Stop and List can be used.
using Shown = std::tuple<std::string, std::string, bool, bool>;
Shown shown(const MainWindowController& window) {
    return {window.permissionBox->isHidden() ? "" : window.permissionLabel->text().toStdString(),
            window.statusLabel->text().toStdString(), window.startStop->isEnabled(), window.listButton->isEnabled()};
}

class Delegate : public testing_support::Scene {
protected:
    testing_support::ManualScheduler scheduler;

    // The messages in the window's log view, without their local timestamps.
    static std::vector<std::string> windowMessages(const AppDelegate& delegate) {
        deliverPosted();
        std::vector<std::string> messages;
        for (const QString& line : delegate.windowController->logView->toPlainText().split('\n', Qt::SkipEmptyParts)) {
            messages.push_back(line.mid(line.indexOf(QStringLiteral("] ")) + 2).toStdString());
        }
        return messages;
    }
};

TEST_F(Delegate, launch_trusted_okStartsEngineThenWatchingLine) {
    Options options;
    options.safe = false;
    options.interval = 2.5;
    AppDelegate delegate(options, scanner, scheduler, [](const std::string&) {});
    quietly([&] { delegate.applicationDidFinishLaunching(); });
    EXPECT_EQ(
        windowMessages(delegate),
        (std::vector<std::string>{"Accessibility OK.", "Watching every 2.5s, labels [\"Allow\"], safe mode off."}));
    EXPECT_EQ(scheduler.liveTimers(), 1);
    EXPECT_EQ(scheduler.entries.back()->interval, 2.5);
    EXPECT_TRUE(delegate.windowController->window->isVisible());
    EXPECT_FALSE(delegate.applicationShouldTerminateAfterLastWindowClosed());

    // Every engine update refreshes the window (and then the status item).
    velquinWindow();
    quietly([&] { scheduler.fireAll(); });
    EXPECT_EQ(delegate.windowController->statusLabel->text(), "Watching 1 window  \u00B7  approved 0");
}

TEST_F(Delegate, launch_untrustedGrantNeedsRestart_requestsLogsBannerStaysNeverStarts) {
    platform.setTrusted(false);
    std::vector<std::string> relaunched;
    AppDelegate delegate(Options{}, scanner, scheduler,
                         [&](const std::string& message) { relaunched.push_back(message); });
    quietly([&] { delegate.applicationDidFinishLaunching(); });
    EXPECT_EQ(platform.trustRequests, 1);
    EXPECT_EQ(windowMessages(delegate), std::vector<std::string>{"Accessibility permission is not granted yet, so "
                                                                 "nothing can be clicked. Use the buttons above."});
    platform.setTrusted(true);  // granted while running: only a restart can use it
    quietly([&] { delegate.windowController->safeToggle->click(); });
    EXPECT_EQ(shown(*delegate.windowController),
              Shown("banner (fake)", "Waiting for Accessibility permission", false, false));
    EXPECT_EQ(scheduler.liveTimers(), 0);
    delegate.windowController->recheckPermission();
    EXPECT_EQ(relaunched, std::vector<std::string>{"Relaunch failed. Quit and reopen manually."});
}

TEST_F(Delegate, launch_untrustedGrantCountsAtOnce_watchingStartsWhenGrantedBannerStaysUntilThen) {
    platform.setTrusted(false);
    platform.setGrantTakesEffectAtOnce(true);
    AppDelegate delegate(Options{}, scanner, scheduler, [](const std::string&) {});
    quietly([&] { delegate.applicationDidFinishLaunching(); });
    const MainWindowController& window = *delegate.windowController;
    quietly([&] { delegate.windowController->safeToggle->click(); });  // a refresh on the way
    quietly([&] { scheduler.fireAll(); });
    EXPECT_EQ(shown(window), Shown("banner (fake)", "Waiting for Accessibility permission", false, false));
    EXPECT_FALSE(window.safeToggle->isChecked());  // the click went through while waiting and stayed
    EXPECT_FALSE(delegate.engine->state().started);

    platform.setTrusted(true);  // the switch turned on
    quietly([&] {
        scheduler.fireAll();
        scheduler.runPosted();
    });
    EXPECT_TRUE(delegate.engine->state().started);
    EXPECT_EQ(shown(window), Shown("", "Velquin not running", true, true));
    EXPECT_EQ(windowMessages(delegate).back(), "Watching every 1.0s, labels [\"Allow\"], safe mode off.");
    EXPECT_EQ(scheduler.liveTimers(), 1);  // the engine's; nothing looks at the grant any more
}

TEST_F(Delegate, launch_serviceUnavailable_reasonInLogAndBannerNothingRequestedNeverStarts) {
    platform.setUnavailable("no accessibility bus here");
    AppDelegate delegate(Options{}, scanner, scheduler, [](const std::string&) {});
    quietly([&] { delegate.applicationDidFinishLaunching(); });
    EXPECT_EQ(windowMessages(delegate), std::vector<std::string>{"no accessibility bus here"});
    EXPECT_EQ(platform.trustRequests, 0);
    EXPECT_EQ(scheduler.liveTimers(), 0);
    EXPECT_EQ(shown(*delegate.windowController),
              Shown("no accessibility bus here", "Accessibility unavailable", false, false));
}

TEST_F(Delegate, reopen_afterClose_showsTheSameWindowWithItsLog) {
    AppDelegate delegate(Options{}, scanner, scheduler, [](const std::string&) {});
    quietly([&] { delegate.applicationDidFinishLaunching(); });
    delegate.windowController->statusItemShown = [] { return true; };
    EXPECT_FALSE(delegate.windowController->window->close());  // refused: hidden instead
    EXPECT_FALSE(delegate.windowController->window->isVisible());
    quietly([&] { log("while hidden"); });
    delegate.menuBar->showWindow();
    EXPECT_TRUE(delegate.windowController->window->isVisible());
    EXPECT_EQ(windowMessages(delegate).back(), "while hidden");
    delegate.windowController->window->close();
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_TRUE(delegate.windowController->window->isVisible());
}

}  // namespace
}  // namespace ondrel::gui
