// SPDX-License-Identifier: MIT
#include "core/Text.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

namespace ondrel::text {
namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isSpaceOrTab(UChar32 c) {
    return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR;
}

bool isWhiteSpaceOrLineBreak(UChar32 c) {
    return u_isUWhiteSpace(c);
}

// Trims code points for which `strip` holds; an invalid byte sequence counts as text and stops the trim.
template <typename Predicate>
std::string trimCodePoints(std::string_view text, Predicate strip) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());

    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        UChar32 c = 0;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !strip(c))
            break;
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        UChar32 c = 0;
        U8_PREV(bytes, begin, previous, c);
        if (c < 0 || !strip(c))
            break;
        end = previous;
    }
    return std::string(text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

// Typography shows "--" as a dash (a chat view's "git push –force" runs "git push --force"), and hyphens
// and minus signs that look like "-" are read as one.
icu::UnicodeString withPlainDashes(const icu::UnicodeString& text) {
    icu::UnicodeString plain;
    for (int32_t i = 0; i < text.length();) {
        const UChar32 c = text.char32At(i);
        i += U16_LENGTH(c);
        switch (c) {
            case 0x2013:  // en dash
            case 0x2014:  // em dash
            case 0x2015:  // horizontal bar
            case 0x2E3A:  // two-em dash
            case 0x2E3B:  // three-em dash
                plain.append(u"--");
                break;
            case 0x2010:  // hyphen
            case 0x2011:  // non-breaking hyphen
            case 0x2012:  // figure dash
            case 0x2212:  // minus sign
                plain.append(u'-');
                break;
            default:
                plain.append(c);
        }
    }
    return plain;
}

// Creating a break iterator costs far more than using one, so each thread keeps its own.
icu::BreakIterator* characterBreaks() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

std::size_t countCodePoints(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

}  // namespace

std::string trimmed(std::string_view text) {
    return trimCodePoints(text, isWhiteSpaceOrLineBreak);
}

std::string trimmedSpaces(std::string_view text) {
    return trimCodePoints(text, isSpaceOrTab);
}

std::string lowercased(std::string_view text) {
    if (isAscii(text)) {
        std::string result(text);
        std::transform(result.begin(), result.end(), result.begin(),
                       [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
        return result;
    }
    icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    unicode.toLower(icu::Locale::getRoot());
    std::string result;
    unicode.toUTF8String(result);
    return result;
}

std::string whiteSpaceFolded(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    std::string folded;
    folded.reserve(text.size());
    bool inRun = false;
    for (int32_t offset = 0; offset < length;) {
        const int32_t start = offset;
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        const bool space = c >= 0 && isWhiteSpaceOrLineBreak(c);
        if (space && !inRun)
            folded += ' ';
        else if (!space)
            folded.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(offset - start)));
        inRun = space;
    }
    return folded;
}

std::string matchingForm(std::string_view text) {
    if (isAscii(text))
        return lowercased(text);  // ASCII holds nothing ignorable and is its own compatibility form
    const icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::UnicodeString visible;
    for (int32_t i = 0; i < unicode.length();) {
        const UChar32 c = unicode.char32At(i);
        if (!u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
            visible.append(c);
        i += U16_LENGTH(c);
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* compatibility = icu::Normalizer2::getNFKCInstance(status);
    icu::UnicodeString normalized;
    if (U_SUCCESS(status))
        normalized = compatibility->normalize(visible, status);
    if (U_FAILURE(status))
        normalized = visible;
    normalized.toLower(icu::Locale::getRoot());
    std::string result;
    withPlainDashes(normalized).toUTF8String(result);
    return result;
}

std::string withoutMarks(std::string_view text) {
    if (isAscii(text))
        return std::string(text);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* apart = icu::Normalizer2::getNFDInstance(status);
    const icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::UnicodeString decomposed = U_SUCCESS(status) ? apart->normalize(unicode, status) : unicode;
    if (U_FAILURE(status))
        decomposed = unicode;
    icu::UnicodeString bare;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        const int8_t type = u_charType(c);
        if (type != U_NON_SPACING_MARK && type != U_ENCLOSING_MARK)
            bare.append(c);
        i += U16_LENGTH(c);
    }
    std::string result;
    bare.toUTF8String(result);
    return result;
}

std::string withoutObjectReplacements(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBF\xBC";
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t next = text.find(mark, at);
        result.append(text.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        if (next == std::string_view::npos)
            break;
        at = next + mark.size();
    }
    return result;
}

std::size_t characterCount(std::string_view text) {
    if (isAscii(text)) {
        // In ASCII only CR LF forms a cluster of more than one character.
        std::size_t pairs = 0;
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i - 1] == '\r' && text[i] == '\n')
                ++pairs;
        }
        return text.size() - pairs;
    }
    icu::BreakIterator* breaks = characterBreaks();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (breaks == nullptr || U_FAILURE(status)) {
        utext_close(utext);
        return countCodePoints(text);
    }
    breaks->setText(utext, status);
    std::size_t count = 0;
    if (U_SUCCESS(status)) {
        for (int32_t boundary = breaks->next(); boundary != icu::BreakIterator::DONE; boundary = breaks->next()) {
            ++count;
        }
    } else {
        count = countCodePoints(text);
    }
    utext_close(utext);
    return count;
}

}  // namespace ondrel::text
