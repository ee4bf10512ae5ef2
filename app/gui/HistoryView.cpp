// SPDX-License-Identifier: MIT
#include "app/gui/HistoryView.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "core/TextForms.h"

namespace ondrel::gui {
namespace {

bool askBeforeClearing(QWidget* parent) {
    return QMessageBox::question(parent, QStringLiteral("Clear History"),
                                 QStringLiteral("Remove every recorded decision and the prompt texts they were made "
                                                "on? This cannot be undone.")) == QMessageBox::Yes;
}

}  // namespace

QString promptForDisplay(const DecisionRecord& record) {
    std::string text;
    if (!record.reason.empty())
        text = decisionTitle(record.decision).toStdString() + ": " + record.reason + "\n\n";
    for (std::size_t start = 0;;) {
        const std::size_t end = record.prompt.find('\n', start);
        text += escapeForLine(std::string_view(record.prompt).substr(start, end - start)) + '\n';
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (record.promptCut)
        text += "[The prompt went on: the history keeps its first " + std::to_string(recordedPromptLimit) +
                " characters.]\n";
    return QString::fromStdString(text);
}

HistoryView::HistoryView(const std::string& path, QWidget* parent)
    : QWidget(parent), confirmClear(askBeforeClearing), path_(path) {
    model = new HistoryModel(path, this);
    offNotice =
        new QLabel(QStringLiteral("Keep a History is off: new decisions are not recorded. Turn it on in the "
                                  "Ondrel menu."));
    offNotice->setTextFormat(Qt::PlainText);
    offNotice->setWordWrap(true);
    offNotice->setVisible(!historyKept());
    buildTable();
    promptView = new QPlainTextEdit;
    promptView->setReadOnly(true);
    promptView->setAccessibleName(QStringLiteral("Prompt text"));
    promptView->setPlaceholderText(QStringLiteral("Select a decision to read the prompt it was made on."));

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(table);
    split->addWidget(promptView);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(buildControls());
    column->addWidget(offNotice);
    column->addWidget(split, 1);

    looks_ = new QTimer(this);
    looks_->setInterval(historyLookMilliseconds);
    QObject::connect(looks_, &QTimer::timeout, model, &HistoryModel::readNew);
    QPointer<HistoryView> weak(this);
    switchListening_ = listenToHistorySwitch([weak](bool kept) {
        if (weak)
            weak->offNotice->setVisible(!kept);
    });
}

QWidget* HistoryView::buildControls() {
    filterField = new QLineEdit;
    filterField->setPlaceholderText(QStringLiteral("Filter"));
    filterField->setClearButtonEnabled(true);
    QObject::connect(filterField, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    decisionChoice = new QComboBox;
    decisionChoice->addItem(QStringLiteral("All decisions"), -1);
    for (const Decision decision : {Decision::pressed, Decision::left, Decision::dryRun, Decision::failed})
        decisionChoice->addItem(decisionTitle(decision), static_cast<int>(decision));
    QObject::connect(decisionChoice, &QComboBox::currentIndexChanged, this, [this] { applyFilter(); });
    copyButton = new QPushButton(QStringLiteral("Copy"));
    copyButton->setEnabled(false);
    QObject::connect(copyButton, &QPushButton::clicked, this, [this] { copySelected(); });
    clearButton = new QPushButton(QStringLiteral("Clear History..."));
    QObject::connect(clearButton, &QPushButton::clicked, this, [this] { clearAfterConfirmation(); });

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(filterField, 1);
    row->addWidget(decisionChoice);
    row->addWidget(copyButton);
    row->addWidget(clearButton);
    auto* controls = new QWidget;
    controls->setLayout(row);
    return controls;
}

void HistoryView::buildTable() {
    table = new QTableView;
    table->setModel(model);
    table->setAccessibleName(QStringLiteral("History"));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->setShowGrid(false);
    table->setAlternatingRowColors(true);
    // Rows of one fixed height, never measured from their contents: scrolling stays as cheap at any count.
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setStretchLastSection(true);
    for (const auto& [column, width] : {std::pair{HistoryModel::timeColumn, 150},
                                        {HistoryModel::windowColumn, 160},
                                        {HistoryModel::buttonColumn, 80},
                                        {HistoryModel::decisionColumn, 100}})
        table->setColumnWidth(column, width);
    QObject::connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                     [this] { showSelected(); });
    QObject::connect(model, &QAbstractItemModel::modelReset, this, [this] { showSelected(); });
}

void HistoryView::applyFilter() {
    const int chosen = decisionChoice->currentData().toInt();
    model->setFilter(filterField->text().toStdString(),
                     chosen < 0 ? std::nullopt : std::optional<Decision>(static_cast<Decision>(chosen)));
}

void HistoryView::showSelected() {
    const DecisionRecord* selected = model->record(table->selectionModel()->currentIndex().row());
    copyButton->setEnabled(selected != nullptr);
    promptView->setPlainText(selected != nullptr ? promptForDisplay(*selected) : QString());
}

void HistoryView::copySelected() {
    if (const DecisionRecord* selected = model->record(table->selectionModel()->currentIndex().row()))
        QApplication::clipboard()->setText(QString::fromStdString(recordLine(*selected)).trimmed());
}

void HistoryView::clearAfterConfirmation() {
    if (!confirmClear || !confirmClear(this))
        return;
    clearHistory(path_);
    model->reload();
    model->readNew();
}

void HistoryView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model->readNew();
    looks_->start();
}

void HistoryView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    looks_->stop();
}

}  // namespace ondrel::gui
