// SPDX-License-Identifier: MIT
#pragma once

// Which prompts that safe mode left deserve a notification: each one once, when it first appears. A
// prompt stays the same prompt while its window title, button label and text stay the same; when it
// goes and comes back, it is new again.

#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/Engine.h"

namespace ondrel {

inline constexpr const char* skippedNoticeTitle = "Ondrel left a prompt for you";

struct Notice {
    std::string title;
    std::string body;  // plain text: the window's title and why the prompt was left

    bool operator==(const Notice&) const = default;
};

class SkipNotices {
public:
    // Given every prompt a pass left, the notices for those the pass before did not leave.
    std::vector<Notice> afterPass(const std::vector<SkippedPrompt>& left);

private:
    using Key = std::tuple<std::string, std::string, std::string>;  // window title, label, prompt text
    std::set<Key> shown_;
};

// `text` for a notification body that servers read as markup: '&', '<' and '>' as entities.
std::string escapeMarkup(std::string_view text);

}  // namespace ondrel
