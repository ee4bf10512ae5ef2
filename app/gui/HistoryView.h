// SPDX-License-Identifier: MIT
#pragma once

// The History tab beside the live log: the decisions recorded, newest first, with a filter, the prompt
// text of the one selected below them, Copy, and Clear History. It reads the file's tail when first
// shown and follows what any process appends to it while it shows.

#include <QWidget>
#include <functional>
#include <string>

#include "app/gui/HistoryModel.h"
#include "core/DecisionHistory.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace ondrel::gui {

// How often the file is looked at while the view shows: a look that finds nothing new costs two stats.
inline constexpr int historyLookMilliseconds = 500;

class HistoryView final : public QWidget {
public:
    explicit HistoryView(const std::string& path = decisionsFilePath(), QWidget* parent = nullptr);

    // Copies the selected record, as the file holds it.
    void copySelected();
    // Empties the history once `confirmClear` agrees.
    void clearAfterConfirmation();

    // Asks the user whether to clear; replaceable so tests answer.
    std::function<bool(QWidget* parent)> confirmClear;

    HistoryModel* model = nullptr;
    QLineEdit* filterField = nullptr;
    QComboBox* decisionChoice = nullptr;
    QTableView* table = nullptr;
    QPlainTextEdit* promptView = nullptr;
    QLabel* offNotice = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* clearButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildControls();
    void buildTable();
    void applyFilter();
    void showSelected();

    std::string path_;
    QTimer* looks_ = nullptr;
    Subscription switchListening_;
};

// A prompt's text for the user to read: each line escaped as log lines are, so that neither control
// characters nor bidirectional overrides act, and a note where the record cut it.
QString promptForDisplay(const DecisionRecord& record);

}  // namespace ondrel::gui
