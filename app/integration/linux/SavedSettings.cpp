// SPDX-License-Identifier: MIT
#include "app/integration/linux/SavedSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "app/integration/linux/ConfigFolder.h"
#include "core/ActivityLog.h"
#include "core/Text.h"

namespace ondrel {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string lowercase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

}  // namespace

std::string savedSettingsPathFor(const std::string& home, const std::string& xdgConfigHome) {
    return configFolderFor(home, xdgConfigHome) + "/Ondrel/Ondrel.conf";
}

bool keepHistoryIn(const std::string& contents) {
    // Qt keeps keys without a group under [General], or before any group; a value reads as false the
    // way Qt reads a text as a boolean: empty, "0" or "false" in any case.
    std::istringstream lines(contents);
    bool general = true;
    bool keep = true;
    for (std::string line; std::getline(lines, line);) {
        const std::string trimmed = text::trimmed(line);
        if (trimmed.starts_with('[')) {
            general = trimmed == "[General]";
            continue;
        }
        const std::size_t equals = trimmed.find('=');
        if (!general || equals == std::string::npos || text::trimmed(trimmed.substr(0, equals)) != "keepHistory")
            continue;
        const std::string value = lowercase(text::trimmed(trimmed.substr(equals + 1)));
        keep = !(value.empty() || value == "0" || value == "false");
    }
    return keep;
}

bool savedKeepHistory() {
    std::ifstream file(savedSettingsPathFor(homeFolderFor(environment("HOME")), environment("XDG_CONFIG_HOME")));
    if (!file)
        return true;
    std::ostringstream contents;
    contents << file.rdbuf();
    return keepHistoryIn(contents.str());
}

}  // namespace ondrel
