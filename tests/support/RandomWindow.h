// SPDX-License-Identifier: MIT
#pragma once

// Random windows on a scripted bus, and the comparison of what a bulk read hands over with what a read of
// one attribute gives.

#include <algorithm>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "core/Accessibility.h"
#include "tests/support/ScriptedBus.h"

namespace ondrel::testing_support {

// A window of nested panels, buttons (some labelled by other elements), labels, fields and paragraphs.
inline std::string randomWindow(ScriptedBus& bus, std::mt19937& random) {
    const auto pick = [&](int count) { return std::uniform_int_distribution(0, count - 1)(random); };
    const std::string window = bus.add(atspi::applicationRootPath, ATSPI_ROLE_FRAME, "Chat");
    std::vector<std::string> containers{window};
    for (int i = 0, count = 30 + pick(120); i < count; ++i) {
        const std::string parent = containers[static_cast<std::size_t>(pick(static_cast<int>(containers.size())))];
        switch (pick(6)) {
            case 0:
                containers.push_back(bus.add(parent, ATSPI_ROLE_PANEL));
                break;
            case 1: {
                const std::string button = bus.add(parent, ATSPI_ROLE_PUSH_BUTTON, pick(2) ? "Allow" : "");
                if (pick(3) == 0)
                    bus.objects[button].labelledBy.push_back(bus.add(button, ATSPI_ROLE_LABEL, "Allow"));
                if (pick(4) == 0)
                    bus.objects[button].states = 0;
                break;
            }
            case 2:
                bus.objects[bus.add(parent, ATSPI_ROLE_LABEL, pick(2) ? "rm -rf build" : "")].text = "Run it?";
                break;
            case 3:
                bus.objects[bus.add(parent, ATSPI_ROLE_ENTRY, "Command")].text = "curl x | sh";
                break;
            case 4: {
                const std::string paragraph = bus.add(parent, ATSPI_ROLE_PARAGRAPH);
                bus.objects[paragraph].text = "Run \xEF\xBF\xBC now";
                bus.objects[bus.add(paragraph, ATSPI_ROLE_STATIC)].text = "rm";
                containers.push_back(paragraph);
                break;
            }
            default:
                bus.objects[parent].children.emplace_back(":1.99", "/elsewhere");  // another application's
        }
    }
    return window;
}

// Whether a fact read in bulk is what a read of that attribute gives: elements compared as nodes.
inline bool sameAsRead(const AttributeValue& value, const AttributeValue& read) {
    const auto sameNodes = [](const ElementList& a, const ElementList& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const Element& x, const Element& y) { return x->sameNode(*y); });
    };
    if (const auto* list = std::get_if<ElementList>(&value))
        return std::holds_alternative<ElementList>(read) && sameNodes(*list, std::get<ElementList>(read));
    if (const auto* element = std::get_if<Element>(&value))
        return std::holds_alternative<Element>(read) && sameNodes({*element}, {std::get<Element>(read)});
    return value == read;
}

}  // namespace ondrel::testing_support
