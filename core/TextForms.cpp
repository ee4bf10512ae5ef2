// SPDX-License-Identifier: MIT
#include "core/TextForms.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <array>
#include <charconv>
#include <cstdio>

namespace ondrel {
namespace {

constexpr int maxPlainSignificantDigits = 17;

int significantDigits(std::string_view plain) {
    int digits = 0;
    bool leading = true;
    for (char c : plain) {
        if (c < '0' || c > '9')
            continue;
        leading = leading && c == '0';
        digits += leading ? 0 : 1;
    }
    return digits;
}

bool needsEscape(UChar32 c) {
    const auto type = u_charType(c);
    return type == U_CONTROL_CHAR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR ||
           u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL);
}

void appendHexEscape(std::string& out, char kind, unsigned value) {
    std::array<char, 16> escape{};
    std::snprintf(escape.data(), escape.size(), "\\%c{%x}", kind, value);
    out += escape.data();
}

// The one escaping of outside text; `quoted` also escapes the quote and the backslash, for a text
// written between double quotes.
void appendEscaped(std::string& out, std::string_view text, bool quoted) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t offset = 0; offset < length;) {
        const int32_t start = offset;
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        if (c < 0) {
            for (int32_t i = start; i < offset; ++i)
                appendHexEscape(out, 'x', bytes[i]);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (needsEscape(c)) {
            appendHexEscape(out, 'u', static_cast<unsigned>(c));
        } else {
            if (quoted && (c == '"' || c == '\\'))
                out += '\\';
            out.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(offset - start)));
        }
    }
}

}  // namespace

std::string formatInterval(double seconds) {
    // Wide enough for the plain form of any double: at most 309 digits before the point or about 330 after.
    std::array<char, 1100> buffer{};
    char* const first = buffer.data();
    char* const last = first + buffer.size();
    auto [end, error] = std::to_chars(first, last, seconds, std::chars_format::fixed);
    if (error != std::errc{})
        return "nan";
    if (significantDigits(std::string_view(first, static_cast<std::size_t>(end - first))) > maxPlainSignificantDigits)
        end = std::to_chars(first, last, seconds, std::chars_format::scientific).ptr;
    std::string text(first, end);
    if (text.find_first_of(".eEn") == std::string::npos)
        text += ".0";  // "n" covers inf and nan
    return text;
}

std::string formatLabelList(const std::vector<std::string>& labels) {
    std::string text = "[";
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += '"';
        appendEscaped(text, labels[i], true);
        text += '"';
    }
    return text + "]";
}

std::string escapeForLine(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    appendEscaped(escaped, text, false);
    return escaped;
}

}  // namespace ondrel
