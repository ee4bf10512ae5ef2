// SPDX-License-Identifier: MIT
#include <atspi/atspi-constants.h>
#include <gtest/gtest.h>

#include <string>

#include "core/AccessibilityNames.h"
#include "platform/atspi/ChangeWatch.h"
#include "platform/atspi/Vocabulary.h"
#include "tests/support/CaseName.h"

namespace ondrel::atspi {
namespace {

struct RoleCase {
    const char* name;
    int role;
    bool topLevel;
    std::string expected;
};
std::string own(int role) {
    return "AtspiRole" + std::to_string(role);
}
class AxRole : public testing::TestWithParam<RoleCase> {};
TEST_P(AxRole, axRoleFor_atspiRole_coreRole) {
    const RoleCase& c = GetParam();
    EXPECT_EQ(axRoleFor(c.role, c.topLevel), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, AxRole,
    testing::Values(RoleCase{"topLevelFrame", ATSPI_ROLE_FRAME, true, ax::role::window},
                    RoleCase{"topLevelDialog", ATSPI_ROLE_DIALOG, true, ax::role::window},
                    RoleCase{"topLevelWindow", ATSPI_ROLE_WINDOW, true, ax::role::window},
                    // GTK and Qt message boxes are alerts; an alert inside a page is none.
                    RoleCase{"topLevelAlert", ATSPI_ROLE_ALERT, true, ax::role::window},
                    RoleCase{"topLevelFileChooser", ATSPI_ROLE_FILE_CHOOSER, true, ax::role::window},
                    RoleCase{"nestedAlert_noWindow", ATSPI_ROLE_ALERT, false, own(ATSPI_ROLE_ALERT)},
                    // Qt's widget without a parent: a window; inside one, a group.
                    RoleCase{"topLevelFiller", ATSPI_ROLE_FILLER, true, ax::role::window},
                    RoleCase{"nestedPanel_group", ATSPI_ROLE_PANEL, false, ax::role::group},
                    RoleCase{"listItem_text", ATSPI_ROLE_LIST_ITEM, false, ax::role::staticText},
                    RoleCase{"comboBox_text", ATSPI_ROLE_COMBO_BOX, false, ax::role::staticText},
                    RoleCase{"nestedFrame_noWindow", ATSPI_ROLE_FRAME, false, own(ATSPI_ROLE_FRAME)},
                    // Push button, later called "button".
                    RoleCase{"pushButton", 43, false, ax::role::button},
                    RoleCase{"toggleButton_itsLabelIsText", ATSPI_ROLE_TOGGLE_BUTTON, false, ax::role::staticText},
                    RoleCase{"label", ATSPI_ROLE_LABEL, false, ax::role::staticText},
                    RoleCase{"static", ATSPI_ROLE_STATIC, false, ax::role::staticText},
                    RoleCase{"caption", ATSPI_ROLE_CAPTION, false, ax::role::staticText},
                    // Every field is text, editable or not; passwords are not.
                    RoleCase{"text", ATSPI_ROLE_TEXT, false, ax::role::textArea},
                    RoleCase{"entry", ATSPI_ROLE_ENTRY, false, ax::role::textField},
                    RoleCase{"passwordText_ownName", ATSPI_ROLE_PASSWORD_TEXT, false, own(ATSPI_ROLE_PASSWORD_TEXT)}),
    testing_support::CaseName());

TEST(ShownName, shownName_gtk4PlaceholderBlankEverythingElseKept) {
    for (const char* placeholder : {"GtkLabel", "GtkTextView", "GtkEntry"})
        EXPECT_EQ(shownName(placeholder), "") << placeholder;
    for (const char* name : {"Gtk", "Gtk label", "GtkLabel2", "gtkLabel", "Gtkx", "Allow", "rm -rf GtkLabel"})
        EXPECT_EQ(shownName(name), name) << name;
}

TEST(PressAction, isPressActionName_toolkitNames_caseInsensitive) {
    for (const char* name : {"click", "Press", "activate", "doDefault", "DODEFAULT"}) {
        EXPECT_TRUE(isPressActionName(name)) << name;
    }
    for (const char* name : {"", "clicks", "toggle", "expand or contract", "showMenu"}) {
        EXPECT_FALSE(isPressActionName(name)) << name;
    }
}

// Events that change what a walk finds, those that change only what an element says, and the streams that
// change neither (focus, elements coming to be as they are first read).
TEST(ChangeEvents, changeKindOf_structureTextOrNone) {
    constexpr const char* object = "org.a11y.atspi.Event.Object";
    const auto structure = std::optional(ChangeKind::structure);
    const auto text = std::optional(ChangeKind::text);
    EXPECT_EQ(ChangeWatch::changeKindOf(object, "ChildrenChanged", "add"), structure);
    EXPECT_EQ(ChangeWatch::changeKindOf(object, "StateChanged", "enabled"), structure);
    EXPECT_EQ(ChangeWatch::changeKindOf(object, "StateChanged", "defunct"), std::nullopt);  // its parent tells
    EXPECT_EQ(ChangeWatch::changeKindOf(object, "StateChanged", "focused"), std::nullopt);
    EXPECT_EQ(ChangeWatch::changeKindOf(object, "TextChanged", "insert"), text);
    EXPECT_EQ(ChangeWatch::changeKindOf(object, "PropertyChange", "accessible-name"), text);
    EXPECT_EQ(ChangeWatch::changeKindOf(object, "PropertyChange", "accessible-role"), std::nullopt);
    EXPECT_EQ(ChangeWatch::changeKindOf("org.a11y.atspi.Event.Window", "Create", ""), structure);
    EXPECT_EQ(ChangeWatch::changeKindOf("org.a11y.atspi.Event.Window", "Activate", ""), std::nullopt);
}

}  // namespace
}  // namespace ondrel::atspi
