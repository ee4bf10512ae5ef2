// SPDX-License-Identifier: MIT
#include "core/DangerMatcher.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/uspoof.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "core/Text.h"

namespace ondrel {
namespace {

// The text as a shell would read the words of a command: marks drawn over letters go, a line continued
// with a backslash goes on, and quotes, commas and brackets part words as spaces do (an argument list,
// "rm" -rf); every run of white space is one space.
std::string readAsCommand(std::string_view original) {
    const std::string bare = text::withoutMarks(original);
    const std::string_view text = bare;
    std::string read;
    read.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r'))
            read += ' ';
        else if (std::string_view("\"'`,[](){}").find(c) != std::string_view::npos)
            read += ' ';
        else
            read += c;
    }
    return text::whiteSpaceFolded(read);
}

struct SpoofCheckerClose {
    void operator()(USpoofChecker* checker) const { uspoof_close(checker); }
};

// Letters of other scripts that look like Latin ones (Cyrillic "ѕ", Greek "ο") read as the letters they
// look like: Unicode's confusable skeleton, lower-cased. None when it cannot be made.
std::optional<std::string> skeleton(const std::string& text) {
    thread_local const std::unique_ptr<USpoofChecker, SpoofCheckerClose> checker = [] {
        UErrorCode status = U_ZERO_ERROR;
        USpoofChecker* opened = uspoof_open(&status);
        return std::unique_ptr<USpoofChecker, SpoofCheckerClose>(U_SUCCESS(status) ? opened : nullptr);
    }();
    if (!checker)
        return std::nullopt;
    const icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::UnicodeString result;
    UErrorCode status = U_ZERO_ERROR;
    uspoof_getSkeletonUnicodeString(checker.get(), 0, unicode, result, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    std::string skeletal;
    result.toLower(icu::Locale::getRoot()).toUTF8String(skeletal);
    return skeletal;
}

const std::array<std::optional<std::string>, dangerPatterns.size()>& patternSkeletons() {
    static const auto skeletons = [] {
        std::array<std::optional<std::string>, dangerPatterns.size()> made;
        std::transform(dangerPatterns.begin(), dangerPatterns.end(), made.begin(),
                       [](std::string_view pattern) { return skeleton(std::string(pattern)); });
        return made;
    }();
    return skeletons;
}

}  // namespace

std::optional<std::string_view> dangerMatch(std::string_view text) {
    const std::string read = readAsCommand(text);
    // Plain text needs no skeleton: ASCII letters are their own.
    const bool plain = std::all_of(read.begin(), read.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::optional<std::string> looks = plain ? std::nullopt : skeleton(read);
    for (std::size_t i = 0; i < dangerPatterns.size(); ++i) {
        if (read.find(dangerPatterns[i]) != std::string::npos)
            return dangerPatterns[i];
        const auto& pattern = patternSkeletons()[i];
        if (looks && pattern && looks->find(*pattern) != std::string::npos)
            return dangerPatterns[i];
    }
    return std::nullopt;
}

}  // namespace ondrel
