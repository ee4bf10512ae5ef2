// SPDX-License-Identifier: MIT
// Notifications on Linux desktops, with or without a tray: org.freedesktop.Notifications on the session
// bus. The server's capabilities are asked once, at the first notice: a server that reads the body as
// markup gets it escaped, one that does not gets it as it is (it would show the entities).

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <utility>
#include <vector>

#include "app/SkipNotices.h"
#include "app/integration/DesktopIntegration.h"
#include "core/ActivityLog.h"
#include "core/TextForms.h"

namespace ondrel {
namespace {

const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
const QString objectPath = QStringLiteral("/org/freedesktop/Notifications");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, method);
}

}  // namespace

struct DesktopNotifications::Service {
    enum class Markup { unasked, asking, read, plain };

    QObject context;  // ends the answers' callbacks with this object
    Markup markup = Markup::unasked;
    std::vector<Notice> waiting;  // posted while the capabilities were asked
    bool failureLogged = false;

    void askCapabilities() {
        markup = Markup::asking;
        whenAnswered(call(QStringLiteral("GetCapabilities")), [this](const QDBusMessage& reply) {
            const bool answered = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
            // Unanswered, escaping is the safe side: markup is never read from text it should show.
            markup = !answered || reply.arguments().first().toStringList().contains(QStringLiteral("body-markup"))
                         ? Markup::read
                         : Markup::plain;
            for (const Notice& notice : std::exchange(waiting, {}))
                send(notice);
        });
    }

    void send(const Notice& notice) {
        const std::string body = markup == Markup::plain ? notice.body : escapeMarkup(notice.body);
        QDBusMessage notify = call(QStringLiteral("Notify"));
        const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("dev.ondrel.Ondrel")},
                                {QStringLiteral("urgency"), QVariant::fromValue<uchar>(1)}};
        notify << QStringLiteral("Ondrel") << 0u << QStringLiteral("dev.ondrel.Ondrel")
               << QString::fromStdString(notice.title) << QString::fromStdString(body) << QStringList() << hints << -1;
        whenAnswered(notify, [](const QDBusMessage&) {});
    }

    template <typename Handler>
    void whenAnswered(const QDBusMessage& message, Handler handler) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            failed(bus.lastError().message());
            handler(QDBusMessage());
            return;
        }
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), &context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context,
                         [this, watcher, handler](QDBusPendingCallWatcher*) {
                             const QDBusMessage reply = watcher->reply();
                             if (reply.type() == QDBusMessage::ErrorMessage)
                                 failed(reply.errorMessage());
                             handler(reply);
                             watcher->deleteLater();
                         });
    }

    void failed(const QString& why) {
        if (std::exchange(failureLogged, true))
            return;
        log("Could not show a notification: " + escapeForLine(why.toStdString()) + ".");
    }
};

DesktopNotifications::DesktopNotifications() : service_(std::make_unique<Service>()) {}

DesktopNotifications::~DesktopNotifications() = default;

void DesktopNotifications::post(const Notice& notice) {
    switch (service_->markup) {
        case Service::Markup::unasked:
            service_->waiting.push_back(notice);
            service_->askCapabilities();
            break;
        case Service::Markup::asking:
            service_->waiting.push_back(notice);
            break;
        case Service::Markup::read:
        case Service::Markup::plain:
            service_->send(notice);
            break;
    }
}

}  // namespace ondrel
