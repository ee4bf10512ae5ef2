// SPDX-License-Identifier: MIT
#include "app/gui/HistoryModel.h"

#include <QDateTime>
#include <chrono>
#include <memory>
#include <utility>

#include "app/TimeOfDay.h"
#include "app/integration/DesktopIntegration.h"
#include "core/Text.h"
#include "core/TextForms.h"

namespace ondrel::gui {
namespace {

// The record's UTC time as the user's locale writes a date and a time of day, in local time.
QString localTime(const std::string& utc) {
    static const TimeOfDayFormat clock(timeOfDayLocale(), {}, true);
    const QDateTime time = QDateTime::fromString(QString::fromStdString(utc), Qt::ISODate);
    if (!time.isValid())
        return QString::fromStdString(utc);
    const std::chrono::system_clock::time_point moment{std::chrono::milliseconds(time.toMSecsSinceEpoch())};
    return QString::fromStdString(clock.format(moment));
}

std::string loweredFields(const DecisionRecord& record) {
    return text::lowercased(record.window + '\n' + record.button + '\n' + record.reason);
}

}  // namespace

QString decisionTitle(Decision decision) {
    switch (decision) {
        case Decision::pressed:
            return QStringLiteral("Pressed");
        case Decision::left:
            return QStringLiteral("Left for you");
        case Decision::dryRun:
            return QStringLiteral("Dry run");
        case Decision::failed:
            return QStringLiteral("Press failed");
    }
    return {};
}

HistoryModel::HistoryModel(std::string path, QObject* parent)
    : QAbstractTableModel(parent), follower_(std::move(path)) {
    reader_.setMaxThreadCount(1);
}

HistoryModel::~HistoryModel() {
    reader_.waitForDone();  // the read in progress uses the follower and posts to this model
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Column::columns;
}

const DecisionRecord* HistoryModel::record(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size())
        return nullptr;
    return &entries_[shown_[shown_.size() - 1 - static_cast<std::size_t>(row)]].record;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    const DecisionRecord* shown = record(index.row());
    if (shown == nullptr || role != Qt::DisplayRole)
        return {};
    // Views draw display text as plain text, so another program's window title is never markup here; and
    // escaped once more, as written (which changes nothing), whatever else put a line in the file.
    switch (index.column()) {
        case timeColumn:
            return localTime(shown->time);
        case windowColumn:
            return QString::fromStdString(escapeForLine(shown->window));
        case buttonColumn:
            return QString::fromStdString(escapeForLine(shown->button));
        case decisionColumn:
            return decisionTitle(shown->decision);
        case patternColumn:
            return QString::fromStdString(escapeForLine(shown->pattern));
        default:
            return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles{QStringLiteral("Time"), QStringLiteral("Window"), QStringLiteral("Button"),
                                    QStringLiteral("Decision"), QStringLiteral("Pattern")};
    return titles.value(section);
}

bool HistoryModel::admits(const Entry& entry) const {
    if (filterDecision_ && entry.record.decision != *filterDecision_)
        return false;
    return filterText_.empty() || entry.lowered.find(filterText_) != std::string::npos ||
           entry.record.pattern.find(filterText_) != std::string::npos ||
           entry.record.prompt.find(filterText_) != std::string::npos;
}

void HistoryModel::showFromScratch() {
    beginResetModel();
    shown_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (admits(entries_[i]))
            shown_.push_back(static_cast<std::uint32_t>(i));
    }
    endResetModel();
}

void HistoryModel::readNew() {
    if (std::exchange(reading_, true)) {
        readAgain_ = true;
        return;
    }
    reader_.start([this, restart = std::exchange(restart_, false)] {
        if (restart)
            follower_.restart();
        HistoryFollower::News news = follower_.look();
        auto read = std::make_shared<Read>(Read{news.fromStart, {}});
        read->entries.reserve(news.records.size());
        for (DecisionRecord& record : news.records) {
            std::string lowered = loweredFields(record);
            read->entries.push_back({std::move(record), std::move(lowered)});
        }
        QMetaObject::invokeMethod(
            this, [this, read] { takeIn(std::move(*read)); }, Qt::QueuedConnection);
    });
}

void HistoryModel::takeIn(Read read) {
    reading_ = false;
    if (read.fromStart) {
        entries_ = std::move(read.entries);
        showFromScratch();
    } else {
        std::vector<std::uint32_t> admitted;
        for (Entry& entry : read.entries) {
            if (admits(entry))
                admitted.push_back(static_cast<std::uint32_t>(entries_.size()));
            entries_.push_back(std::move(entry));
        }
        if (!admitted.empty()) {
            // The newest records come in at the top, the rows below keep their records (and the selection).
            beginInsertRows({}, 0, static_cast<int>(admitted.size()) - 1);
            shown_.insert(shown_.end(), admitted.begin(), admitted.end());
            endInsertRows();
        }
    }
    if (std::exchange(readAgain_, false))
        readNew();
}

void HistoryModel::setFilter(const std::string& text, std::optional<Decision> decision) {
    filterText_ = text::lowercased(text);
    filterDecision_ = decision;
    showFromScratch();
}

}  // namespace ondrel::gui
