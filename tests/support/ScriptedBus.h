// SPDX-License-Identifier: MIT
#pragma once

// A bus that answers AT-SPI calls the way one application does, from a tree in memory: the backend's reads
// tried without a desktop. It answers what GTK, Qt and Chromium answer (children lists and single children,
// names, states, text, relations, actions, a cache of the tree), refuses what they refuse, and counts the
// batches and calls it took.

#include <atspi/atspi-constants.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/atspi/AtspiProtocol.h"
#include "platform/atspi/Bus.h"

namespace ondrel::testing_support {

class ScriptedBus final : public atspi::Bus {
public:
    struct Object {
        int role = ATSPI_ROLE_PANEL;
        std::string name;
        std::uint64_t states = (1ULL << ATSPI_STATE_ENABLED) | (1ULL << ATSPI_STATE_SENSITIVE);
        std::vector<std::pair<std::string, std::string>> children;  // (bus name, path), another bus's too
        std::string parent = atspi::nullPath;
        std::optional<std::string> text;      // with a text interface
        std::vector<std::string> actions;     // names by index
        std::vector<std::string> labelledBy;  // paths
        std::string pressError;               // DoAction fails with this D-Bus error
        bool pressAnswer = true;
    };

    explicit ScriptedBus(std::string name = ":1.7") : busName(std::move(name)) {
        Object application;
        application.role = ATSPI_ROLE_APPLICATION;
        application.name = "velquin";
        objects[atspi::applicationRootPath] = application;
    }

    // A child of `parent` with the given role and name; its path.
    std::string add(const std::string& parent, int role, std::string name = {}) {
        const std::string path = "/org/a11y/atspi/accessible/" + std::to_string(++made_);
        Object object;
        object.role = role;
        object.name = std::move(name);
        object.parent = parent;
        objects[path] = std::move(object);
        objects[parent].children.emplace_back(busName, path);
        return path;
    }

    std::vector<atspi::BusReply> callAll(std::vector<atspi::BusCall> batch, int) override {
        batches += batch.empty() ? 0 : 1;
        std::vector<atspi::BusReply> replies;
        for (const atspi::BusCall& call : batch) {
            ++calls;
            replies.push_back(answer(call));
        }
        return replies;
    }

    std::string busName;
    std::map<std::string, Object> objects;  // by path
    bool offersCache = false;
    bool offersCollection = false;  // answers GetMatches, as ATK's bridge does (GTK 3, Chromium)
    std::set<std::string> silent;   // paths whose calls time out
    int batches = 0;
    std::size_t calls = 0;
    std::vector<std::string> asked;  // "<path> <method>" of every call, in order

private:
    static atspi::BusReply reply(GVariant* value) { return {atspi::parameters(value), false, {}}; }
    static atspi::BusReply error(std::string name) { return {nullptr, false, std::move(name)}; }

    GVariant* references(const std::vector<std::pair<std::string, std::string>>& named) const {
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE("a(so)"));
        for (const auto& [bus, path] : named)
            g_variant_builder_add(&builder, "(so)", bus.c_str(), path.c_str());
        return g_variant_builder_end(&builder);
    }

    atspi::BusReply property(const Object& object, const std::string& interface, const std::string& name) const {
        if (name == "ChildCount")
            return reply(g_variant_new("(v)", g_variant_new_int32(static_cast<gint32>(object.children.size()))));
        if (name == "Name")
            return reply(g_variant_new("(v)", g_variant_new_string(object.name.c_str())));
        if (name == "Parent")
            return reply(g_variant_new("(v)", g_variant_new("(so)", busName.c_str(), object.parent.c_str())));
        if (interface == "org.a11y.atspi.Text" && object.text)
            return reply(g_variant_new("(v)", g_variant_new_int32(static_cast<gint32>(object.text->size()))));
        if (interface == "org.a11y.atspi.Action")
            return reply(g_variant_new("(v)", g_variant_new_int32(static_cast<gint32>(object.actions.size()))));
        if (name == "ToolkitName")
            return reply(g_variant_new("(v)", g_variant_new_string("GTK")));
        return error("org.freedesktop.DBus.Error.UnknownInterface");
    }

    atspi::BusReply cacheItems() const {
        GVariantBuilder items;
        g_variant_builder_init(&items, G_VARIANT_TYPE("a((so)(so)(so)iiassusau)"));
        for (const auto& [path, object] : objects) {
            if (path == atspi::applicationRootPath)
                continue;
            const char* empty[] = {nullptr};
            const guint32 words[] = {static_cast<guint32>(object.states), static_cast<guint32>(object.states >> 32)};
            // GTK gives many positions as -1: whoever reads the cache must not trust them.
            g_variant_builder_add(&items, "((so)(so)(so)ii@assus@au)", busName.c_str(), path.c_str(), busName.c_str(),
                                  atspi::applicationRootPath, busName.c_str(), atspi::applicationRootPath, -1,
                                  static_cast<gint32>(object.children.size()), g_variant_new_strv(empty, 0),
                                  object.name.c_str(), static_cast<guint32>(object.role), "",
                                  g_variant_new_fixed_array(G_VARIANT_TYPE_UINT32, words, 2, sizeof(guint32)));
        }
        return reply(g_variant_new("(@a((so)(so)(so)iiassusau))", g_variant_builder_end(&items)));
    }

    atspi::BusReply answer(const atspi::BusCall& call) {
        asked.push_back(call.path + " " + call.method);
        if (call.destination != busName)
            return error("org.freedesktop.DBus.Error.ServiceUnknown");
        if (silent.contains(call.path))
            return {nullptr, true, "org.freedesktop.DBus.Error.NoReply"};
        const std::string method = call.method;
        if (call.path == atspi::cachePath)
            return offersCache ? cacheItems() : error("org.freedesktop.DBus.Error.UnknownObject");
        const auto found = objects.find(call.path);
        if (found == objects.end())
            return error("org.freedesktop.DBus.Error.UnknownObject");
        const Object& object = found->second;
        GVariant* arguments = call.parameters.get();
        if (method == "Get") {
            const gchar* interface = nullptr;
            const gchar* name = nullptr;
            g_variant_get(arguments, "(&s&s)", &interface, &name);
            return property(object, interface, name);
        }
        if (method == "GetRole")
            return reply(g_variant_new("(u)", static_cast<guint32>(object.role)));
        if (method == "GetState") {
            const guint32 words[] = {static_cast<guint32>(object.states), static_cast<guint32>(object.states >> 32)};
            return reply(
                g_variant_new("(@au)", g_variant_new_fixed_array(G_VARIANT_TYPE_UINT32, words, 2, sizeof(guint32))));
        }
        if (method == "GetChildren")
            return reply(g_variant_new("(@a(so))", references(object.children)));
        if (method == "GetChildAtIndex") {
            gint32 index = 0;
            g_variant_get(arguments, "(i)", &index);
            if (index < 0 || static_cast<std::size_t>(index) >= object.children.size())
                return error("org.freedesktop.DBus.Error.InvalidArgs");
            const auto& [bus, path] = object.children[static_cast<std::size_t>(index)];
            return reply(g_variant_new("((so))", bus.c_str(), path.c_str()));
        }
        if (method == "GetRelationSet") {
            std::vector<std::pair<std::string, std::string>> labels;
            for (const std::string& path : object.labelledBy)
                labels.emplace_back(busName, path);
            GVariantBuilder relations;
            g_variant_builder_init(&relations, G_VARIANT_TYPE("a(ua(so))"));
            if (!labels.empty())
                g_variant_builder_add(&relations, "(u@a(so))", static_cast<guint32>(ATSPI_RELATION_LABELLED_BY),
                                      references(labels));
            return reply(g_variant_new("(@a(ua(so)))", g_variant_builder_end(&relations)));
        }
        if (method == "GetText" && object.text)
            return reply(g_variant_new("(s)", object.text->c_str()));
        if (method == "GetAttributes")
            return reply(g_variant_new("(@a{ss})", g_variant_new_array(G_VARIANT_TYPE("{ss}"), nullptr, 0)));
        if (method == "GetName") {
            gint32 index = 0;
            g_variant_get(arguments, "(i)", &index);
            const auto at = static_cast<std::size_t>(index);
            return reply(g_variant_new("(s)", at < object.actions.size() ? object.actions[at].c_str() : ""));
        }
        if (method == "DoAction") {
            gint32 index = 0;
            g_variant_get(arguments, "(i)", &index);
            pressed.push_back(call.path + " " + std::to_string(index));
            if (!object.pressError.empty())
                return error(object.pressError);
            return reply(g_variant_new("(b)", object.pressAnswer));
        }
        if (method == "GetMatches" && offersCollection)
            return matches(call.path, arguments, 0, "");
        if (method == "GetMatchesFrom" && offersCollection) {
            const gchar* from = nullptr;
            g_variant_get_child(arguments, 0, "&o", &from);
            return matches(call.path, arguments, 1, from);
        }
        return error("org.freedesktop.DBus.Error.UnknownMethod");
    }

    // The Collection's search as ATK's bridge answers it: the elements below `root` (another bus's left
    // out) whose role is in the rule's set, or all when the set is empty, depth first, at most `count`;
    // with `from`, only those after it (GetMatchesFrom in order, its rule `at` its arguments' first).
    atspi::BusReply matches(const std::string& root, GVariant* arguments, gsize at, const std::string& from) const {
        if (!from.empty() && !objects.contains(from))
            return error("org.a11y.atspi.Error.Failed");
        atspi::GVariantPtr rule(g_variant_get_child_value(arguments, at));
        atspi::GVariantPtr roleWords(g_variant_get_child_value(rule.get(), 4));
        gsize words = 0;
        const auto* roles =
            static_cast<const gint32*>(g_variant_get_fixed_array(roleWords.get(), &words, sizeof(gint32)));
        gint32 count = 0;
        g_variant_get_child(arguments, at == 0 ? 2 : 4, "i", &count);
        const auto wanted = [&](int role) {
            bool any = false;
            for (gsize i = 0; i < words; ++i)
                any = any || roles[i] != 0;
            const auto word = static_cast<gsize>(role / 32);
            return !any || (word < words && (static_cast<guint32>(roles[word]) >> (role % 32) & 1U) != 0);
        };
        std::vector<std::pair<std::string, std::string>> found;
        bool after = from.empty();
        const auto visit = [&](const auto& self, const std::string& path) -> void {
            for (const auto& [bus, child] : objects.at(path).children) {
                if (bus != busName || !objects.contains(child) || found.size() >= static_cast<std::size_t>(count))
                    continue;
                if (after && wanted(objects.at(child).role))
                    found.emplace_back(bus, child);
                after = after || child == from;
                self(self, child);
            }
        };
        visit(visit, root);
        return reply(g_variant_new("(@a(so))", references(found)));
    }

public:
    std::vector<std::string> pressed;  // "<path> <action index>" per DoAction

private:
    int made_ = 0;
};

}  // namespace ondrel::testing_support
