// SPDX-License-Identifier: MIT
#pragma once

// Translations between AT-SPI's vocabulary and the accessibility vocabulary of the core. Pure
// functions, so they are tested without a bus.

#include <glib.h>

#include "core/Accessibility.h"
#include "platform/atspi/Bus.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ondrel::atspi {

// What an element's AT-SPI role is called in the core. `topLevel`: a direct child of the application.
std::string axRoleFor(int atspiRole, bool topLevel);

// The core's subrole of an element with this role: "AXDialog" for dialogs and alerts, at the top level
// or inside a page; none for every other role.
std::optional<std::string> axSubroleFor(int atspiRole);

// The name an element shows, from its AT-SPI name: blank for the name GTK 4 gives an element that has
// none ("GtkLabel" for an empty label, "GtkTextView"), which no user reads.
std::string shownName(std::string name);

// Whether an AT-SPI action name is the one that presses a button (toolkits name it differently).
bool isPressActionName(std::string_view name);

// The index of the press action among an element's action names.
std::optional<int> pressActionIndex(const std::vector<std::string>& names);

// What a press came to, from the reply to DoAction (`pressed`: what it answered), or to the call before it
// that failed: gone when the element or its application is no longer there (a prompt answered and closed);
// busy when it did not answer in time, so the press may still happen; failed otherwise, the D-Bus error named.
ActionResult pressOutcome(const BusReply& reply, bool pressed);

// An element's states ("au", two words of bits) as one set of bits indexed by AtspiStateType.
std::uint64_t stateBits(GVariant* words);
bool hasState(std::uint64_t states, int state);
// Enabled as the core sees it: toolkits set either "enabled" or "sensitive" (GTK 4 only the latter).
bool isEnabled(std::uint64_t states);
bool isMinimized(std::uint64_t states);

// The objects ("(so)") a relation set ("(a(ua(so)))") names as labelling its element.
std::vector<std::pair<std::string, std::string>> labelledByTargets(GVariant* relationSet);

}  // namespace ondrel::atspi
