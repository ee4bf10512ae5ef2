// SPDX-License-Identifier: MIT
#include "app/gui/SingleInstance.h"

#ifndef __APPLE__
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QThread>
#include <QVariantMap>
#endif

namespace ondrel::gui {

#ifdef __APPLE__

class SingleInstance::Activation {};

SingleInstance::SingleInstance(std::function<void()> activate) : activate_(std::move(activate)) {}
SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    return Claim::first;
}

#else

namespace {

const QString objectPath = QStringLiteral("/dev/ondrel/Ondrel");
const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
const QString activateMethod = QStringLiteral("Activate");
// How long a later start waits for the running one; a healthy one answers at once.
constexpr int activateTimeoutMs = 10000;
// Restarting (Recheck) replaces the process image; until the bus has seen the old connection go, the
// name still has an owner that can no longer answer. A few attempts outlast that.
constexpr int claimAttempts = 5;

}  // namespace

// The exported object: Activate shows the window. Open and ActivateAction have nothing to do here and
// get "unknown method".
class SingleInstance::Activation final : public QDBusVirtualObject {
public:
    explicit Activation(std::function<void()>& activate) : activate_(activate) {}

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
    std::function<void()>& activate_;
};

SingleInstance::SingleInstance(std::function<void()> activate) : activate_(std::move(activate)) {}

SingleInstance::~SingleInstance() {
    if (!activation_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (owner_)
        bus.unregisterService(QString::fromLatin1(singleInstanceBusName));
    bus.unregisterObject(objectPath);
}

SingleInstance::Claim SingleInstance::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return Claim::unguarded;
    // The object is there before the name, so that whoever finds the name can call it.
    if (!activation_) {
        activation_ = std::make_unique<Activation>(activate_);
        if (!bus.registerVirtualObject(objectPath, activation_.get())) {
            activation_.reset();
            return Claim::unguarded;
        }
    }
    for (int attempt = 0; attempt < claimAttempts; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> registered = bus.interface()->registerService(
            QString::fromLatin1(singleInstanceBusName), QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
        if (!registered.isValid()) {
            failure_ = registered.error().message();
            return Claim::unguarded;
        }
        if (registered.value() == QDBusConnectionInterface::ServiceRegistered) {
            owner_ = true;
            return Claim::first;
        }

        // Call the owner by its unique name: should it go meanwhile, nobody else gets the call.
        const QDBusReply<QString> owner = bus.interface()->serviceOwner(QString::fromLatin1(singleInstanceBusName));
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
        failure_ = reply.errorMessage();
        const QDBusReply<QString> ownerNow = bus.interface()->serviceOwner(QString::fromLatin1(singleInstanceBusName));
        if (ownerNow.isValid() && ownerNow.value() == owner.value())
            return Claim::unanswered;  // still there, and silent
        QThread::msleep(100);
    }
    return Claim::unanswered;
}

#endif

}  // namespace ondrel::gui
