// SPDX-License-Identifier: MIT
#pragma once

// One fixture for scanner, engine and entry-point tests: a fake platform with a scanner over it,
// every log message collected bare, and standard output captured per action.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/ActivityLog.h"
#include "core/DecisionHistory.h"
#include "core/Scanner.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/CaptureOutput.h"
#include "tests/support/Files.h"

namespace ondrel::testing_support {

class Scene : public ::testing::Test {
protected:
    Scene() : listening_(listenToLog([this](const std::string& message) { logged.push_back(message); })) {
        std::filesystem::remove(decisionsFilePath());
    }

    // The decisions recorded since the last call, as the history file holds them, their times left out.
    static std::vector<DecisionRecord> takeRecords() {
        std::vector<DecisionRecord> records;
        std::istringstream lines(readFile(decisionsFilePath()));
        for (std::string line; std::getline(lines, line);) {
            records.push_back(parseRecordLine(line).value_or(DecisionRecord{.time = "unreadable: " + line}));
            records.back().time.clear();
        }
        std::filesystem::remove(decisionsFilePath());
        return records;
    }

    // A Velquin process with one window; most tests need exactly that.
    Element velquinWindow(const std::string& title = "Chat", ProcessId process = 100) {
        return platform.addWindow(platform.addProcess(process), title);
    }

    // A prompt under `window`: a box holding its text and a button labelled `label`; returns the button.
    Element prompt(const Element& window, const std::string& text, const std::string& label = "Allow") {
        Element box = platform.addGroup(window);
        platform.addText(box, text);
        return platform.addButton(box, label);
    }

    // Runs `block` with standard output captured into `printed`.
    template <typename Block>
    auto quietly(Block&& block) {
        if constexpr (std::is_void_v<decltype(block())>) {
            printed = capturedStdout([&] { block(); });
        } else {
            decltype(block()) result{};
            printed = capturedStdout([&] { result = block(); });
            return result;
        }
    }

    fake::FakePlatform platform;
    Scanner scanner{platform};
    std::vector<std::string> logged;
    std::string printed;

private:
    Subscription listening_;
};

}  // namespace ondrel::testing_support
