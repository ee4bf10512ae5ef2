// SPDX-License-Identifier: MIT
// The man page's option list against the help text, so that the two cannot drift apart.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/Options.h"

namespace ondrel {
namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Roff to plain text, for the escapes and macros the page uses.
std::string plain(std::string line) {
    if (line.starts_with('.'))
        line.erase(0, line.find(' ') == std::string::npos ? line.size() : line.find(' ') + 1);
    for (std::string_view font : {"\\fB", "\\fI", "\\fR", "\\fP", "\\&"})
        replaceAll(line, font, "");
    replaceAll(line, "\\-", "-");
    replaceAll(line, "\\(dq", "\"");
    replaceAll(line, "\\(em", "\u2014");
    return line;
}

// Each option of the help text as "<term>\t<description>", the term without its angle brackets.
std::vector<std::string> helpOptions() {
    std::vector<std::string> entries;
    std::istringstream lines{std::string(helpText)};
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  -"))
            continue;
        const auto gap = line.find("  ", 2);
        std::string term = line.substr(2, gap - 2);
        std::erase_if(term, [](char c) { return c == '<' || c == '>'; });
        entries.push_back(term + '\t' + line.substr(line.find_first_not_of(' ', gap)));
    }
    return entries;
}

// Each ".TP" of the OPTIONS section the same way: the line after it is the term, the lines up to the
// next paragraph macro its description, joined by spaces.
std::vector<std::string> pageOptions(std::istream& page) {
    std::vector<std::string> entries;
    bool inOptions = false;
    for (std::string line; std::getline(page, line);) {
        if (line.starts_with(".SH")) {
            inOptions = line == ".SH OPTIONS";
        } else if (inOptions && line == ".TP") {
            entries.emplace_back();
        } else if (inOptions && !entries.empty()) {
            std::string& entry = entries.back();
            if (!entry.empty())
                entry += entry.find('\t') == std::string::npos ? '\t' : ' ';
            entry += plain(line);
        }
    }
    return entries;
}

TEST(ManPage, optionsSection_helpTextsOptionsInOrderEachDescribedAsThere) {
    std::ifstream page(ONDREL_MAN_PAGE);
    ASSERT_TRUE(page) << ONDREL_MAN_PAGE;
    const std::vector<std::string> help = helpOptions();
    const std::vector<std::string> manual = pageOptions(page);
    ASSERT_FALSE(help.empty());
    ASSERT_EQ(manual.size(), help.size());
    for (std::size_t i = 0; i < help.size(); ++i) {
        // The page may say more, after the help text's own words.
        EXPECT_TRUE(manual[i] == help[i] || manual[i].starts_with(help[i] + ' '))
            << "man: " << manual[i] << "\nhelp: " << help[i];
    }
}

}  // namespace
}  // namespace ondrel
