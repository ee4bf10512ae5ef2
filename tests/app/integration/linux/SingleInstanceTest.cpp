// SPDX-License-Identifier: MIT
// A second start beside a running application, as two processes on the private session bus this test
// process runs in: this process is the first, the built program the second.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QMainWindow>
#include <QProcess>
#include <QTimer>

#include "app/gui/TrayApplication.h"
#include "app/integration/DesktopIntegration.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/Scene.h"

namespace ondrel::gui {
namespace {

struct SecondRun {
    bool ended = false;  // on its own, before the deadline
    int status = -1;
    QString out;
    QString err;
};

class SecondStart : public testing_support::Scene {
protected:
    // Runs the built program while this process keeps answering the bus; ends it at the deadline.
    static SecondRun runSecond(const QStringList& arguments, int deadlineMilliseconds = 15000) {
        QProcess process;
        process.start(QStringLiteral(ONDREL_BINARY), arguments);
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(deadlineMilliseconds, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            loop.exec();
        SecondRun run;
        run.ended = process.state() == QProcess::NotRunning;
        if (!run.ended) {
            process.kill();
            process.waitForFinished();
        }
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    testing_support::ManualScheduler scheduler;
    TrayApplication tray{Options{}, scanner, scheduler, [](const std::string&) {}};
    int activations = 0;
    SingleInstance instance{[this] {
        ++activations;
        tray.showWindow();
    }};
};

TEST_F(SecondStart, applicationMode_firstsWindowShownAndSecondEndsWithZero) {
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::first);
    quietly([&] { tray.launch(); });
    tray.window->hide();

    const SecondRun second = runSecond({});
    EXPECT_TRUE(second.ended);
    EXPECT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, QString()) << "the second start watched too";
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(tray.window->isVisible());
}

TEST_F(SecondStart, applicationMode_ownerNeverAnswers_failsInsteadOfWatchingToo) {
    // The name held by a connection that exports nothing, like an application that hangs.
    QDBusConnection silent = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("silent"));
    ASSERT_TRUE(silent.registerService(QStringLiteral("dev.ondrel.Ondrel")));

    const SecondRun second = runSecond({});
    QDBusConnection::disconnectFromBus(QStringLiteral("silent"));
    EXPECT_TRUE(second.ended);
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(second.err.contains(QStringLiteral("Ondrel is already running, but did not show its window: ")))
        << second.err.toStdString();
    EXPECT_EQ(second.out, QString());
}

TEST_F(SecondStart, commandLineModes_runBesideTheFirstWhichStaysAlone) {
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::first);
    // Headless watches until ended; --once ends on its own.
    for (const QString& mode : {QStringLiteral("--once"), QStringLiteral("--headless")})
        EXPECT_NE(runSecond({mode}, 3000).out, QString()) << mode.toStdString() << " did not run";
    EXPECT_EQ(activations, 0);
}

}  // namespace
}  // namespace ondrel::gui
