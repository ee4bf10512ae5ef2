// SPDX-License-Identifier: MIT
#include "app/SkipNotices.h"

namespace ondrel {

std::vector<Notice> SkipNotices::afterPass(const std::vector<SkippedPrompt>& left) {
    std::set<Key> current;
    std::vector<Notice> notices;
    for (const SkippedPrompt& prompt : left) {
        Key key{prompt.windowTitle, prompt.label, prompt.promptText};
        if (current.insert(key).second && !shown_.contains(key))
            notices.push_back({skippedNoticeTitle, "In [" + prompt.windowTitle + "]: " + prompt.objection});
    }
    shown_ = std::move(current);
    return notices;
}

std::string escapeMarkup(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace ondrel
