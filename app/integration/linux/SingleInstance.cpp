// SPDX-License-Identifier: MIT
// One tray application per session on Linux desktops. The first to start owns the name
// dev.ondrel.Ondrel on the session bus and answers Activate there (the org.freedesktop.Application
// interface desktop applications share) by showing its window; a later start calls Activate and ends.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QThread>
#include <QVariantMap>

#include "app/integration/DesktopIntegration.h"

namespace ondrel {
namespace {

const QString busName = QStringLiteral("dev.ondrel.Ondrel");
const QString objectPath = QStringLiteral("/dev/ondrel/Ondrel");
const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
const QString activateMethod = QStringLiteral("Activate");
// How long a later start waits for the running one; a healthy one answers at once.
constexpr int activateTimeoutMs = 10000;
// Restarting (Recheck) replaces the process image; until the bus has seen the old connection go, the
// name still has an owner that can no longer answer. A few attempts outlast that.
constexpr int claimAttempts = 5;

// The exported object: Activate shows the window. Open and ActivateAction have nothing to do here and
// get "unknown method".
class Activation final : public QDBusVirtualObject {
public:
    explicit Activation(const std::function<void()>& activate) : activate_(activate) {}

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.freedesktop.Application\">"
            "<method name=\"Activate\"><arg type=\"a{sv}\" name=\"platform_data\" direction=\"in\"/></method>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const bool ours = message.interface().isEmpty() || message.interface() == applicationInterface;
        if (!ours)
            return false;
        if (message.member() != activateMethod || message.signature() != QStringLiteral("a{sv}")) {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod,
                                                     QStringLiteral("Ondrel answers only Activate(a{sv})")));
            return true;
        }
        // The launcher's token lets the window take the focus on Wayland, where Qt reads it at the
        // next activation.
        const QVariantMap platformData = qdbus_cast<QVariantMap>(message.arguments().value(0));
        const QString token = platformData.value(QStringLiteral("activation-token")).toString();
        if (!token.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
        connection.send(message.createReply());
        if (activate_)
            activate_();
        return true;
    }

private:
    const std::function<void()>& activate_;
};

}  // namespace

struct SingleInstance::Session {
    std::function<void()> activate;
    std::unique_ptr<Activation> activation;  // exported while this process may be called
    bool owner = false;
};

SingleInstance::SingleInstance(std::function<void()> activate) : session_(std::make_unique<Session>()) {
    session_->activate = std::move(activate);
}

SingleInstance::~SingleInstance() {
    if (!session_->activation)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (session_->owner)
        bus.unregisterService(busName);
    bus.unregisterObject(objectPath);
}

SingleInstance::Claim SingleInstance::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return Claim::unguarded;
    // The object is there before the name, so that whoever finds the name can call it.
    if (!session_->activation) {
        session_->activation = std::make_unique<Activation>(session_->activate);
        if (!bus.registerVirtualObject(objectPath, session_->activation.get())) {
            session_->activation.reset();
            return Claim::unguarded;
        }
    }
    for (int attempt = 0; attempt < claimAttempts; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> registered = bus.interface()->registerService(
            busName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (!registered.isValid()) {
            failure_ = registered.error().message().toStdString();
            return Claim::unguarded;
        }
        if (registered.value() == QDBusConnectionInterface::ServiceRegistered) {
            session_->owner = true;
            return Claim::first;
        }

        // Call the owner by its unique name: should it go meanwhile, nobody else gets the call.
        const QDBusReply<QString> owner = bus.interface()->serviceOwner(busName);
        if (!owner.isValid())
            continue;  // gone between the two questions
        QDBusMessage call =
            QDBusMessage::createMethodCall(owner.value(), objectPath, applicationInterface, activateMethod);
        QVariantMap platformData;
        if (const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
            platformData.insert(QStringLiteral("activation-token"), token);
        call << platformData;
        const QDBusMessage reply = bus.call(call, QDBus::Block, activateTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return Claim::handedOver;
        failure_ = reply.errorMessage().toStdString();
        const QDBusReply<QString> ownerNow = bus.interface()->serviceOwner(busName);
        if (ownerNow.isValid() && ownerNow.value() == owner.value())
            return Claim::unanswered;  // still there, and silent
        QThread::msleep(100);
    }
    return Claim::unanswered;
}

}  // namespace ondrel
