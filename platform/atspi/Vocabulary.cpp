// SPDX-License-Identifier: MIT
#include "platform/atspi/Vocabulary.h"

#include <atspi/atspi-constants.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <map>

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

// What toolkits give a top-level window: message boxes are alerts (GTK and Qt), choosers are dialogs of
// their own kind, a transient notification window may carry buttons too, and Qt shows a widget without a
// parent as a window of its own, named as a filler or a panel.
bool isWindowRole(int atspiRole) {
    static constexpr std::array<int, 10> windows = {
        ATSPI_ROLE_FRAME,       ATSPI_ROLE_WINDOW,        ATSPI_ROLE_DIALOG,       ATSPI_ROLE_ALERT,
        ATSPI_ROLE_FILE_CHOOSER, ATSPI_ROLE_COLOR_CHOOSER, ATSPI_ROLE_FONT_CHOOSER, ATSPI_ROLE_NOTIFICATION,
        ATSPI_ROLE_FILLER,      ATSPI_ROLE_PANEL};
    return std::find(windows.begin(), windows.end(), atspiRole) != windows.end();
}

// The roles the core compares, wherever the element is.
const std::map<int, std::string_view>& coreRoles() {
    static const std::map<int, std::string_view> roles = {
        // Enum value 43: "push button", renamed "button" in later at-spi2-core releases.
        {ATSPI_ROLE_PUSH_BUTTON, ax::role::button},
        // Containers whose name, where they have one, is a title the user reads (a frame's label, a web
        // page's named region).
        {ATSPI_ROLE_FILLER, ax::role::group},
        {ATSPI_ROLE_PANEL, ax::role::group},
        {ATSPI_ROLE_SECTION, ax::role::group},
        {ATSPI_ROLE_GROUPING, ax::role::group},
        {ATSPI_ROLE_FORM, ax::role::group},
        {ATSPI_ROLE_LANDMARK, ax::role::group},
        {ATSPI_ROLE_ARTICLE, ax::role::group},
        {ATSPI_ROLE_LIST, ax::role::group},
        {ATSPI_ROLE_TABLE, ax::role::group},
        {ATSPI_ROLE_PAGE_TAB_LIST, ax::role::group},
        {ATSPI_ROLE_SCROLL_PANE, ax::role::group},
        // Texts, and items whose name or text is what they show: list items, table cells, a drop-down's
        // choice (whose name is the choice shown, or whose items say it), options and tabs.
        {ATSPI_ROLE_LABEL, ax::role::staticText},
        {ATSPI_ROLE_STATIC, ax::role::staticText},
        {ATSPI_ROLE_CAPTION, ax::role::staticText},
        {ATSPI_ROLE_PARAGRAPH, ax::role::staticText},
        {ATSPI_ROLE_HEADING, ax::role::staticText},
        {ATSPI_ROLE_LIST_ITEM, ax::role::staticText},
        {ATSPI_ROLE_TABLE_CELL, ax::role::staticText},
        {ATSPI_ROLE_TABLE_ROW_HEADER, ax::role::staticText},
        {ATSPI_ROLE_TABLE_COLUMN_HEADER, ax::role::staticText},
        {ATSPI_ROLE_COLUMN_HEADER, ax::role::staticText},
        {ATSPI_ROLE_ROW_HEADER, ax::role::staticText},
        {ATSPI_ROLE_DESCRIPTION_TERM, ax::role::staticText},
        {ATSPI_ROLE_DESCRIPTION_VALUE, ax::role::staticText},
        {ATSPI_ROLE_COMBO_BOX, ax::role::staticText},
        // Options and tabs show their labels (GTK 3 holds a tab's page, or an expander's content, in them).
        {ATSPI_ROLE_CHECK_BOX, ax::role::staticText},
        {ATSPI_ROLE_RADIO_BUTTON, ax::role::staticText},
        {ATSPI_ROLE_TOGGLE_BUTTON, ax::role::staticText},
        {ATSPI_ROLE_PAGE_TAB, ax::role::staticText},
        // Every text field is part of what a prompt shows, editable or not, whatever states it reports
        // (Qt's read-only line edit says it is both editable and read-only). Password fields are not read.
        {ATSPI_ROLE_ENTRY, ax::role::textField},
        {ATSPI_ROLE_TEXT, ax::role::textArea},
        {ATSPI_ROLE_DOCUMENT_TEXT, ax::role::textArea},
        {ATSPI_ROLE_TERMINAL, ax::role::textArea},
    };
    return roles;
}

}  // namespace

std::string axRoleFor(int atspiRole, bool topLevel) {
    if (topLevel && isWindowRole(atspiRole))
        return std::string(ax::role::window);
    if (const auto role = coreRoles().find(atspiRole); role != coreRoles().end())
        return std::string(role->second);
    // Everything else keeps a name of its own that no core comparison uses.
    return "AtspiRole" + std::to_string(atspiRole);
}

std::optional<std::string> axSubroleFor(int atspiRole) {
    if (atspiRole == ATSPI_ROLE_DIALOG || atspiRole == ATSPI_ROLE_ALERT)
        return std::string(ax::subrole::dialog);
    if (atspiRole == ATSPI_ROLE_CHECK_BOX || atspiRole == ATSPI_ROLE_RADIO_BUTTON ||
        atspiRole == ATSPI_ROLE_TOGGLE_BUTTON)
        return std::string(ax::subrole::toggle);
    return std::nullopt;
}

std::string shownName(std::string name) {
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const bool placeholder = name.size() > 3 && name.starts_with("Gtk") && name[3] >= 'A' && name[3] <= 'Z' &&
                             std::all_of(name.begin(), name.end(), letter);
    return placeholder ? std::string() : name;
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
