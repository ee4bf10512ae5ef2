// SPDX-License-Identifier: MIT
#include "core/DangerMatcher.h"

#include <string>

#include "core/Text.h"

namespace ondrel {

std::optional<std::string_view> dangerMatch(std::string_view text) {
    const std::string folded = text::whiteSpaceFolded(text);
    for (std::string_view pattern : dangerPatterns) {
        if (folded.find(pattern) != std::string::npos)
            return pattern;
    }
    return std::nullopt;
}

}  // namespace ondrel
