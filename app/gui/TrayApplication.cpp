// SPDX-License-Identifier: MIT
#include "app/gui/TrayApplication.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/gui/QtScheduler.h"
#include "app/gui/Settings.h"
#include "app/gui/SkipNotifier.h"
#include "app/integration/DesktopIntegration.h"
#include "core/ActivityLog.h"
#include "core/TextForms.h"

namespace ondrel::gui {
namespace {

std::unique_ptr<QMenu> buildMainMenu() {
    auto menu = std::make_unique<QMenu>(QStringLiteral("Ondrel"));
    QAction* about = menu->addAction(QStringLiteral("About Ondrel"), [] {
        QMessageBox::about(QApplication::activeWindow(), QStringLiteral("About Ondrel"),
                           QStringLiteral("Ondrel %1\nPresses Velquin's \"Allow\" buttons for you.")
                               .arg(QStringLiteral(ONDREL_VERSION)));
    });
    about->setMenuRole(QAction::AboutRole);
    menu->addSeparator();
    // Also here, not only in the status menu: a desktop without a tray has no status menu.
    QAction* startAtLogin = menu->addAction(QStringLiteral("Start at Login"), [] { toggleStartAtLogin(); });
    startAtLogin->setCheckable(true);
    QObject::connect(menu.get(), &QMenu::aboutToShow, startAtLogin,
                     [startAtLogin] { startAtLogin->setChecked(startsAtLogin()); });
    QAction* notify = menu->addAction(QStringLiteral("Notify about skipped prompts"),
                                      [] { SkipNotifier::setEnabled(!SkipNotifier::enabled()); });
    notify->setCheckable(true);
    QObject::connect(menu.get(), &QMenu::aboutToShow, notify,
                     [notify] { notify->setChecked(SkipNotifier::enabled()); });
    QAction* history = menu->addAction(QStringLiteral("Keep a History"), [] { setKeepsHistory(!keepsHistory()); });
    history->setCheckable(true);
    QObject::connect(menu.get(), &QMenu::aboutToShow, history, [history] { history->setChecked(keepsHistory()); });
    menu->addSeparator();
    QAction* close = menu->addAction(QStringLiteral("Close Window"), [] {
        if (QWidget* window = QApplication::activeWindow())
            window->close();
    });
    close->setShortcut(QKeySequence::Close);
    QAction* quit = menu->addAction(QStringLiteral("Quit Ondrel"), [] { QCoreApplication::quit(); });
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    return menu;
}

// Re-opening the running application (clicking its Dock icon on macOS) shows the window.
class ActivationFilter final : public QObject {
public:
    explicit ActivationFilter(TrayApplication& application) : application_(application) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationActivate && application_.window)
            application_.showWindow();
        return false;
    }

private:
    TrayApplication& application_;
};

}  // namespace

TrayApplication::TrayApplication(Options runOptions, Scanner& scanner, Scheduler& scheduler, RelaunchFunction relaunch,
                                 BackgroundRunner* runner)
    : options(std::move(runOptions)),
      scanner_(scanner),
      scheduler_(scheduler),
      relaunch_(std::move(relaunch)),
      runner_(runner) {
    if (QCoreApplication::instance() == nullptr || QThread::currentThread() != QCoreApplication::instance()->thread()) {
        std::fputs("TrayApplication must be created on the main thread\n", stderr);
        std::abort();
    }
}

TrayApplication::~TrayApplication() {
    // The window, the tray icon and the notifier hold the engine: they go first.
    trayIconListening_.reset();
    sessionEnding_.reset();
    skipNotifier.reset();
    trayIcon.reset();
    window.reset();
    engine.reset();
}

void TrayApplication::launch() {
    AccessibilityPlatform& platform = scanner_.platform();
    engine = std::make_unique<WatcherEngine>(scanner_, scheduler_, options, runner_);
    sessionEnding_ = engine->subscribeToSessionEnd([] { QCoreApplication::quit(); });
    window = std::make_unique<MainWindow>(*engine, platform.wording());
    trayIcon = std::make_unique<TrayIcon>(*engine);
    skipNotifier = std::make_unique<SkipNotifier>(*engine);

    // Every update refreshes the window first (it subscribed as it was made), the tray icon second.
    QPointer<TrayApplication> weak(this);
    trayIconListening_ = engine->subscribe([weak] {
        if (weak && weak->trayIcon)
            weak->trayIcon->refresh();
    });
    trayIcon->onShowWindow = [weak] {
        if (weak)
            weak->showWindow();
    };
    window->onRecheck = [relaunch = relaunch_] { relaunch("Relaunch failed. Quit and reopen manually."); };
    window->trayIconShown = [weak] {
        return weak && weak->trayIcon && weak->trayIcon->systemTrayIcon && QSystemTrayIcon::isSystemTrayAvailable();
    };
    window->startingAgainShowsWindow = startingAgainShowsWindow;
    if (mainMenu)
        window->menuBar()->addMenu(mainMenu.get());
    window->bringToFront();

    AccessState access{.unavailableReason = platform.unavailableReason()};
    access.trusted = !access.unavailableReason && platform.isProcessTrusted();
    window->setAccess(access);
    if (access.unavailableReason) {
        log(*access.unavailableReason);  // the banner shows it too; nothing can be watched in this session
    } else if (access.trusted) {
        startWatching();
    } else {
        platform.requestTrust();
        log("Accessibility permission is not granted yet, so nothing can be clicked. Use the buttons above.");
        // Where a grant counts at once (Ondrel turns the desktop's switch on itself), watching starts
        // as soon as it does; elsewhere only Recheck's restart can use it.
        if (platform.grantTakesEffectAtOnce()) {
            grantWatch_ = scheduler_.scheduleRepeating(grantCheckSeconds, [this] {
                if (engine->state().started || !scanner_.platform().isProcessTrusted())
                    return;
                window->setAccess({.trusted = true, .unavailableReason = std::nullopt});
                startWatching();
                scheduler_.post([this] { grantWatch_.reset(); });  // not from inside its own firing
            });
        }
    }
}

void TrayApplication::startWatching() {
    log("Accessibility OK.");
    engine->start();
    log("Watching every " + formatInterval(options.interval) + "s, labels " + formatLabelList(options.labels) +
        ", safe mode " + (engine->state().safe ? "on" : "off") + ".");
}

void TrayApplication::showWindow() {
    if (window)
        window->bringToFront();
}

int runTrayApplication(const Options& options, Scanner& scanner, int& argc, char** argv, RelaunchFunction relaunch) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondrel"));
    QApplication::setApplicationVersion(QStringLiteral(ONDREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);  // closing the window only hides it
    // The installed desktop entry, by which desktops match the window to its name and icon.
    QApplication::setDesktopFileName(QStringLiteral("dev.ondrel.Ondrel"));

    QtScheduler scheduler;
    // Passes run here, so that a slow or hung Velquin never holds up the window.
    WorkerThread passes(scheduler);
    TrayApplication tray(options, scanner, scheduler, std::move(relaunch), &passes);
    SingleInstance instance([&tray] { tray.showWindow(); });
    switch (instance.claim()) {
        case SingleInstance::Claim::first:
            tray.startingAgainShowsWindow = true;
            break;
        case SingleInstance::Claim::handedOver:
            return 0;
        case SingleInstance::Claim::unanswered:
            std::fprintf(stderr, "Ondrel is already running, but did not show its window: %s\n",
                         instance.failure().c_str());
            return 1;
        case SingleInstance::Claim::unguarded:
            break;
    }
    tray.mainMenu = buildMainMenu();
    ActivationFilter activation(tray);
    application.installEventFilter(&activation);
    QTimer::singleShot(0, &tray, [&tray] { tray.launch(); });
    QApplication::exec();
    return 0;
}

}  // namespace ondrel::gui
