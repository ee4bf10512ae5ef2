#pragma once

// Translations between AT-SPI's vocabulary and the accessibility vocabulary of the core. Pure
// functions, so they are tested without a bus.

#include <string>
#include <string_view>

namespace ondrel::atspi {

// What an element's AT-SPI role is called in the core. `topLevel`: a direct child of the application.
// `multiLine` and `editable` come from the element's states and only matter for text roles.
std::string axRoleFor(int atspiRole, bool topLevel, bool multiLine, bool editable);

// Whether an AT-SPI action name is the one that presses a button (toolkits name it differently).
bool isPressActionName(std::string_view name);

}  // namespace ondrel::atspi
