// SPDX-License-Identifier: MIT
#include "platform/atspi/Vocabulary.h"

#include <atspi/atspi-constants.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

#include "core/AccessibilityNames.h"
#include "platform/atspi/GLibHandles.h"

namespace ondrel::atspi {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

}  // namespace

std::string axRoleFor(int atspiRole, bool topLevel) {
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
                return std::string(ax::role::window);
            break;
        // Qt shows a widget without a parent as a window of its own, named as a filler or a panel.
        case ATSPI_ROLE_FILLER:
        case ATSPI_ROLE_PANEL:
            return std::string(topLevel ? ax::role::window : ax::role::group);
        // Containers whose name, where they have one, is a title the user reads (a frame's label, a web
        // page's named region).
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_GROUPING:
        case ATSPI_ROLE_FORM:
        case ATSPI_ROLE_LANDMARK:
        case ATSPI_ROLE_ARTICLE:
        case ATSPI_ROLE_LIST:
        case ATSPI_ROLE_TABLE:
            return std::string(ax::role::group);
        // Enum value 43: "push button", renamed "button" in later at-spi2-core releases.
        case ATSPI_ROLE_PUSH_BUTTON:
            return std::string(ax::role::button);
        // Texts, and items whose name or text is what they show: list items, table cells, a drop-down's
        // choice (whose name is the choice shown, or whose items say it).
        case ATSPI_ROLE_LABEL:
        case ATSPI_ROLE_STATIC:
        case ATSPI_ROLE_CAPTION:
        case ATSPI_ROLE_PARAGRAPH:
        case ATSPI_ROLE_HEADING:
        case ATSPI_ROLE_LIST_ITEM:
        case ATSPI_ROLE_TABLE_CELL:
        case ATSPI_ROLE_TABLE_ROW_HEADER:
        case ATSPI_ROLE_TABLE_COLUMN_HEADER:
        case ATSPI_ROLE_COLUMN_HEADER:
        case ATSPI_ROLE_ROW_HEADER:
        case ATSPI_ROLE_DESCRIPTION_TERM:
        case ATSPI_ROLE_DESCRIPTION_VALUE:
        case ATSPI_ROLE_COMBO_BOX:
            return std::string(ax::role::staticText);
        // Every text field is part of what a prompt shows, editable or not, whatever states it reports
        // (Qt's read-only line edit says it is both editable and read-only). Password fields are not read.
        case ATSPI_ROLE_ENTRY:
            return std::string(ax::role::textField);
        case ATSPI_ROLE_TEXT:
        case ATSPI_ROLE_DOCUMENT_TEXT:
        case ATSPI_ROLE_TERMINAL:
            return std::string(ax::role::textArea);
        default:
            break;
    }
    // Everything else keeps a name of its own that no core comparison uses.
    return "AtspiRole" + std::to_string(atspiRole);
}

std::optional<std::string> axSubroleFor(int atspiRole) {
    if (atspiRole == ATSPI_ROLE_DIALOG || atspiRole == ATSPI_ROLE_ALERT)
        return std::string(ax::subrole::dialog);
    return std::nullopt;
}

bool isPressActionName(std::string_view name) {
    static constexpr std::array<std::string_view, 4> names = {"click", "press", "activate", "dodefault"};
    const std::string lowered = lowerAscii(name);
    return std::find(names.begin(), names.end(), lowered) != names.end();
}

std::optional<int> pressActionIndex(const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size() && i <= INT_MAX; ++i) {
        if (isPressActionName(names[i]))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

ActionResult pressOutcome(const BusReply& reply, bool pressed) {
    static constexpr std::array<std::string_view, 5> gone = {
        "org.freedesktop.DBus.Error.UnknownObject", "org.freedesktop.DBus.Error.UnknownMethod",
        "org.freedesktop.DBus.Error.UnknownInterface", "org.freedesktop.DBus.Error.ServiceUnknown",
        "org.freedesktop.DBus.Error.NameHasNoOwner"};
    if (reply.value) {
        return pressed ? ActionResult::done()
                       : ActionResult{ActionResult::Outcome::failed, "Velquin answered that it did not press it"};
    }
    if (reply.timedOut)
        return {ActionResult::Outcome::busy, "Velquin did not answer in time (" + reply.error + ")"};
    if (std::find(gone.begin(), gone.end(), reply.error) != gone.end())
        return {ActionResult::Outcome::gone, "the button is no longer there (" + reply.error + ")"};
    return {ActionResult::Outcome::failed, reply.error.empty() ? std::string("no answer") : reply.error};
}

std::uint64_t stateBits(GVariant* words) {
    std::uint64_t bits = 0;
    const gsize count = std::min<gsize>(g_variant_n_children(words), 2);
    for (gsize i = 0; i < count; ++i) {
        guint32 word = 0;
        g_variant_get_child(words, i, "u", &word);
        bits |= static_cast<std::uint64_t>(word) << (32 * i);
    }
    return bits;
}

bool hasState(std::uint64_t states, int state) {
    return state >= 0 && state < 64 && ((states >> state) & 1U) != 0;
}

bool isEnabled(std::uint64_t states) {
    return hasState(states, ATSPI_STATE_ENABLED) || hasState(states, ATSPI_STATE_SENSITIVE);
}

bool isMinimized(std::uint64_t states) {
    return hasState(states, ATSPI_STATE_ICONIFIED);
}

std::vector<std::pair<std::string, std::string>> labelledByTargets(GVariant* relationSet) {
    std::vector<std::pair<std::string, std::string>> targets;
    GVariantPtr relations(g_variant_get_child_value(relationSet, 0));
    GVariantIter relationIterator;
    g_variant_iter_init(&relationIterator, relations.get());
    guint32 type = 0;
    GVariantIter* objects = nullptr;
    while (g_variant_iter_next(&relationIterator, "(ua(so))", &type, &objects)) {
        const gchar* busName = nullptr;
        const gchar* path = nullptr;
        while (g_variant_iter_next(objects, "(&s&o)", &busName, &path)) {
            if (type == ATSPI_RELATION_LABELLED_BY)
                targets.emplace_back(busName, path);
        }
        g_variant_iter_free(objects);
    }
    return targets;
}

}  // namespace ondrel::atspi
