// Notices about skipped prompts, as a notification service on this test's private session bus
// receives them over several passes.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QTimer>
#include <mutex>

#include "app/gui/SkipNotifier.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/Scene.h"

namespace ondrel::gui {
namespace {

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

struct ServerCase {
    const char* name;
    QStringList capabilities;
    QString body;  // as the server receives it
};

class NoticesOnTheBus : public testing_support::Scene, public testing::WithParamInterface<ServerCase> {
protected:
    NoticesOnTheBus() {
        SkipNotifier::setEnabled(true);
        engine.start();
    }
    Element riskyPrompt(Element window) {
        Element box = platform.addGroup(window);
        platform.addText(box, "Run rm -rf build?");
        platform.addButton(box, "Allow");
        return box;
    }
    void pass() {
        quietly([&] { timers.fireAll(); });
    }

    NotificationServer server{GetParam().capabilities};
    testing_support::ManualScheduler timers;
    WatcherEngine engine{scanner, timers, Options{}};
    SkipNotifier notifier{engine};
    const QString title = QStringLiteral("Ondrel left a prompt for you");
};

TEST_P(NoticesOnTheBus, samePromptOverPasses_oneNoticeAgainWhenItReturns) {
    const Element window = velquinWindow("Chat <b>&");
    Element box = riskyPrompt(window);
    pass();
    pass();
    pass();
    EXPECT_EQ(server.received(2, 500), QStringList{title + " | " + GetParam().body});
    platform.vanish(box);
    pass();
    riskyPrompt(window);
    pass();
    EXPECT_EQ(server.received(2).size(), 2);
}

TEST_P(NoticesOnTheBus, switchedOff_noNoticeAndPromptsWaitingStayUnannounced) {
    const Element window = velquinWindow("Chat <b>&");
    SkipNotifier::setEnabled(false);
    riskyPrompt(window);
    pass();
    SkipNotifier::setEnabled(true);
    pass();
    EXPECT_TRUE(server.received(1, 500).isEmpty());
    platform.addText(riskyPrompt(window), "now in /home");
    pass();
    EXPECT_EQ(server.received(1).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, NoticesOnTheBus,
    testing::Values(
        ServerCase{"markup",
                   {QStringLiteral("body"), QStringLiteral("body-markup")},
                   QStringLiteral("In [Chat &lt;b&gt;&amp;]: prompt mentions \"rm -rf\"")},
        ServerCase{"plain", {QStringLiteral("body")}, QStringLiteral("In [Chat <b>&]: prompt mentions \"rm -rf\"")}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ondrel::gui
