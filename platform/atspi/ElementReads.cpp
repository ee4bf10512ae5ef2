// SPDX-License-Identifier: MIT
#include "platform/atspi/ElementReads.h"

#include <atspi/atspi-constants.h>

#include <algorithm>
#include <array>

#include "platform/atspi/AtspiProtocol.h"
#include "platform/atspi/Vocabulary.h"

namespace ondrel::atspi {
namespace {

// Texts longer than this are cut when read; no prompt or label needs more.
constexpr int textReadLimit = 1 << 20;
// Lists up to this long are taken in one call; a longer one is read in the part that is wanted.
constexpr std::size_t childrenInOneCall = 20000;
// More actions than any button has; an element claiming more is not asked about the rest.
constexpr gint32 maxActions = 64;

}  // namespace

ElementReads::ElementReads(std::function<std::shared_ptr<Bus>()> bus)
    : bus_(std::move(bus)), unresponsive_(callTimeout) {}

void ElementReads::beginScan() {
    unresponsive_.clear();
    scanCaches_.clear();
}

BusReply ElementReads::ask(const AtspiElement& element, const char* interface, const char* method, GVariant* arguments,
                           const GVariantType* replyType) {
    GVariantPtr owned = parameters(arguments);
    const auto bus = bus_();
    if (!bus || unresponsive_.contains(element.process()))
        return {nullptr, false, "org.freedesktop.DBus.Error.NoReply"};
    BusReply reply =
        bus->call({element.busName(), element.path(), interface, method, std::move(owned), replyType}, dbusTimeoutMs);
    if (reply.timedOut)
        unresponsive_.noteFailure(element.process(), callTimeout);
    return reply;
}

GVariantPtr ElementReads::askProperty(const AtspiElement& element, const char* interface, const char* property) {
    return propertyValue(ask(element, "org.freedesktop.DBus.Properties", "Get",
                             g_variant_new("(ss)", interface, property), G_VARIANT_TYPE("(v)")));
}

bool ElementReads::announceTo(const AtspiElement& application) {
    if (announcedTo_.contains(application.busName()))
        return true;
    if (!ask(application, accessibleInterface, "GetAttributes", nullptr, G_VARIANT_TYPE("(a{ss})")).value)
        return false;
    announcedTo_.emplace(application.busName(), true);
    return true;
}

std::optional<int> ElementReads::atspiRole(const AtspiElement& element) {
    if (auto known = element.role())
        return known;
    const BusReply role = ask(element, accessibleInterface, "GetRole", nullptr, G_VARIANT_TYPE("(u)"));
    if (!role.value)
        return std::nullopt;
    guint32 value = 0;
    g_variant_get(role.value.get(), "(u)", &value);
    element.rememberRole(static_cast<int>(value));
    return static_cast<int>(value);
}

// A label given by other elements (ARIA's labelled-by) is the label: GTK 4 gives its dialog buttons
// a labelled-by relation to their own text and then also counts that text in the name ("Allow Allow").
std::optional<std::string> ElementReads::labelledByText(const AtspiElement& element) {
    const BusReply relations =
        ask(element, accessibleInterface, "GetRelationSet", nullptr, G_VARIANT_TYPE("(a(ua(so)))"));
    if (!relations.value)
        return std::nullopt;
    std::optional<std::string> label;
    for (const auto& [busName, path] : labelledByTargets(relations.value.get())) {
        if (busName != element.busName())
            continue;  // never another application's element
        const AtspiElement labelElement(element.sharedBusName(), path, element.process(), false);
        const GVariantPtr name = askProperty(labelElement, accessibleInterface, "Name");
        if (!name || !g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING))
            continue;
        const std::string text = g_variant_get_string(name.get(), nullptr);
        if (!text.empty())
            label = label ? *label + " " + text : text;
    }
    return label;
}

std::optional<AttributeValue> ElementReads::readName(const AtspiElement& element) {
    if (atspiRole(element) == ATSPI_ROLE_PUSH_BUTTON) {
        if (auto label = labelledByText(element))
            return AttributeValue(std::move(*label));
    }
    // AT-SPI's own description is tooltip-like help text; the accessible name is the label.
    const GVariantPtr name = askProperty(element, accessibleInterface, "Name");
    if (!name)
        return std::nullopt;
    return AttributeValue(shownName(
        g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING) ? g_variant_get_string(name.get(), nullptr) : ""));
}

std::optional<std::uint64_t> ElementReads::readStates(const AtspiElement& element) {
    const BusReply states = ask(element, accessibleInterface, "GetState", nullptr, G_VARIANT_TYPE("(au)"));
    if (!states.value)
        return std::nullopt;
    GVariantPtr words(g_variant_get_child_value(states.value.get(), 0));
    return stateBits(words.get());
}

std::optional<AttributeValue> ElementReads::readChildren(const AtspiElement& parent, std::size_t index,
                                                         std::size_t maxValues) {
    const GVariantPtr count = askProperty(parent, accessibleInterface, "ChildCount");
    if (!count || !g_variant_is_of_type(count.get(), G_VARIANT_TYPE_INT32) || g_variant_get_int32(count.get()) < 0)
        return std::nullopt;
    const auto total = static_cast<std::size_t>(g_variant_get_int32(count.get()));
    // The whole list in one call when it is wanted whole and no longer than a walk could take.
    if (index == 0 && total > 0 && total <= maxValues && total <= childrenInOneCall) {
        const BusReply list = ask(parent, accessibleInterface, "GetChildren", nullptr, G_VARIANT_TYPE("(a(so))"));
        if (list.value) {
            GVariantPtr references(g_variant_get_child_value(list.value.get(), 0));
            ElementList children;
            const gsize listed = std::min<gsize>(g_variant_n_children(references.get()), total);
            for (gsize i = 0; i < listed; ++i) {
                GVariantPtr reference(g_variant_get_child_value(references.get(), i));
                if (Element child = childElement(parent, reference.get()))
                    children.push_back(std::move(child));
            }
            return AttributeValue(std::move(children));
        }
    }
    const auto bus = bus_();
    if (!bus || unresponsive_.contains(parent.process()))
        return std::nullopt;
    // All at once: a level of a tree costs one round trip, not one per child.
    const std::size_t end = index + std::min(maxValues, total - std::min(index, total));
    std::vector<BusCall> calls;
    for (std::size_t i = index; i < end; ++i) {
        calls.push_back({parent.busName(), parent.path(), accessibleInterface, "GetChildAtIndex",
                         parameters(g_variant_new("(i)", static_cast<gint32>(i))), G_VARIANT_TYPE("((so))")});
    }
    ElementList children;
    for (const BusReply& reply : bus->callAll(std::move(calls), dbusTimeoutMs)) {
        if (reply.timedOut) {
            unresponsive_.noteFailure(parent.process(), callTimeout);
            return std::nullopt;
        }
        if (!reply.value)
            continue;
        GVariantPtr reference(g_variant_get_child_value(reply.value.get(), 0));
        if (Element child = childElement(parent, reference.get()))
            children.push_back(std::move(child));
    }
    return AttributeValue(std::move(children));
}

std::optional<AttributeValue> ElementReads::readTextContent(const AtspiElement& element) {
    const GVariantPtr length = askProperty(element, "org.a11y.atspi.Text", "CharacterCount");
    if (!length) {
        // No text interface answers quickly, and means no value; only silence is a failed read.
        return unresponsive_.contains(element.process()) ? std::nullopt : std::optional(AttributeValue());
    }
    if (!g_variant_is_of_type(length.get(), G_VARIANT_TYPE_INT32))
        return AttributeValue();
    const gint32 end = std::clamp(g_variant_get_int32(length.get()), 0, textReadLimit);
    const BusReply text =
        ask(element, "org.a11y.atspi.Text", "GetText", g_variant_new("(ii)", 0, end), G_VARIANT_TYPE("(s)"));
    if (!text.value)
        return std::nullopt;
    const gchar* content = nullptr;
    g_variant_get(text.value.get(), "(&s)", &content);
    return AttributeValue(std::string(content));  // embedded objects' marks stay: the core puts their texts there
}

std::optional<AttributeValue> ElementReads::copy(const AtspiElement& target, std::string_view attribute,
                                                 std::size_t index, std::size_t maxValues) {
    if (attribute == ax::attribute::children)
        return readChildren(target, index, maxValues);
    if (attribute == ax::attribute::role || attribute == ax::attribute::subrole) {
        const std::optional<int> role = atspiRole(target);
        if (!role)
            return std::nullopt;
        if (attribute == ax::attribute::role)
            return AttributeValue(axRoleFor(*role, target.topLevel()));
        auto subrole = axSubroleFor(*role);
        return subrole ? AttributeValue(std::move(*subrole)) : AttributeValue();
    }
    if (attribute == ax::attribute::title || attribute == ax::attribute::description)
        return readName(target);
    if (attribute == ax::attribute::help) {
        // AT-SPI's description is tooltip-like help text.
        const GVariantPtr help = askProperty(target, accessibleInterface, "Description");
        if (!help)
            return std::nullopt;
        return AttributeValue(std::string(
            g_variant_is_of_type(help.get(), G_VARIANT_TYPE_STRING) ? g_variant_get_string(help.get(), nullptr) : ""));
    }
    if (attribute == ax::attribute::value)
        return readTextContent(target);
    if (attribute == ax::attribute::parent) {
        if (target.isApplication())
            return AttributeValue();  // the climb ends at the application
        const GVariantPtr parent = askProperty(target, accessibleInterface, "Parent");
        if (!parent)
            return std::nullopt;
        // Never hand out an element of another application.
        Element above = parentElement(target, parent.get());
        return above ? AttributeValue(std::move(above)) : AttributeValue();
    }
    if (attribute == ax::attribute::enabled || attribute == ax::attribute::minimized) {
        const auto states = readStates(target);
        if (!states)
            return std::nullopt;
        return AttributeValue(attribute == ax::attribute::minimized ? isMinimized(*states) : isEnabled(*states));
    }
    return AttributeValue();
}

ActionResult ElementReads::press(const AtspiElement& target) {
    // Names one by one: Chromium answers GetActions with empty names.
    const BusReply count = ask(target, "org.freedesktop.DBus.Properties", "Get",
                               g_variant_new("(ss)", "org.a11y.atspi.Action", "NActions"), G_VARIANT_TYPE("(v)"));
    const GVariantPtr actions = propertyValue(count);
    if (!actions || !g_variant_is_of_type(actions.get(), G_VARIANT_TYPE_INT32))
        return pressOutcome(count, false);
    const auto bus = bus_();
    if (!bus)
        return pressOutcome({nullptr, false, "org.freedesktop.DBus.Error.Disconnected"}, false);
    std::vector<BusCall> calls;
    for (gint32 i = 0; i < std::min(g_variant_get_int32(actions.get()), maxActions); ++i) {
        calls.push_back({target.busName(), target.path(), "org.a11y.atspi.Action", "GetName",
                         parameters(g_variant_new("(i)", i)), G_VARIANT_TYPE("(s)")});
    }
    std::vector<std::string> names;
    for (const BusReply& reply : bus->callAll(std::move(calls), dbusTimeoutMs)) {
        const gchar* name = "";
        if (reply.value)
            g_variant_get(reply.value.get(), "(&s)", &name);
        names.emplace_back(name);
    }
    const std::optional<int> index = pressActionIndex(names);
    if (!index)
        return {ActionResult::Outcome::failed, "the button offers no press action"};
    const BusReply done =
        ask(target, "org.a11y.atspi.Action", "DoAction", g_variant_new("(i)", *index), G_VARIANT_TYPE("(b)"));
    gboolean pressed = FALSE;
    if (done.value)
        g_variant_get(done.value.get(), "(b)", &pressed);
    return pressOutcome(done, pressed != FALSE);
}

std::vector<ElementFacts> ElementReads::readSubtrees(const ElementList& roots, WalkLimits limits,
                                                     const AccessibilityPlatform::KnownElement& known,
                                                     TextReads texts) {
    const auto bus = bus_();
    if (roots.empty() || std::find(roots.begin(), roots.end(), nullptr) != roots.end() || !bus)
        return {};
    const AtspiElement& top = static_cast<const AtspiElement&>(*roots.front());
    if (unresponsive_.contains(top.process()))
        return {};
    // The application's cache of its tree is asked once a scan, however many windows are read.
    SubtreeReader reader(*bus, unresponsive_, [this, bus](const AtspiElement& element) {
        auto cached = scanCaches_.find(element.busName());
        if (cached == scanCaches_.end())
            cached =
                scanCaches_.emplace(element.busName(), ApplicationCache::fetch(*bus, element, unresponsive_)).first;
        return cached->second.get();
    });
    return reader.read(roots, limits, known, texts);
}

std::vector<std::optional<std::size_t>> ElementReads::childCounts(const ElementList& elements) {
    std::vector<std::optional<std::size_t>> counts(elements.size());
    const auto bus = bus_();
    if (!bus)
        return counts;
    std::vector<BusCall> calls;
    std::vector<std::size_t> asked;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const auto& element = static_cast<const AtspiElement&>(*elements[i]);
        if (unresponsive_.contains(element.process()))
            continue;
        calls.push_back(propertyCall(element.busName(), element.path(), accessibleInterface, "ChildCount"));
        asked.push_back(i);
    }
    const std::vector<BusReply> replies = bus->callAll(std::move(calls), dbusTimeoutMs);
    for (std::size_t k = 0; k < asked.size(); ++k) {
        const GVariantPtr count = propertyValue(replies[k]);
        if (count && g_variant_is_of_type(count.get(), G_VARIANT_TYPE_INT32) && g_variant_get_int32(count.get()) >= 0)
            counts[asked[k]] = static_cast<std::size_t>(g_variant_get_int32(count.get()));
    }
    return counts;
}

namespace {

// A Collection match rule: any state, attribute and interface; roles as the bitset the protocol takes
// (four 32-bit words), matched when the element has one of them, or every element when none is given.
GVariant* roleRule(std::optional<int> atspiRole) {
    constexpr gint32 matchAll = 1;
    constexpr gint32 matchAny = 2;
    const std::array<gint32, 2> states{};
    std::array<gint32, 4> roles{};
    if (atspiRole)
        roles[static_cast<std::size_t>(*atspiRole) / 32] |= static_cast<gint32>(1U << (*atspiRole % 32));
    return g_variant_new("(@aii@a{ss}i@aii@asib)",
                         g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, states.data(), states.size(), sizeof(gint32)),
                         matchAll, g_variant_new_array(G_VARIANT_TYPE("{ss}"), nullptr, 0), matchAll,
                         g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, roles.data(), roles.size(), sizeof(gint32)),
                         atspiRole ? matchAny : matchAll, g_variant_new_strv(nullptr, 0), matchAll, FALSE);
}

constexpr guint32 documentOrder = 1;  // "canonical"
constexpr const char* collectionInterface = "org.a11y.atspi.Collection";
const GVariantType* const referencesType = G_VARIANT_TYPE("(a(so))");

// GetMatches' arguments: the elements with the role (any, when none is given), at most `count`.
GVariant* matchesArguments(std::optional<int> role, std::size_t count) {
    return g_variant_new("(@(aiia{ss}iaiiasib)uib)", roleRule(role), documentOrder, static_cast<gint32>(count), TRUE);
}

}  // namespace

std::optional<ElementList> ElementReads::findByRole(const AtspiElement& root, int atspiRole, std::size_t maxElements) {
    if (atspiRole < 0 || atspiRole >= 128 || maxElements > static_cast<std::size_t>(G_MAXINT32))
        return std::nullopt;
    const BusReply reply =
        ask(root, collectionInterface, "GetMatches", matchesArguments(atspiRole, maxElements), referencesType);
    if (!reply.value)
        return std::nullopt;  // no Collection here (Qt, GTK 4): a walk finds them
    GVariantPtr found(g_variant_get_child_value(reply.value.get(), 0));
    if (g_variant_n_children(found.get()) >= maxElements)
        return std::nullopt;
    ElementList elements;
    for (gsize i = 0; i < g_variant_n_children(found.get()); ++i) {
        GVariantPtr reference(g_variant_get_child_value(found.get(), i));
        const gchar* busName = nullptr;
        const gchar* path = nullptr;
        g_variant_get(reference.get(), "(&s&o)", &busName, &path);
        if (root.busName() == busName && std::string_view(path) != nullPath)
            elements.push_back(std::make_shared<AtspiElement>(root.sharedBusName(), path, root.process(), false));
    }
    return elements;
}

bool ElementReads::holdsFewerThan(const AtspiElement& root, std::size_t maxElements) {
    if (maxElements > static_cast<std::size_t>(G_MAXINT32))
        return false;
    // ATK's bridge gathers a search's answer in a list it walks to the end for every element it adds: all
    // of a few thousand elements in one answer costs it many times what the same in parts does. Each part
    // goes on in document order from the last element of the one before.
    constexpr guint32 inOrder = 2;  // "TREE_INORDER": what follows the element, below the root
    BusReply part = ask(root, collectionInterface, "GetMatches", matchesArguments(std::nullopt, countedAtOnce),
                        referencesType);
    std::size_t counted = 0;
    while (part.value) {
        GVariantPtr list(g_variant_get_child_value(part.value.get(), 0));
        const gsize size = g_variant_n_children(list.get());
        counted += size;
        // One more than the bound tells the tree is not within it.
        if (counted + 1 >= maxElements)
            return false;
        if (size < countedAtOnce)
            return true;
        GVariantPtr last(g_variant_get_child_value(list.get(), size - 1));
        const gchar* lastPath = nullptr;
        g_variant_get(last.get(), "(&s&o)", nullptr, &lastPath);
        part = ask(root, collectionInterface, "GetMatchesFrom",
                   g_variant_new("(o@(aiia{ss}iaiiasib)uuib)", lastPath, roleRule(std::nullopt), documentOrder,
                                 inOrder, static_cast<gint32>(countedAtOnce), TRUE),
                   referencesType);
    }
    return false;  // no Collection, changed under the count, or not answered: the walk decides
}

bool ElementReads::showsNothing(const AtspiElement& window) {
    const auto children = readChildren(window, 0, 1);
    const auto* list = children ? std::get_if<ElementList>(&*children) : nullptr;
    return list != nullptr && list->empty();
}

}  // namespace ondrel::atspi
