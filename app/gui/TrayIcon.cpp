// SPDX-License-Identifier: MIT
#include "app/gui/TrayIcon.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "app/WindowModel.h"
#include "app/gui/Settings.h"
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

TrayIcon::TrayIcon(WatcherEngine& engineToShow) : engine(engineToShow), fileOpener(openWithDesktop) {
    QObject::connect(&menu, &QMenu::aboutToShow, this, [this] { rebuildMenu(); });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        systemTrayIcon = std::make_unique<QSystemTrayIcon>();
        systemTrayIcon->setContextMenu(&menu);
        QObject::connect(systemTrayIcon.get(), &QSystemTrayIcon::activated, this,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger)
                                 showWindow();
                         });
        systemTrayIcon->show();
    }
    refresh();
}

TrayIcon::~TrayIcon() {
    if (systemTrayIcon)
        systemTrayIcon->setContextMenu(nullptr);
}

void TrayIcon::refresh() {
    if (!systemTrayIcon)
        return;
    systemTrayIcon->setIcon(statusIcon(statusSymbol(engine.state())));
    systemTrayIcon->setToolTip(QString::fromStdString(statusToolTip(engine.state())));
}

void TrayIcon::rebuildMenu() {
    menu.clear();
    for (const MenuEntry& entry : statusMenu(engine.state(), {.notifySkipped = SkipNotifier::enabled(),
                                                             .keepHistory = keepsHistory(),
                                                             .startAtLogin = startsAtLogin()})) {
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
                case MenuEntry::Action::toggleKeepHistory:
                    setKeepsHistory(!keepsHistory());
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

void TrayIcon::showWindow() {
    if (onShowWindow)
        onShowWindow();
}

void TrayIcon::togglePause() {
    engine.togglePause();
}

void TrayIcon::toggleSafe() {
    engine.setSafe(!engine.state().safe);
}

void TrayIcon::openLog() {
    const QString path = QString::fromStdString(logFilePath());
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);  // an empty file; a failure is not reported
    }
    if (fileOpener)
        fileOpener(path);
}

void TrayIcon::quit() {
    log("Quit by user.");
    QCoreApplication::quit();
}

}  // namespace ondrel::gui
