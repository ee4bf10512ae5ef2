// SPDX-License-Identifier: MIT
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QTimer>

namespace ondrel::testing_support {

inline void processEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The menu's action with this text, or null.
inline QAction* menuAction(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// Lines logged anywhere reach the window through its event loop.
inline void deliverPosted() {
    QCoreApplication::sendPostedEvents();
}

}  // namespace ondrel::testing_support
