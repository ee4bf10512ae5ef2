// SPDX-License-Identifier: MIT
// The option walk over any argument list (arguments separated by NUL bytes in the input): it ends in
// options that keep their promises or in an exit with its text, and the start line's forms of those
// options read back and stay on one line.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Options.h"
#include "core/TextForms.h"
#include "fuzz/FuzzInput.h"

using ondrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    arguments.push_back(std::move(current));

    const ondrel::ParseOutcome outcome = ondrel::parseCommandLine(arguments);
    if (const auto* exit = std::get_if<ondrel::ParseExit>(&outcome)) {
        require(exit->status == 0 || exit->status == 64, "exit status is 0 or 64");
        require(!exit->text.empty() && exit->text.back() == '\n', "exit text ends its line");
        return 0;
    }
    const auto& options = std::get<ondrel::Options>(outcome);
    require(std::isfinite(options.interval) && options.interval > 0, "interval finite and above 0");
    require(!options.labels.empty(), "labels never empty");
    for (const std::string& label : options.labels)
        require(!label.empty(), "no empty label");

    double readBack = 0;
    require(ondrel::readInterval(ondrel::formatInterval(options.interval), readBack) && readBack == options.interval,
            "the interval's text reads back as the same number");
    const std::string labels = ondrel::formatLabelList(options.labels);
    require(labels.find_first_of("\n\r") == std::string::npos, "the label list stays on one line");
    return 0;
}
