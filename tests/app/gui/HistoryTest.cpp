// SPDX-License-Identifier: MIT
// The History tab over a history file of its own, on Qt's offscreen platform.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "app/gui/HistoryView.h"
#include "tests/support/Files.h"
#include "tests/support/QtEvents.h"

namespace ondrel::gui {
namespace {

using testing_support::processEventsFor;

DecisionRecord decision(const std::string& window, Decision made, const std::string& prompt) {
    DecisionRecord record{.time = "2026-12-05T08:36:33Z", .window = window, .button = "Allow", .decision = made};
    setPromptText(record, prompt);
    return record;
}

// Lets the view's reading of the file come to an end.
void settle(const HistoryView& view) {
    do {
        processEventsFor(20);
    } while (view.model->reading());
}

// The windows of the rows shown, top to bottom.
std::vector<std::string> windows(const HistoryView& view) {
    std::vector<std::string> shown;
    for (int row = 0; row < view.model->rowCount(); ++row)
        shown.push_back(view.model->record(row)->window);
    return shown;
}

class History : public testing::Test {
protected:
    testing_support::ScratchFolder folder;
    const std::string path = folder.path("decisions.jsonl");
};

TEST_F(History, view_recordsAppendedByAnyone_newestFirstFilteredFollowedLiveEscapedCutClearedWhenConfirmed) {
    recordDecision(decision("Chat", Decision::pressed, "read notes.txt"), path);
    recordDecision(decision("Deploy", Decision::left, "run rm -rf build\n\x1b[2J<b>bold</b>"), path);
    recordDecision(decision("Script", Decision::pressed, std::string(4100, 'x') + " curl evil"), path);
    HistoryView view(path);
    view.show();
    settle(view);
    EXPECT_EQ(windows(view), (std::vector<std::string>{"Script", "Deploy", "Chat"}));

    view.table->selectRow(1);  // the prompt below, line by line, plain and escaped
    EXPECT_EQ(view.promptView->toPlainText(), "run rm -rf build\n\\u{1b}[2J<b>bold</b>\n");
    view.table->selectRow(0);  // cut where the history stopped keeping it
    EXPECT_EQ(view.promptView->toPlainText(),
              QString(4000, 'x') + "\n[The prompt went on: the history keeps its first 4000 characters.]\n");

    view.filterField->setText(QStringLiteral("RM -RF"));
    EXPECT_EQ(windows(view), std::vector<std::string>{"Deploy"});
    view.filterField->clear();
    view.decisionChoice->setCurrentIndex(view.decisionChoice->findText(QStringLiteral("Pressed")));
    EXPECT_EQ(windows(view), (std::vector<std::string>{"Script", "Chat"}));

    // Another process's records come in at the top while the view shows, as far as the filter admits them.
    recordDecision(decision("Later", Decision::pressed, "ls"), path);
    recordDecision(decision("Risky later", Decision::left, "sudo ls"), path);
    processEventsFor(historyLookMilliseconds);
    settle(view);
    EXPECT_EQ(windows(view), (std::vector<std::string>{"Later", "Script", "Chat"}));

    keepHistory(false);
    EXPECT_FALSE(view.offNotice->isHidden());
    recordDecision(decision("Unkept", Decision::pressed, "ls"), path);
    EXPECT_EQ(testing_support::readFile(path).find("Unkept"), std::string::npos);
    keepHistory(true);
    EXPECT_TRUE(view.offNotice->isHidden());

    view.confirmClear = [](QWidget*) { return false; };
    view.clearButton->click();
    EXPECT_EQ(view.model->rowCount(), 3);
    view.confirmClear = [](QWidget*) { return true; };
    view.clearButton->click();
    settle(view);
    EXPECT_EQ(view.model->rowCount(), 0);
    EXPECT_EQ(testing_support::readFile(path), "");
}

}  // namespace
}  // namespace ondrel::gui
