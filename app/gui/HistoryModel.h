// SPDX-License-Identifier: MIT
#pragma once

// The history of decisions as a table: newest first, narrowed by a filter, over the records the file
// holds and gains (see HistoryFollower), which are read on a thread of the model's own so that a long
// history never holds up the window. A row is drawn from its record when the view asks for it, so a
// hundred thousand records cost no more to show than a screenful.

#include <QAbstractTableModel>
#include <QThreadPool>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DecisionRecord.h"
#include "core/HistoryFollower.h"

namespace ondrel::gui {

class HistoryModel final : public QAbstractTableModel {
public:
    enum Column { timeColumn, windowColumn, buttonColumn, decisionColumn, patternColumn, columns };

    explicit HistoryModel(std::string path, QObject* parent = nullptr);
    ~HistoryModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Starts reading what the file gained since the last read (the first reads the file's tail); the rows
    // change when it is read. Asked while reading, it reads again once done.
    void readNew();
    // Reads the file's tail afresh at the next read (after it was cleared, say).
    void reload() { restart_ = true; }
    bool reading() const { return reading_; }
    // Shows only the records that hold `text` (ignoring case) in their window, button, pattern, reason or
    // prompt, and that made `decision` (any decision when none).
    void setFilter(const std::string& text, std::optional<Decision> decision);
    // The record shown in `row`; null outside the rows.
    const DecisionRecord* record(int row) const;

private:
    struct Entry {
        DecisionRecord record;
        std::string lowered;  // window, button and reason in lower case; pattern and prompt are already
    };
    struct Read {
        bool fromStart = false;
        std::vector<Entry> entries;
    };
    bool admits(const Entry& entry) const;
    void showFromScratch();
    void takeIn(Read read);

    HistoryFollower follower_;  // used by the reading thread alone, one read at a time
    QThreadPool reader_;
    bool reading_ = false;
    bool readAgain_ = false;
    bool restart_ = false;
    std::vector<Entry> entries_;        // in file order, oldest first
    std::vector<std::uint32_t> shown_;  // the entries admitted, oldest first: row 0 is the last of them
    std::string filterText_;            // in lower case
    std::optional<Decision> filterDecision_;
};

// How the table names a decision: "Pressed", "Left for you", "Dry run", "Press failed".
QString decisionTitle(Decision decision);

}  // namespace ondrel::gui
