// SPDX-License-Identifier: MIT
#include "platform/atspi/SystemdUnits.h"

#include <algorithm>
#include <cctype>

namespace ondrel::atspi {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// systemd's "\xNN" escapes; anything malformed makes the name no application's.
std::optional<std::string> unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x' || hexValue(text[i + 2]) < 0 || hexValue(text[i + 3]) < 0)
            return std::nullopt;
        plain += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
        i += 3;
    }
    return plain;
}

}  // namespace

std::optional<std::string> applicationIdOfUnit(std::string_view unit) {
    constexpr std::string_view prefix = "app-";
    if (!unit.starts_with(prefix))
        return std::nullopt;
    std::string_view body = unit.substr(prefix.size());
    if (body.ends_with(".service")) {
        body.remove_suffix(std::string_view(".service").size());
        if (const auto at = body.find('@'); at != std::string_view::npos)
            body = body.substr(0, at);
    } else if (body.ends_with(".scope")) {
        body.remove_suffix(std::string_view(".scope").size());
        const auto dash = body.rfind('-');
        if (dash == std::string_view::npos || dash + 1 == body.size())
            return std::nullopt;  // a scope always ends in its random part
        body = body.substr(0, dash);
    } else {
        return std::nullopt;
    }
    // What is left is "<launcher>-<ID>" or "<ID>": neither may hold an unescaped "-".
    const auto dashes = std::count(body.begin(), body.end(), '-');
    if (dashes > 1)
        return std::nullopt;
    if (dashes == 1)
        body = body.substr(body.find('-') + 1);
    if (body.empty())
        return std::nullopt;
    return unescaped(body);
}

std::vector<std::string> unitsOfCgroups(std::string_view cgroupFile) {
    std::vector<std::string> units;
    std::size_t start = 0;
    while (start < cgroupFile.size()) {
        std::size_t end = cgroupFile.find('\n', start);
        if (end == std::string_view::npos)
            end = cgroupFile.size();
        const std::string_view line = cgroupFile.substr(start, end - start);
        start = end + 1;
        // "<hierarchy>:<controllers>:<path>"
        const auto first = line.find(':');
        const auto second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos)
            continue;
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        if (!controllers.empty() && controllers != "name=systemd")
            continue;
        std::string_view path = line.substr(second + 1);
        while (!path.empty()) {
            const auto slash = path.rfind('/');
            const std::string_view component = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
            if ((component.ends_with(".service") || component.ends_with(".scope")) &&
                std::find(units.begin(), units.end(), component) == units.end()) {
                units.emplace_back(component);
            }
            path = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
        }
    }
    return units;
}

}  // namespace ondrel::atspi
