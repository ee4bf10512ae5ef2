// SPDX-License-Identifier: MIT
// The History tab over a hundred thousand records, half of them rotated into the older file: how long the
// view takes to show them all and to filter them, and the longest the window's thread went without taking
// its events meanwhile. Runs on Qt's offscreen platform in a scratch folder.

#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/gui/HistoryView.h"

namespace {

using namespace ondrel;

constexpr int recordCount = 100'000;

void writeHistory(const std::string& path) {
    const auto line = [](Decision made, int i) {
        DecisionRecord record{.time = "2026-12-05T08:36:33Z",
                              .window = "Window " + std::to_string(i),
                              .button = "Allow",
                              .decision = made};
        setPromptText(record, "run step " + std::to_string(i));
        return recordLine(record);
    };
    std::ofstream older(path + ".1");
    std::ofstream current(path);
    for (int i = 0; i < recordCount; ++i)
        (i < recordCount / 2 ? older : current) << line(i % 10 ? Decision::pressed : Decision::left, i);
}

// Runs the event loop until the view has read what it was asked to.
void settle(const gui::HistoryView& view) {
    do {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    } while (view.model->reading());
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ondrel-history-bench";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "decisions.jsonl").string();
    writeHistory(path);

    QApplication application(argc, argv);
    QElapsedTimer clock;
    qint64 lastBeat = 0;
    qint64 longestStall = 0;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, clock.elapsed() - lastBeat);
        lastBeat = clock.elapsed();
    });
    clock.start();
    beat.start();

    gui::HistoryView view(path);
    view.show();
    settle(view);
    const qint64 shown = clock.elapsed();
    const int rows = view.model->rowCount();
    view.table->scrollToBottom();
    const qint64 filterStart = clock.elapsed();
    view.filterField->setText(QStringLiteral("step 5000"));
    view.decisionChoice->setCurrentIndex(view.decisionChoice->findText(QStringLiteral("Left for you")));
    settle(view);
    const qint64 filtered = clock.elapsed() - filterStart;

    std::printf("history view, %d records: %d rows shown in %lld ms, filtered to %d in %lld ms, "
                "longest stall of the window's thread %lld ms\n",
                recordCount, rows, static_cast<long long>(shown), view.model->rowCount(),
                static_cast<long long>(filtered), static_cast<long long>(longestStall));
    std::filesystem::remove_all(folder);
    return rows == recordCount && view.model->rowCount() == 2 ? 0 : 1;
}
