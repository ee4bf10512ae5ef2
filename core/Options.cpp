// SPDX-License-Identifier: MIT
#include "core/Options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/DangerMatcher.h"
#include "core/Text.h"

namespace ondrel {

const std::string_view helpText =
    "Ondrel - auto-press Velquin's \"Allow\" button.\n"
    "\n"
    "Usage: Ondrel [options]\n"
    "\n"
    "  --interval <sec>   Poll interval. Default 1.0\n"
    "  --labels <a,b>     Button labels to press. Default \"Allow\"\n"
    "  --list             Print every button label Velquin exposes, then exit\n"
    "  --check <text>     Test the safe-mode matcher against text, then exit\n"
    "  --contains         Match labels as substrings, not exact\n"
    "  --safe             Skip destructive-looking prompts (default ON)\n"
    "  --unsafe           Disable the destructive-prompt guard\n"
    "  --quiet            Reduce logging (logging defaults ON)\n"
    "  --dry-run          Report what would be pressed, press nothing\n"
    "  --once             Single pass, then exit\n"
    "  --headless         Run without the menu bar UI (for launchd)\n"
    "  --verbose          Log each pass\n"
    "  -h, --help         This help\n";

namespace {

struct Flag {
    std::string_view name;
    bool Options::*field;
    bool value;
};

constexpr Flag flags[] = {
    {"--list", &Options::list, true},         {"--contains", &Options::contains, true},
    {"--safe", &Options::safe, true},         {"--unsafe", &Options::safe, false},
    {"--quiet", &Options::verbose, false},    {"--dry-run", &Options::dryRun, true},
    {"--once", &Options::once, true},         {"--verbose", &Options::verbose, true},
    {"--headless", &Options::headless, true},
};

// Splits at commas, trims spaces and tabs from each piece and drops the empty ones.
std::vector<std::string> splitLabels(std::string_view value) {
    std::vector<std::string> labels;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos)
            comma = value.size();
        std::string piece = text::trimmedSpaces(value.substr(start, comma - start));
        if (!piece.empty())
            labels.push_back(std::move(piece));
        start = comma + 1;
    }
    return labels;
}

ParseExit checkVerdict(std::string_view value) {
    const std::string lowered = text::matchingForm(value);
    if (auto pattern = dangerMatch(lowered)) {
        return {0, "DANGER: matched \"" + std::string(*pattern) + "\" -> would SKIP\n", OutputStream::standardOutput};
    }
    return {0, "clean: no match -> would PRESS\n", OutputStream::standardOutput};
}

}  // namespace

bool readInterval(std::string_view value, double& interval) {
    // One leading plus sign is part of the C syntax; from_chars does not take it itself.
    if (value.size() > 1 && value.front() == '+' && value[1] != '-' && value[1] != '+')
        value.remove_prefix(1);
    double parsed = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, parsed, std::chars_format::general);
    if (error != std::errc{} || stop != end || value.empty())
        return false;
    if (!std::isfinite(parsed) || !(parsed > 0))
        return false;
    interval = parsed;
    return true;
}

ParseOutcome parseCommandLine(std::span<const std::string> arguments) {
    Options options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];

        bool matchedFlag = false;
        for (const Flag& flag : flags) {
            if (argument == flag.name) {
                options.*flag.field = flag.value;
                matchedFlag = true;
                break;
            }
        }
        if (matchedFlag)
            continue;

        if (argument == "-h" || argument == "--help") {
            return ParseExit{0, std::string(helpText), OutputStream::standardOutput};
        }

        const bool takesValue = argument == "--interval" || argument == "--labels" || argument == "--check";
        if (!takesValue) {
            return ParseExit{64, "Unknown option: " + argument + "\n", OutputStream::standardError};
        }
        if (index + 1 == arguments.size())
            break;  // a value option without its value is ignored
        const std::string& value = arguments[++index];

        if (argument == "--interval") {
            readInterval(value, options.interval);
        } else if (argument == "--labels") {
            auto labels = splitLabels(value);
            if (!labels.empty())
                options.labels = std::move(labels);
        } else {
            return checkVerdict(value);
        }
    }
    return options;
}

Options parseOptions(std::span<const std::string> arguments) {
    ParseOutcome outcome = parseCommandLine(arguments);
    if (auto* options = std::get_if<Options>(&outcome))
        return *options;

    const auto& exit = std::get<ParseExit>(outcome);
    std::FILE* stream = exit.stream == OutputStream::standardError ? stderr : stdout;
    std::fwrite(exit.text.data(), 1, exit.text.size(), stream);
    std::fflush(stream);
    std::exit(exit.status);
}

}  // namespace ondrel
