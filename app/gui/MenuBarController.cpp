// SPDX-License-Identifier: MIT
#include "app/gui/MenuBarController.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "app/WindowModel.h"
#include "app/gui/SkipNotifier.h"
#include "app/gui/StatusIcons.h"
#include "app/integration/DesktopIntegration.h"
#include "core/ActivityLog.h"

namespace ondrel::gui {
namespace {

void openWithDesktop(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace

MenuBarController::MenuBarController(WatcherEngine& engineToShow) : engine(engineToShow), fileOpener(openWithDesktop) {
    QObject::connect(&menu, &QMenu::aboutToShow, this, [this] { menuNeedsUpdate(); });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        statusItem = std::make_unique<QSystemTrayIcon>();
        statusItem->setContextMenu(&menu);
        QObject::connect(statusItem.get(), &QSystemTrayIcon::activated, this,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger)
                                 showWindow();
                         });
        statusItem->show();
    }
    refreshIcon();
}

MenuBarController::~MenuBarController() {
    if (statusItem)
        statusItem->setContextMenu(nullptr);
}

void MenuBarController::refreshIcon() {
    if (!statusItem)
        return;
    statusItem->setIcon(statusIcon(statusSymbol(engine.state())));
    statusItem->setToolTip(QString::fromStdString(statusToolTip(engine.state())));
}

void MenuBarController::menuNeedsUpdate() {
    menu.clear();
    for (const MenuEntry& entry :
         statusMenu(engine.state(), {.notifySkipped = SkipNotifier::enabled(), .startAtLogin = startsAtLogin()})) {
        if (entry.separator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(entry.title));
        action->setEnabled(entry.enabled);
        if (entry.checkable()) {
            action->setCheckable(true);
            action->setChecked(entry.checked);
        }
        if (entry.action == MenuEntry::Action::quit)
            action->setShortcut(QKeySequence::Quit);
        const MenuEntry::Action what = entry.action;
        QObject::connect(action, &QAction::triggered, this, [this, what] {
            switch (what) {
                case MenuEntry::Action::showWindow:
                    showWindow();
                    break;
                case MenuEntry::Action::togglePause:
                    togglePause();
                    break;
                case MenuEntry::Action::toggleSafe:
                    toggleSafe();
                    break;
                case MenuEntry::Action::toggleNotifySkipped:
                    SkipNotifier::setEnabled(!SkipNotifier::enabled());
                    break;
                case MenuEntry::Action::openLog:
                    openLog();
                    break;
                case MenuEntry::Action::toggleStartAtLogin:
                    toggleStartAtLogin();
                    break;
                case MenuEntry::Action::quit:
                    quit();
                    break;
                case MenuEntry::Action::none:
                    break;
            }
        });
    }
}

void MenuBarController::showWindow() {
    if (onShowWindow)
        onShowWindow();
}

void MenuBarController::togglePause() {
    engine.togglePause();
}

void MenuBarController::toggleSafe() {
    engine.setSafe(!engine.state().safe);
}

void MenuBarController::openLog() {
    const QString path = QString::fromStdString(logFilePath());
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);  // an empty file; a failure is not reported
    }
    if (fileOpener)
        fileOpener(path);
}

void MenuBarController::quit() {
    log("Quit by user.");
    QCoreApplication::quit();
}

}  // namespace ondrel::gui
