// SPDX-License-Identifier: MIT
#include "app/gui/MainWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "app/TimeOfDay.h"
#include "app/WindowModel.h"
#include "app/gui/HistoryView.h"
#include "app/gui/Settings.h"
#include "app/integration/DesktopIntegration.h"
#include "core/ActivityLog.h"

namespace ondrel::gui {
namespace {

constexpr int floatingMilliseconds = 1500;
// Moving or resizing sends a stream of events; the frame is written once they pause this long.
constexpr int frameSaveDelayMilliseconds = 500;

QFont logFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    return font;
}

// The locale's time with seconds ("9:41:07 AM" in English), never a time zone.
QString localTimeWithSeconds() {
    static const TimeOfDayFormat clock(timeOfDayLocale());
    return QString::fromStdString(clock.format(std::chrono::system_clock::now()));
}

}  // namespace

MainWindow::MainWindow(WatcherEngine& engineToShow, const PlatformWording& platformWording)
    : engine(engineToShow), wording(platformWording) {
    frameSaver_ = new QTimer(this);
    frameSaver_->setSingleShot(true);
    frameSaver_->setInterval(frameSaveDelayMilliseconds);
    QObject::connect(frameSaver_, &QTimer::timeout, this, [this] { saveFrame(); });
    trayIconShown = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    setWindowTitle(QStringLiteral("Ondrel"));
    resize(700, 560);
    setMinimumSize(640, 460);

    setCentralWidget(buildContent());
    startStop->setFocus();
    restoreFrame();

    // Lines may be logged on the thread where passes run: they reach the view through its event loop,
    // in order. The subscriptions end with the window.
    QPointer<MainWindow> weak(this);
    logListening_ = listenToLog([weak](const std::string& message) {
        QMetaObject::invokeMethod(
            weak.data(),
            [weak, message] {
                if (weak)
                    weak->appendLog(message);
            },
            Qt::QueuedConnection);
    });
    engineListening_ = engine.subscribe([this] { refresh(); });
    refresh();
}

MainWindow::~MainWindow() {
    saveFrame();
}

QWidget* MainWindow::buildContent() {
    statusLabel = new QLabel(QStringLiteral("Starting..."));
    QFont statusFont = statusLabel->font();
    statusFont.setPointSize(13);
    statusFont.setWeight(QFont::DemiBold);
    statusLabel->setFont(statusFont);
    statusLabel->setTextInteractionFlags(Qt::NoTextInteraction);

    startStop = new QPushButton;
    QObject::connect(startStop, &QPushButton::clicked, this, [this] { toggleRun(); });
    safeToggle = new QCheckBox(QStringLiteral("Safe mode (skip risky prompts)"));
    safeToggle->setChecked(engine.state().safe);
    QObject::connect(safeToggle, &QCheckBox::clicked, this, [this] { toggleSafe(); });
    listButton = new QPushButton(QStringLiteral("List buttons"));
    QObject::connect(listButton, &QPushButton::clicked, this, [this] { listButtons(); });

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(12);
    buttonRow->addWidget(startStop);
    buttonRow->addWidget(safeToggle);
    buttonRow->addWidget(listButton);
    buttonRow->addStretch();

    logView = new QPlainTextEdit;
    logView->setReadOnly(true);
    logView->setFont(logFont());
    logView->document()->setDocumentMargin(6);
    logView->setAccessibleName(QStringLiteral("Activity log"));
    history = new HistoryView;
    tabs = new QTabWidget;
    tabs->addTab(logView, QStringLiteral("Activity"));
    tabs->addTab(history, QStringLiteral("History"));

    permissionBox = buildPermissionBanner();

    auto* column = new QVBoxLayout;
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(10);
    column->addWidget(permissionBox);
    column->addWidget(statusLabel, 0, Qt::AlignLeft);
    column->addLayout(buttonRow);
    column->addWidget(tabs, 1);
    auto* container = new QWidget;
    container->setLayout(column);
    return container;
}

void MainWindow::restoreFrame() {
    const QByteArray savedFrame = settings().value(windowAutosaveName).toByteArray();
    if (savedFrame.isEmpty() || !restoreGeometry(savedFrame)) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
}

QWidget* MainWindow::buildPermissionBanner() {
    permissionLabel = new QLabel;  // its text comes with every refresh
    permissionLabel->setWordWrap(true);
    QFont labelFont = permissionLabel->font();
    labelFont.setPointSize(12);
    permissionLabel->setFont(labelFont);
    permissionLabel->setStyleSheet(QStringLiteral("color: white;"));

    auto* openSettings = new QPushButton(QStringLiteral("Open Accessibility Settings"));
    QObject::connect(openSettings, &QPushButton::clicked, this, [] { openAccessibilitySettings(); });
    auto* recheck = new QPushButton(QStringLiteral("Recheck"));
    QObject::connect(recheck, &QPushButton::clicked, this, [this] { recheckPermission(); });
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(openSettings);
    row->addWidget(recheck);
    row->addStretch();

    auto* stack = new QVBoxLayout;
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(10);
    stack->addWidget(permissionLabel);
    stack->addLayout(row);

    auto* banner = new QFrame;
    banner->setObjectName(QStringLiteral("permissionBanner"));
    banner->setStyleSheet(
        QStringLiteral("#permissionBanner { background-color: rgba(255, 59, 48, 0.85); "
                       "border-radius: 8px; }"));
    banner->setLayout(stack);
    return banner;
}

void MainWindow::setAccess(AccessState state) {
    access = std::move(state);
    refresh();
}

void MainWindow::refresh() {
    const MainWindowView view = mainWindowView(engine.state(), access, wording);
    permissionBox->setVisible(view.bannerVisible);
    permissionLabel->setText(QString::fromStdString(view.bannerText));
    statusLabel->setText(QString::fromStdString(view.status));
    startStop->setText(QString::fromStdString(view.startStopTitle));
    startStop->setEnabled(view.controlsEnabled);
    listButton->setEnabled(view.controlsEnabled);
    safeToggle->setChecked(view.safeChecked);
}

void MainWindow::appendLog(const std::string& message) {
    const QString line = QLatin1Char('[') + localTimeWithSeconds() + QStringLiteral("] ") +
                         QString::fromStdString(message) + QLatin1Char('\n');
    QTextCharFormat format;
    format.setFont(logFont());
    format.setForeground(logView->palette().color(QPalette::Text));
    QTextCursor cursor(logView->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(line, format);

    // The document counts one position per UTF-16 unit, line breaks included, plus its final one.
    const auto length = static_cast<std::size_t>(logView->document()->characterCount() - 1);
    if (const std::size_t excess = logViewExcess(length)) {
        cursor.setPosition(0);
        cursor.setPosition(static_cast<int>(excess), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    logView->verticalScrollBar()->setValue(logView->verticalScrollBar()->maximum());
}

void MainWindow::bringToFront() {
    // The flag is set on the native window: changing it on the widget would re-create the window and
    // blank it.
    show();
    raise();
    activateWindow();
    if (QWindow* native = windowHandle())
        native->setFlag(Qt::WindowStaysOnTopHint, true);
    QTimer::singleShot(floatingMilliseconds, this, [this] {
        if (QWindow* native = windowHandle())
            native->setFlag(Qt::WindowStaysOnTopHint, false);
    });
}

void MainWindow::toggleRun() {
    engine.togglePause();
}

void MainWindow::toggleSafe() {
    engine.setSafe(safeToggle->isChecked());
}

void MainWindow::listButtons() {
    engine.withScanner([](Scanner& scanner) { listExposedButtons(scanner); });
}

void MainWindow::recheckPermission() {
    saveFrame();  // the restart replaces the process: no destructor saves it
    if (onRecheck)
        onRecheck();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    saveFrame();
    const bool told = settings().value(toldHowToReopenKey).toBool();
    switch (closeAction(trayIconShown && trayIconShown(), startingAgainShowsWindow, told)) {
        case CloseAction::hide:
            hide();
            break;
        case CloseAction::tellThenHide:
            tellHowToReopen();
            break;
        case CloseAction::minimize:
            showMinimized();
            break;
    }
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    frameSaver_->start();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    frameSaver_->start();
}

void MainWindow::tellHowToReopen() {
    if (reopenNotice_)
        return;  // already asking
    reopenNotice_ = new QMessageBox(QMessageBox::Information, QStringLiteral("Ondrel"), QString::fromUtf8(reopenNotice),
                                    QMessageBox::Ok, this);
    reopenNotice_->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(reopenNotice_, &QMessageBox::finished, this, [this] {
        settings().setValue(toldHowToReopenKey, true);
        hide();
    });
    reopenNotice_->open();
}

void MainWindow::saveFrame() const {
    frameSaver_->stop();
    settings().setValue(windowAutosaveName, saveGeometry());
}

}  // namespace ondrel::gui
