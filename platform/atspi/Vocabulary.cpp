#include "platform/atspi/Vocabulary.h"

#include <atspi/atspi-constants.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace ondrel::atspi {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

std::string_view valueOf(std::string_view environment, std::string_view name) {
    std::size_t start = 0;
    while (start < environment.size()) {
        std::size_t end = environment.find('\0', start);
        if (end == std::string_view::npos)
            end = environment.size();
        const std::string_view entry = environment.substr(start, end - start);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=') {
            return entry.substr(name.size() + 1);
        }
        start = end + 1;
    }
    return {};
}

}  // namespace

std::string axRoleFor(int atspiRole, bool topLevel, bool multiLine, bool editable) {
    switch (atspiRole) {
        case ATSPI_ROLE_FRAME:
        case ATSPI_ROLE_WINDOW:
        case ATSPI_ROLE_DIALOG:
            if (topLevel)
                return "AXWindow";
            break;
        // Enum value 43: "push button", renamed "button" in later at-spi2-core releases.
        case ATSPI_ROLE_PUSH_BUTTON:
            return "AXButton";
        case ATSPI_ROLE_LABEL:
        case ATSPI_ROLE_STATIC:
        case ATSPI_ROLE_CAPTION:
        case ATSPI_ROLE_PARAGRAPH:
        case ATSPI_ROLE_HEADING:
            return "AXStaticText";
        case ATSPI_ROLE_TEXT:
        case ATSPI_ROLE_ENTRY:
        case ATSPI_ROLE_DOCUMENT_TEXT:
            if (multiLine || !editable)
                return "AXTextArea";
            break;
        default:
            break;
    }
    // Everything else keeps a name of its own that no core comparison uses.
    return "AtspiRole" + std::to_string(atspiRole);
}

bool isPressActionName(std::string_view name) {
    static constexpr std::array<std::string_view, 4> names = {"click", "press", "activate", "dodefault"};
    const std::string lowered = lowerAscii(name);
    return std::find(names.begin(), names.end(), lowered) != names.end();
}

bool environmentNamesDesktopEntry(std::string_view environment, std::string_view applicationId) {
    const std::string entry = std::string(applicationId) + ".desktop";
    if (valueOf(environment, "CHROME_DESKTOP") == entry)
        return true;
    // GIO gives the desktop file's full path.
    const std::string_view launched = valueOf(environment, "GIO_LAUNCHED_DESKTOP_FILE");
    return launched == entry || (launched.ends_with("/" + entry));
}

}  // namespace ondrel::atspi
