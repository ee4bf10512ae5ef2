// SPDX-License-Identifier: MIT
#pragma once

// An element of another application's AT-SPI tree: its application's name on the accessibility bus
// and its object path there. Handles made at different times for one object name the same node.

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Accessibility.h"
#include "platform/atspi/AtspiProtocol.h"

namespace ondrel::atspi {

class AtspiElement final : public ElementHandle {
public:
    AtspiElement(std::shared_ptr<const std::string> busName, std::string path, ProcessId process, bool topLevel)
        : busName_(std::move(busName)), path_(std::move(path)), process_(process), topLevel_(topLevel) {}

    const std::string& busName() const { return *busName_; }
    const std::shared_ptr<const std::string>& sharedBusName() const { return busName_; }
    const std::string& path() const { return path_; }
    ProcessId process() const { return process_; }
    bool topLevel() const { return topLevel_; }  // a direct child of the application: where windows are
    bool isApplication() const { return path_ == applicationRootPath; }

    // The AT-SPI role once it has been read: roles do not change, and the label rules depend on it.
    std::optional<int> role() const { return role_; }
    void rememberRole(int role) const { role_ = role; }

    bool sameNode(const ElementHandle& other) const override {
        const auto* element = dynamic_cast<const AtspiElement*>(&other);
        return element != nullptr && element->path_ == path_ && element->busName() == busName();
    }
    std::size_t nodeHash() const override {
        return std::hash<std::string>{}(path_) ^ std::hash<std::string>{}(busName());
    }

private:
    std::shared_ptr<const std::string> busName_;
    std::string path_;
    ProcessId process_;
    bool topLevel_;
    mutable std::optional<int> role_;
};

// The element an object reference ("(so)") names, as a child of `parent`: null for the null object and
// for an object of another application (a plug embedded in a socket, say), which is none of the target's.
inline Element childElement(const AtspiElement& parent, GVariant* reference) {
    const gchar* busName = nullptr;
    const gchar* path = nullptr;
    g_variant_get(reference, "(&s&o)", &busName, &path);
    if (parent.busName() != busName || std::string_view(path) == nullPath)
        return nullptr;
    return std::make_shared<AtspiElement>(parent.sharedBusName(), path, parent.process(), parent.isApplication());
}

// The element an object reference names as the parent of `child`: null for the null object and for an
// object of another application. A parent is never taken for a window.
inline Element parentElement(const AtspiElement& child, GVariant* reference) {
    const gchar* busName = nullptr;
    const gchar* path = nullptr;
    g_variant_get(reference, "(&s&o)", &busName, &path);
    if (child.busName() != busName || std::string_view(path) == nullPath)
        return nullptr;
    return std::make_shared<AtspiElement>(child.sharedBusName(), path, child.process(), false);
}

}  // namespace ondrel::atspi
