// SPDX-License-Identifier: MIT
#pragma once

// One fixture for scanner, engine and entry-point tests: a fake platform with a scanner over it,
// every log message collected bare, and standard output captured per action.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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

// A Velquin process with one window; most scenes need exactly that.
inline Element velquinWindow(fake::FakePlatform& platform, const std::string& title = "Chat", ProcessId process = 100) {
    return platform.addWindow(platform.addProcess(process), title);
}

// A prompt under `parent`: a box holding its text and a button labelled `label`; returns the button.
inline Element prompt(fake::FakePlatform& platform, const Element& parent, const std::string& text,
                      const std::string& label = "Allow") {
    Element box = platform.addGroup(parent);
    platform.addText(box, text);
    return platform.addButton(box, label);
}

// A scene written as the tree it builds: each part adds itself, and what it holds, under a parent (the
// platform itself for processes). A plain lambda taking the platform and the parent is a part too.
using Part = std::function<void(fake::FakePlatform& platform, const Element& parent)>;
using Parts = std::vector<Part>;

inline void add(fake::FakePlatform& platform, const Element& parent, const Parts& parts) {
    for (const Part& part : parts)
        part(platform, parent);
}
inline Part process(ProcessId id, Parts windows, std::string applicationId = std::string(velquinApplicationId)) {
    return [=](fake::FakePlatform& p, const Element&) { add(p, p.addProcess(id, applicationId), windows); };
}
inline Part window(std::string title, Parts parts, bool minimized = false) {
    return [=](fake::FakePlatform& p, const Element& application) {
        add(p, p.addWindow(application, title, minimized), parts);
    };
}
// The parts in Velquin's one window, Chat.
inline Parts inChat(Parts parts) {
    return {process(100, {window("Chat", std::move(parts))})};
}
inline Part box(Parts parts) {
    return [=](fake::FakePlatform& p, const Element& parent) { add(p, p.addGroup(parent), parts); };
}
inline Part text(std::string value, Parts inside = {}, std::string_view role = ax::role::staticText) {
    return [=](fake::FakePlatform& p, const Element& parent) { add(p, p.addText(parent, value, role), inside); };
}
inline Part area(std::string value) {
    return text(std::move(value), {}, ax::role::textArea);
}
// A field named `title` holding `value`.
inline Part field(std::string title, std::string value) {
    return [=](fake::FakePlatform& p, const Element& parent) {
        p.setValue(p.addText(parent, value, ax::role::textField), ax::attribute::title, AttributeValue(title));
    };
}
inline Part button(std::string label, Parts inside = {}, bool enabled = true) {
    return [=](fake::FakePlatform& p, const Element& parent) { add(p, p.addButton(parent, label, enabled), inside); };
}
// A row of buttons as prompts show them: Deny, then Allow.
inline Part row() {
    return box({button("Deny"), button("Allow")});
}
// A prompt's box: its question above a row of buttons.
inline Part promptBox(std::string question) {
    return box({text(std::move(question)), row()});
}
inline Part element(std::string_view role, Parts inside = {}) {
    return [=](fake::FakePlatform& p, const Element& parent) { add(p, p.addElement(parent, role), inside); };
}
// The parent's `attribute` set to `value`, or failing to read for nullopt.
inline Part with(std::string_view attribute, std::optional<AttributeValue> value) {
    return [=](fake::FakePlatform& p, const Element& parent) { p.setValue(parent, attribute, value); };
}
// The parent titled `title`, as a frame or a dialog shows it.
inline Part titled(std::string title) {
    return with(ax::attribute::title, AttributeValue(std::move(title)));
}
// `count` parts, the i-th made by `part(i)`.
inline Part each(int count, std::function<Part(int)> part) {
    return [=](fake::FakePlatform& p, const Element& parent) {
        for (int i = 0; i < count; ++i)
            part(i)(p, parent);
    };
}
// `boxes` boxes, each with an Allow button and, listed inside, one and the same text-free subtree of 3000
// elements: reading every box's prompt whole would cost far more than a window's allowance.
inline Part boxesSharingOneHugeSubtree(int boxes) {
    return [=](fake::FakePlatform& p, const Element& window) {
        Element huge = p.addGroup(window);
        for (int i = 0; i < 3000; ++i)
            p.addGroup(huge);
        for (int i = 0; i < boxes; ++i) {
            Element box = p.addGroup(window);
            p.addText(box, "Velquin asks for note " + std::to_string(i));
            p.addButton(box, "Allow");
            p.setRepeatedChildren(p.addGroup(box), huge, 1);
        }
    };
}
// `characters` characters of `word` over and over.
inline std::string words(std::size_t characters, std::string_view word = "lorem ") {
    std::string text;
    while (text.size() < characters)
        text += word;
    text.resize(characters);
    return text;
}

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

    Element velquinWindow(const std::string& title = "Chat", ProcessId process = 100) {
        return testing_support::velquinWindow(platform, title, process);
    }
    Element prompt(const Element& window, const std::string& text, const std::string& label = "Allow") {
        return testing_support::prompt(platform, window, text, label);
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

    // What was printed, log lines without their times.
    std::vector<std::string> printedLines() const {
        std::vector<std::string> lines;
        std::istringstream in(printed);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.starts_with("[") && line.find("Z] ") != std::string::npos
                                ? line.substr(line.find("Z] ") + 3)
                                : line);
        return lines;
    }

    fake::FakePlatform platform;
    Scanner scanner{platform};
    std::vector<std::string> logged;
    std::string printed;

private:
    Subscription listening_;
};

}  // namespace ondrel::testing_support
