// SPDX-License-Identifier: MIT
// The window, the tray icon's menu and the application's launch, run for real on Qt's offscreen platform
// over the in-memory accessibility platform.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QWindow>
#include <filesystem>
#include <tuple>

#include "app/WindowModel.h"
#include "app/gui/MainWindow.h"
#include "app/gui/TrayApplication.h"
#include "app/gui/TrayIcon.h"
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

    testing_support::ManualScheduler scheduler;
    WatcherEngine engine{scanner, scheduler, Options{}};
};

TEST_F(Gui, startStop_twice_pausesThenResumesWithTitles) {
    MainWindow window(engine, platform.wording());
    quietly([&] { window.startStop->click(); });
    EXPECT_EQ(window.startStop->text(), "Start");
    EXPECT_EQ(window.statusLabel->text(), "Paused");
    quietly([&] { window.startStop->click(); });
    EXPECT_EQ(window.startStop->text(), "Stop");
}

TEST_F(Gui, appendLog_capAt200000Units_cutsFirst100000OnlyWhenPassed) {
    MainWindow window(engine, platform.wording());
    quietly([&] { window.appendLog("x"); });
    const qsizetype lineLength = window.logView->toPlainText().size();  // "[time] x\n"
    const qsizetype prefix = lineLength - 2;                            // "[time] "
    window.appendLog(std::string(static_cast<std::size_t>(200000 - lineLength - prefix - 1), 'a'));
    EXPECT_EQ(window.logView->toPlainText().size(), 200000);
    window.appendLog("y");
    EXPECT_EQ(window.logView->toPlainText().size(), 200000 + lineLength - 100000);
}

TEST_F(Gui, show_twiceWithin1500ms_endsAtNormalLevel) {
    MainWindow window(engine, platform.wording());
    window.bringToFront();
    processEventsFor(500);
    window.bringToFront();
    EXPECT_TRUE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    processEventsFor(1700);
    EXPECT_FALSE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(Gui, listButtons_duplicateLabels_headerCountsDistinctSortedLinesOutsideTextEscaped) {
    Element chat = velquinWindow("Chat\n[x]");
    platform.addButton(chat, "Run\n\x1b[2J");
    platform.addButton(chat, "Allow");
    platform.addButton(chat, "Allow");
    MainWindow window(engine, platform.wording());
    quietly([&] { window.listButton->click(); });
    EXPECT_EQ(logged,
              (std::vector<std::string>{"--- buttons Velquin currently exposes ---",
                                        "[Chat\\n[x]] 2 labelled button(s)", "    Allow", "    Run\\n\\u{1b}[2J"}));
    deliverPosted();
    EXPECT_TRUE(window.logView->toPlainText().endsWith("]     Run\\n\\u{1b}[2J\n"));
}

// The menu shows each entry once as the model says, and its items act through the engine.
TEST_F(Gui, menuNeedsUpdate_twice_eachEntryShownOnceAsTheModelSaysItemsAct) {
    TrayIcon tray(engine);
    tray.rebuildMenu();
    tray.rebuildMenu();
    const std::vector<MenuEntry> entries = statusMenu(engine.state());
    const QList<QAction*> actions = tray.menu.actions();
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

    quietly([&] { menuAction(tray.menu, QStringLiteral("Safe mode (skip risky prompts)"))->trigger(); });
    EXPECT_FALSE(engine.state().safe);
    quietly([&] { menuAction(tray.menu, QStringLiteral("Stop"))->trigger(); });
    EXPECT_TRUE(engine.state().paused);
}

TEST_F(Gui, openLog_fileMissing_createdEmptyThenOpened) {
    TrayIcon tray(engine);
    QString opened;
    tray.fileOpener = [&](const QString& path) { opened = path; };
    std::filesystem::create_directories(std::filesystem::path(logFilePath()).parent_path());
    std::filesystem::remove(logFilePath());
    tray.rebuildMenu();
    menuAction(tray.menu, QStringLiteral("Open Log File"))->trigger();
    EXPECT_EQ(opened.toStdString(), logFilePath());
    EXPECT_TRUE(std::filesystem::exists(logFilePath()));
    EXPECT_EQ(std::filesystem::file_size(logFilePath()), 0u);
}

// Without a status item the window can only be minimized; where starting again shows it, the user is
// told once how to reopen it and from then on it hides.
TEST_F(Gui, close_noStatusItem_minimizedOrWhereAStartShowsItToldOnceHowToReopenThenHiddenEachTime) {
    QSettings(QStringLiteral("Ondrel"), QStringLiteral("Ondrel")).remove(toldHowToReopenKey);
    MainWindow window(engine, platform.wording());
    window.trayIconShown = [] { return false; };
    window.bringToFront();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isMinimized());

    window.startingAgainShowsWindow = true;
    window.bringToFront();
    EXPECT_FALSE(window.close());
    auto* notice = window.findChild<QMessageBox*>();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text().toStdString(), reopenNotice);
    EXPECT_TRUE(window.isVisible());  // until the user has read it
    notice->accept();
    EXPECT_FALSE(window.isVisible());

    window.bringToFront();
    window.close();
    EXPECT_FALSE(window.isVisible());
    for (const QMessageBox* shown : window.findChildren<QMessageBox*>())
        EXPECT_FALSE(shown->isVisible());
}

// The frame a newly built window takes from the settings.
QRect restoredFrame(WatcherEngine& engine) {
    static const PlatformWording wording{};
    MainWindow restored(engine, wording);
    return restored.geometry();
}

TEST_F(Gui, moveAndResize_frameSavedOnceSettledAndAtOnceBeforeRestart) {
    MainWindow window(engine, platform.wording());
    window.bringToFront();
    window.setGeometry(123, 145, 720, 590);
    processEventsFor(800);
    EXPECT_EQ(restoredFrame(engine), QRect(123, 145, 720, 590));

    QRect savedAtRestart;
    window.onRecheck = [&] { savedAtRestart = restoredFrame(engine); };
    window.setGeometry(211, 97, 700, 560);
    window.recheckPermission();
    EXPECT_EQ(savedAtRestart, QRect(211, 97, 700, 560));
}

// What the window says of the permission: the banner (empty while hidden), the status line, and whether
// Stop and List can be used.
using Shown = std::tuple<std::string, std::string, bool, bool>;
Shown shown(const MainWindow& window) {
    return {window.permissionBox->isHidden() ? "" : window.permissionLabel->text().toStdString(),
            window.statusLabel->text().toStdString(), window.startStop->isEnabled(), window.listButton->isEnabled()};
}

class Launch : public testing_support::Scene {
protected:
    testing_support::ManualScheduler scheduler;

    // The messages in the window's log view, without their local timestamps.
    static std::vector<std::string> windowMessages(const TrayApplication& tray) {
        deliverPosted();
        std::vector<std::string> messages;
        for (const QString& line : tray.window->logView->toPlainText().split('\n', Qt::SkipEmptyParts)) {
            messages.push_back(line.mid(line.indexOf(QStringLiteral("] ")) + 2).toStdString());
        }
        return messages;
    }
};

// Closed, the window hides; the tray icon or a second start brings the same window back with its log.
TEST_F(Launch, launch_trusted_watchingUpdatesShownClosedWindowComesBackWithItsLog) {
    TrayApplication tray({.interval = 2.5, .safe = false}, scanner, scheduler, [](const std::string&) {});
    quietly([&] { tray.launch(); });
    EXPECT_EQ(
        windowMessages(tray),
        (std::vector<std::string>{"Accessibility OK.", "Watching every 2.5s, labels [\"Allow\"], safe mode off."}));
    EXPECT_EQ(scheduler.liveTimers(), 1);
    EXPECT_EQ(scheduler.entries.back()->interval, 2.5);
    EXPECT_TRUE(tray.window->isVisible());

    // Every engine update refreshes the window (and then the tray icon).
    velquinWindow();
    quietly([&] { scheduler.fireAll(); });
    EXPECT_EQ(tray.window->statusLabel->text(), "Watching 1 window  \u00B7  approved 0");

    tray.window->trayIconShown = [] { return true; };
    EXPECT_FALSE(tray.window->close());  // refused: hidden instead
    EXPECT_FALSE(tray.window->isVisible());
    quietly([&] { log("while hidden"); });
    tray.trayIcon->showWindow();
    EXPECT_TRUE(tray.window->isVisible());
    EXPECT_EQ(windowMessages(tray).back(), "while hidden");
    tray.window->close();
    tray.showWindow();
    EXPECT_TRUE(tray.window->isVisible());
}

TEST_F(Launch, launch_untrustedGrantNeedsRestart_requestsLogsBannerStaysNeverStarts) {
    platform.setTrusted(false);
    std::vector<std::string> relaunched;
    TrayApplication tray(Options{}, scanner, scheduler,
                         [&](const std::string& message) { relaunched.push_back(message); });
    quietly([&] { tray.launch(); });
    EXPECT_EQ(platform.trustRequests, 1);
    EXPECT_EQ(windowMessages(tray), std::vector<std::string>{"Accessibility permission is not granted yet, so "
                                                             "nothing can be clicked. Use the buttons above."});
    platform.setTrusted(true);  // granted while running: only a restart can use it
    quietly([&] { tray.window->safeToggle->click(); });
    EXPECT_EQ(shown(*tray.window), Shown("banner (fake)", "Waiting for Accessibility permission", false, false));
    EXPECT_EQ(scheduler.liveTimers(), 0);
    tray.window->recheckPermission();
    EXPECT_EQ(relaunched, std::vector<std::string>{"Relaunch failed. Quit and reopen manually."});
}

TEST_F(Launch, launch_untrustedGrantCountsAtOnce_watchingStartsWhenGrantedNotBefore) {
    platform.setTrusted(false);
    platform.setGrantTakesEffectAtOnce(true);
    TrayApplication tray(Options{}, scanner, scheduler, [](const std::string&) {});
    quietly([&] { tray.launch(); });
    const MainWindow& window = *tray.window;
    quietly([&] { tray.window->safeToggle->click(); });
    quietly([&] { scheduler.fireAll(); });
    EXPECT_FALSE(window.safeToggle->isChecked());  // the click went through while waiting and stayed
    EXPECT_FALSE(tray.engine->state().started);

    platform.setTrusted(true);  // the switch turned on
    quietly([&] {
        scheduler.fireAll();
        scheduler.runPosted();
    });
    EXPECT_TRUE(tray.engine->state().started);
    EXPECT_EQ(shown(window), Shown("", "Velquin not running", true, true));
    EXPECT_EQ(windowMessages(tray).back(), "Watching every 1.0s, labels [\"Allow\"], safe mode off.");
    EXPECT_EQ(scheduler.liveTimers(), 1);  // the engine's; nothing looks at the grant any more
}

TEST_F(Launch, launch_serviceUnavailable_reasonInLogAndBannerNothingRequestedNeverStarts) {
    platform.setUnavailable("no accessibility bus here");
    TrayApplication tray(Options{}, scanner, scheduler, [](const std::string&) {});
    quietly([&] { tray.launch(); });
    EXPECT_EQ(windowMessages(tray), std::vector<std::string>{"no accessibility bus here"});
    EXPECT_EQ(platform.trustRequests, 0);
    EXPECT_EQ(scheduler.liveTimers(), 0);
    EXPECT_EQ(shown(*tray.window), Shown("no accessibility bus here", "Accessibility unavailable", false, false));
}

}  // namespace
}  // namespace ondrel::gui
