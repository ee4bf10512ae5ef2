// SPDX-License-Identifier: MIT
#pragma once

// The command line: the Options record, the option walk and the help text.

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ondrel {

struct Options {
    double interval = 1.0;                     // seconds between passes; always > 0
    std::vector<std::string> labels{"Allow"};  // never empty
    bool safe = true;
    bool contains = false;
    bool list = false;
    bool dryRun = false;
    bool once = false;
    bool verbose = true;
    bool headless = false;

    bool operator==(const Options&) const = default;
};

extern const std::string_view helpText;  // the 17 lines, each followed by a line feed

enum class OutputStream { standardOutput, standardError };

// A request that ends the process during parsing: help, a --check verdict or an unknown option.
struct ParseExit {
    int status = 0;
    std::string text;  // printed exactly as it stands, line feed included
    OutputStream stream = OutputStream::standardOutput;

    bool operator==(const ParseExit&) const = default;
};

using ParseOutcome = std::variant<Options, ParseExit>;

// The option walk itself, free of side effects. `arguments` excludes the program name.
ParseOutcome parseCommandLine(std::span<const std::string> arguments);

// Runs the walk; on help, --check or an unknown option prints the text and ends the process.
Options parseOptions(std::span<const std::string> arguments);

// Reads an --interval value: a whole decimal number in C-locale syntax, finite and above 0.
bool readInterval(std::string_view value, double& interval);

}  // namespace ondrel
