// SPDX-License-Identifier: MIT
#include "core/LogRotation.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/ActivityLog.h"
#include "core/DecisionHistory.h"
#include "tests/support/Files.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

using testing_support::readFile;

class LogRotation : public testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }

    const fs::path folder = fs::path(std::getenv("HOME")) / "rotation";
    const std::string path = (folder / "Ondrel.log").string();
    const std::string rotated = path + ".1";
};

// A record larger than the limit is written whole, in a file of its own.
TEST_F(LogRotation, appendToFile_recordWouldPassLimit_fileMovedToDotOneReplacingOlder) {
    appendToFile(path, "0123456789", 20);
    appendToFile(path, "abcdefghij", 20);  // exactly at the limit: no rotation yet
    EXPECT_FALSE(fs::exists(rotated));
    appendToFile(path, "X", 20);
    EXPECT_EQ(readFile(rotated), "0123456789abcdefghij");
    EXPECT_EQ(readFile(path), "X");
    appendToFile(path, std::string(25, 'L'), 20);
    appendToFile(path, std::string(25, 'M'), 20);
    EXPECT_EQ(readFile(rotated), std::string(25, 'L'));
    EXPECT_EQ(readFile(path), std::string(25, 'M'));
}

// A decision naming its writer and number, of one length for all, its prompt in a letter that depends on
// both and with what JSON must escape: a torn or interleaved line no longer reads back as itself.
DecisionRecord record(int writer, int number) {
    std::string button = std::to_string(number);
    button.insert(0, 5 - button.size(), '0');
    DecisionRecord decision{.time = "2026-12-05T08:36:33Z",
                            .window = "writer " + std::to_string(writer),
                            .button = button,
                            .decision = Decision::left,
                            .pattern = "rm -rf"};
    setPromptText(decision, "rm -rf \"x\"\n\t" + std::string(20, static_cast<char>('a' + (writer * 7 + number) % 26)));
    return decision;
}

// Decisions recorded by two processes at once, through the rotations, as the history's lines.
TEST_F(LogRotation, recordDecision_twoProcessesRotatingAtOnce_keptRecordsWholeOnceEachWithoutGap) {
    constexpr int writers = 2, linesEach = 10'000;
    constexpr std::uintmax_t limit = std::uintmax_t{64} * 1024;  // about sixty rotations in all
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int writer = 0; writer < writers; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(gate[1]);
            char byte = 0;
            [[maybe_unused]] auto opened = ::read(gate[0], &byte, 1);  // both start when the gate closes
            for (int number = 0; number < linesEach; ++number)
                recordDecision(record(writer, number), path, limit);
            ::_exit(0);
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    // Earlier rotations took the oldest lines away; what is kept must be each writer's latest records, whole,
    // each once, in the order written, and the older file as full as the limit allows. (A writer that got
    // far ahead of the other may have no line left at all.)
    const std::size_t lineSize = recordLine(record(0, 0)).size();
    std::map<int, std::vector<int>> kept;
    for (const std::string& file : {rotated, path}) {
        const std::string text = readFile(file);
        ASSERT_LE(text.size(), limit) << file;
        if (file == rotated) {
            EXPECT_EQ(text.size(), limit / lineSize * lineSize);
        }
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            const std::optional<DecisionRecord> read = parseRecordLine(line);
            ASSERT_TRUE(read) << file << ": " << line;
            const int writer = std::stoi(read->window.substr(7));
            const int number = std::stoi(read->button);
            ASSERT_EQ(line + '\n', recordLine(record(writer, number))) << file;
            kept[writer].push_back(number);
        }
    }
    ASSERT_FALSE(kept.empty());
    for (const auto& [writer, numbers] : kept) {
        EXPECT_EQ(numbers.back(), linesEach - 1) << "writer " << writer;
        for (std::size_t i = 1; i < numbers.size(); ++i)
            ASSERT_EQ(numbers[i], numbers[i - 1] + 1) << "writer " << writer;
    }
}

}  // namespace
}  // namespace ondrel
