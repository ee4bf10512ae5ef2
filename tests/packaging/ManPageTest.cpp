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

struct OptionEntry {
    std::string term;  // "--interval sec": names and argument, without the help text's angle brackets
    std::string description;
};

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

std::vector<OptionEntry> helpOptions() {
    std::vector<OptionEntry> entries;
    std::istringstream lines{std::string(helpText)};
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  -"))
            continue;
        const auto gap = line.find("  ", 2);
        std::string term = line.substr(2, gap - 2);
        std::erase_if(term, [](char c) { return c == '<' || c == '>'; });
        entries.push_back({term, line.substr(line.find_first_not_of(' ', gap))});
    }
    return entries;
}

// Each ".TP" of the OPTIONS section: the line after it is the term, the lines up to the next paragraph
// macro its description.
std::vector<OptionEntry> pageOptions(std::istream& page) {
    std::vector<OptionEntry> entries;
    bool inOptions = false, termNext = false;
    for (std::string line; std::getline(page, line);) {
        if (line.starts_with(".SH")) {
            inOptions = line == ".SH OPTIONS";
            continue;
        }
        if (!inOptions)
            continue;
        if (line == ".TP") {
            termNext = true;
        } else if (termNext) {
            entries.push_back({plain(line), ""});
            termNext = false;
        } else if (!entries.empty()) {
            std::string& description = entries.back().description;
            if (!description.empty())
                description += ' ';
            description += plain(line);
        }
    }
    return entries;
}

TEST(ManPage, optionsSection_helpTextsOptionsInOrderEachDescribedAsThere) {
    std::ifstream page(ONDREL_MAN_PAGE);
    ASSERT_TRUE(page) << ONDREL_MAN_PAGE;
    const std::vector<OptionEntry> help = helpOptions();
    const std::vector<OptionEntry> manual = pageOptions(page);
    ASSERT_FALSE(help.empty());
    ASSERT_EQ(manual.size(), help.size());
    for (std::size_t i = 0; i < help.size(); ++i) {
        EXPECT_EQ(manual[i].term, help[i].term);
        // The page may say more, after the help text's own words.
        const std::string& more = manual[i].description;
        EXPECT_TRUE(more == help[i].description ||
                    (more.starts_with(help[i].description) && more[help[i].description.size()] == ' '))
            << "man: " << more << "\nhelp: " << help[i].description;
    }
}

}  // namespace
}  // namespace ondrel
