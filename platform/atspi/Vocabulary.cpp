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

}  // namespace

std::string axRoleFor(int atspiRole, bool topLevel, bool multiLine, bool editable) {
    switch (atspiRole) {
        // What toolkits give a top-level window: message boxes are alerts (GTK and Qt), choosers are
        // dialogs of their own kind, and a transient notification window may carry buttons too.
        case ATSPI_ROLE_FRAME:
        case ATSPI_ROLE_WINDOW:
        case ATSPI_ROLE_DIALOG:
        case ATSPI_ROLE_ALERT:
        case ATSPI_ROLE_FILE_CHOOSER:
        case ATSPI_ROLE_COLOR_CHOOSER:
        case ATSPI_ROLE_FONT_CHOOSER:
        case ATSPI_ROLE_NOTIFICATION:
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

}  // namespace ondrel::atspi
