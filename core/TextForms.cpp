#include "core/TextForms.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace ondrel {

std::string formatInterval(double seconds) {
    std::array<char, 64> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), seconds);
    std::string text = error == std::errc{} ? std::string(buffer.data(), end) : std::string("nan");
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
        for (char c : labels[i]) {
            switch (c) {
                case '"':
                    text += "\\\"";
                    break;
                case '\\':
                    text += "\\\\";
                    break;
                case '\n':
                    text += "\\n";
                    break;
                case '\r':
                    text += "\\r";
                    break;
                case '\t':
                    text += "\\t";
                    break;
                default:
                    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                        std::array<char, 16> escape{};
                        std::snprintf(escape.data(), escape.size(), "\\u{%x}", static_cast<unsigned>(c));
                        text += escape.data();
                    } else {
                        text += c;
                    }
            }
        }
        text += '"';
    }
    return text + "]";
}

}  // namespace ondrel
