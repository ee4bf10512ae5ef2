// SPDX-License-Identifier: MIT
#pragma once

// A desktop notification service for the GUI tests, on its own connection to the test's session bus.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QTimer>
#include <mutex>

namespace ondrel::testing_support {

// The service's side of org.freedesktop.Notifications: keeps the summary and body of every Notify.
class NotificationServer final : public QDBusVirtualObject {
public:
    explicit NotificationServer(QStringList capabilities) : capabilities_(std::move(capabilities)) {
        bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this);
        bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~NotificationServer() override { QDBusConnection::disconnectFromBus(bus_.name()); }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() == QStringLiteral("GetCapabilities"))
            return connection.send(message.createReply(QVariant(capabilities_)));
        if (message.member() != QStringLiteral("Notify"))
            return false;
        const QList<QVariant> arguments = message.arguments();
        std::lock_guard lock(mutex_);
        received_.push_back(arguments.value(3).toString() + QStringLiteral(" | ") + arguments.value(4).toString());
        return connection.send(message.createReply(QVariant(static_cast<uint>(received_.size()))));
    }

    // What arrived, after giving the buses up to `milliseconds` to deliver `expected` notices.
    QStringList received(qsizetype expected, int milliseconds = 3000) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            std::lock_guard lock(mutex_);
            if (received_.size() >= expected)
                loop.quit();
        });
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        poll.start(10);
        loop.exec();
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    QDBusConnection bus_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notices"));
    QStringList capabilities_;
    std::mutex mutex_;
    QStringList received_;
};

}  // namespace ondrel::testing_support
