// SPDX-License-Identifier: MIT
// The danger matcher and the text helpers it and the scanner lean on, over any bytes: folding,
// trimming, lower-casing, counting, label normalising, and the escaping of outside text for lines.

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <string>

#include "core/DangerMatcher.h"
#include "core/Scanner.h"
#include "core/Text.h"
#include "core/TextForms.h"
#include "fuzz/FuzzInput.h"

namespace {

using ondrel::fuzz::require;

// Valid UTF-8 with no code point that could break a line or steer a terminal.
bool safeInALine(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t offset = 0; offset < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        if (c < 0 || u_charType(c) == U_CONTROL_CHAR || c == 0x2028 || c == 0x2029 ||
            u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    namespace text_ = ondrel::text;

    const std::string folded = text_::whiteSpaceFolded(text);
    require(folded.find("  ") == std::string::npos, "no two spaces in a row once folded");
    require(text_::whiteSpaceFolded(folded) == folded, "folding twice changes nothing");

    // Reading a text as a shell reads words, and as its letters look, only ever finds more: never less
    // than a pattern standing in it as written.
    const std::string judged = text_::matchingForm(text);
    const std::string plain = text_::whiteSpaceFolded(judged);
    for (std::string_view pattern : ondrel::dangerPatterns) {
        if (plain.find(pattern) != std::string::npos) {
            require(ondrel::dangerMatch(judged).has_value(), "a pattern written out is always found");
            break;
        }
    }

    const std::string trimmed = text_::trimmed(text);
    require(text.find(trimmed) != std::string::npos, "trimming only removes");
    require(text_::trimmed(trimmed) == trimmed, "trimming twice changes nothing");
    require(text_::characterCount(text) <= text.size(), "no more characters than bytes");
    require(ondrel::normalizeLabel(text).find('(') == std::string::npos, "a normalised label is cut at '('");

    require(safeInALine(ondrel::escapeForLine(text)), "escaped text is safe inside one line");
    return 0;
}
