#include "core/DangerMatcher.h"

namespace ondrel {

std::optional<std::string_view> dangerMatch(std::string_view text) noexcept {
    for (std::string_view pattern : dangerPatterns) {
        if (text.find(pattern) != std::string_view::npos)
            return pattern;
    }
    return std::nullopt;
}

}  // namespace ondrel
