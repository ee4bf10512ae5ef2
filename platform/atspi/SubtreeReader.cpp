// SPDX-License-Identifier: MIT
#include "platform/atspi/SubtreeReader.h"

#include <atspi/atspi-constants.h>

#include <algorithm>
#include <map>
#include <string_view>

#include "platform/atspi/AtspiProtocol.h"
#include "platform/atspi/Vocabulary.h"

namespace ondrel::atspi {
namespace {

// Texts longer than this are cut when read; no prompt or label needs more.
constexpr gint32 textReadLimit = 1 << 20;

const AtspiElement& atspiElement(const Element& element) {
    return static_cast<const AtspiElement&>(*element);
}

BusCall accessibleCall(const AtspiElement& element, const char* method, const char* replyType,
                       GVariant* arguments = nullptr) {
    return {element.busName(),     element.path(),           accessibleInterface, method,
            parameters(arguments), G_VARIANT_TYPE(replyType)};
}

BusCall propertyOf(const AtspiElement& element, const char* interface, const char* property) {
    return propertyCall(element.busName(), element.path(), interface, property);
}

std::optional<std::string> stringOf(const GVariantPtr& value) {
    if (!value || !g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING))
        return std::nullopt;
    return std::string(g_variant_get_string(value.get(), nullptr));
}

bool blank(const std::optional<std::string>& text) {
    return !text || std::all_of(text->begin(), text->end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

bool isField(const std::string& role) {
    return role == ax::role::textArea || role == ax::role::textField;
}

// Whether the walks read "AXValue" of an element like this: a field's content, and the text of static
// texts and buttons whose name is blank.
bool valueIsRead(const SubtreeReader::Answers& answers, bool topLevel, TextReads texts) {
    if (!answers.role)
        return false;
    const std::string role = axRoleFor(*answers.role, topLevel);
    if (role == ax::role::button)
        return blank(answers.name);
    if (texts == TextReads::leftOut)
        return false;
    return isField(role) || (blank(answers.name) && role == ax::role::staticText);
}

// Which of an element's name and states the walks read, by its role: a button's label and enabled
// state, a text's words or a field's name (unless `texts` leaves them out), a group's or a window's title
// and whether a window is minimized. Nothing of a mere container.
std::pair<bool, bool> detailsRead(std::optional<int> role, bool window, TextReads texts) {
    if (!role || window)
        return {true, true};
    if (*role == ATSPI_ROLE_PUSH_BUTTON)
        return {true, true};
    const std::string axRole = axRoleFor(*role, false);
    const bool words = (axRole == ax::role::staticText || isField(axRole)) && texts == TextReads::included;
    return {words || axRole == ax::role::group, false};
}

}  // namespace

ElementFacts SubtreeReader::factsOf(const Element& element, const Answers& answers) {
    ElementFacts facts{element, {}};
    const AtspiElement& target = atspiElement(element);
    if (answers.role) {
        facts.attributes.emplace(ax::attribute::role, axRoleFor(*answers.role, target.topLevel()));
        auto subrole = axSubroleFor(*answers.role);
        facts.attributes.emplace(ax::attribute::subrole, subrole ? AttributeValue(std::move(*subrole)) : AttributeValue());
        target.rememberRole(*answers.role);
    }
    std::optional<std::string> label = answers.name;
    if (answers.role == ATSPI_ROLE_PUSH_BUTTON && answers.labelledBy)
        label = answers.labelledBy;
    if (label) {
        facts.attributes.emplace(ax::attribute::title, *label);
        facts.attributes.emplace(ax::attribute::description, *label);
    }
    if (answers.states) {
        facts.attributes.emplace(ax::attribute::enabled, isEnabled(*answers.states));
        facts.attributes.emplace(ax::attribute::minimized, isMinimized(*answers.states));
    }
    if (answers.children)
        facts.attributes.emplace(ax::attribute::children, *answers.children);
    if (answers.value)
        facts.attributes.emplace(ax::attribute::value, *answers.value);
    if (answers.help)
        facts.attributes.emplace(ax::attribute::help, *answers.help);
    return facts;
}

bool SubtreeReader::failed(const std::vector<BusReply>& replies, ProcessId process) {
    if (std::none_of(replies.begin(), replies.end(), [](const BusReply& reply) { return reply.timedOut; }))
        return false;
    unresponsive_.noteFailure(process, callTimeout);
    return true;
}

std::vector<ElementFacts> SubtreeReader::read(const ElementList& roots, WalkLimits limits,
                                              const AccessibilityPlatform::KnownElement& known, TextReads texts) {
    if (roots.empty() || limits.maxExamined == 0 || unresponsive_.contains(atspiElement(roots.front()).process()))
        return {};
    texts_ = texts;
    std::vector<Node> nodes = readByLevels(roots, limits, known);
    readLabelsAndValues(nodes);

    std::vector<ElementFacts> facts;
    facts.reserve(nodes.size());
    for (const Node& node : nodes) {
        facts.push_back(factsOf(node.element, node.answers));
        if (node.answers.children) {
            for (const Element& child : *node.answers.children)
                facts.push_back({child, {{std::string(ax::attribute::parent), AttributeValue(node.element)}}});
        }
    }
    return facts;
}

std::vector<SubtreeReader::Node> SubtreeReader::readByLevels(const ElementList& roots, WalkLimits limits,
                                                             const AccessibilityPlatform::KnownElement& known) {
    const AtspiElement& root = atspiElement(roots.front());
    std::vector<Node> nodes;
    for (const Element& other : roots) {
        if (atspiElement(other).busName() == root.busName())
            nodes.push_back({other, 0, {}});
    }
    // The application's cache hands over its whole tree in one answer, which costs the application
    // as much as a few thousand single answers: worth it for a large read only, not for a new prompt or
    // a small part read again. No cache holds the application's own entry.
    const ApplicationCache* cache = nullptr;
    const bool cacheMayHelp = !root.isApplication() && cacheOf_;
    for (std::size_t begin = 0; begin < nodes.size();) {
        const std::size_t end = nodes.size();
        if (cacheMayHelp && cache == nullptr && end >= cacheWorthFromElements)
            cache = cacheOf_(root);
        const std::vector<std::size_t> asked = takeFromCache(nodes, begin, end, cache);
        const bool atOnce = asked.size() <= askedAtOnce;
        if (!readRolesAndCounts(nodes, asked, root.process(), atOnce) ||
            (!atOnce && !readNamesAndStates(nodes, asked, root.process()))) {
            nodes.resize(begin);  // what is not known whole is read live
            return nodes;
        }
        if (!readChildLists(nodes, begin, end, limits, known, root.process()))
            return nodes;
        begin = end;
    }
    return nodes;
}

std::vector<std::size_t> SubtreeReader::takeFromCache(std::vector<Node>& nodes, std::size_t begin, std::size_t end,
                                                      const ApplicationCache* cache) {
    std::vector<std::size_t> asked;
    for (std::size_t i = begin; i < end; ++i) {
        if (cache != nullptr) {
            const AtspiElement& element = atspiElement(nodes[i].element);
            if (const auto item = cache->items.find(element.path()); item != cache->items.end()) {
                nodes[i].answers.role = static_cast<int>(item->second.role);
                nodes[i].answers.name = shownName(item->second.name);
                nodes[i].answers.states = item->second.states;
                nodes[i].childCount = item->second.childCount;
                continue;
            }
        }
        asked.push_back(i);
    }
    return asked;
}

bool SubtreeReader::readRolesAndCounts(std::vector<Node>& nodes, const std::vector<std::size_t>& asked,
                                       ProcessId process, bool withNames) {
    const std::size_t each = withNames ? 3 : 2;
    std::vector<BusCall> calls;
    for (std::size_t i : asked) {
        const AtspiElement& element = atspiElement(nodes[i].element);
        calls.push_back(accessibleCall(element, "GetRole", "(u)"));
        calls.push_back(propertyOf(element, accessibleInterface, "ChildCount"));
        if (withNames)
            calls.push_back(propertyOf(element, accessibleInterface, "Name"));
    }
    const std::vector<BusReply> replies = bus_.callAll(std::move(calls), dbusTimeoutMs);
    if (failed(replies, process))
        return false;
    for (std::size_t k = 0; k < asked.size(); ++k) {
        Node& node = nodes[asked[k]];
        takeRoleAndCount(node, replies[each * k], replies[each * k + 1]);
        if (!withNames)
            continue;
        // Kept as a read by role keeps it: a name the role does not call for stays unknown. States come
        // with the labels, in a round the read has anyway.
        const auto [name, states] = detailsRead(node.answers.role, atspiElement(node.element).topLevel(), texts_);
        if (name)
            takeName(node.answers, replies[each * k + 2]);
        node.statesWanted = states;
    }
    return true;
}

void SubtreeReader::takeRoleAndCount(Node& node, const BusReply& role, const BusReply& count) {
    if (role.value) {
        guint32 number = 0;
        g_variant_get(role.value.get(), "(u)", &number);
        node.answers.role = static_cast<int>(number);
    }
    if (GVariantPtr value = propertyValue(count); value && g_variant_is_of_type(value.get(), G_VARIANT_TYPE_INT32))
        node.childCount = g_variant_get_int32(value.get());
}

void SubtreeReader::takeName(Answers& answers, const BusReply& reply) {
    const auto name = stringOf(propertyValue(reply));
    answers.name = name ? std::optional<std::string>(shownName(*name)) : std::nullopt;
}

void SubtreeReader::takeStates(Answers& answers, const BusReply& reply) {
    if (!reply.value)
        return;
    GVariantPtr words(g_variant_get_child_value(reply.value.get(), 0));
    answers.states = stateBits(words.get());
}

bool SubtreeReader::readNamesAndStates(std::vector<Node>& nodes, const std::vector<std::size_t>& asked,
                                       ProcessId process) {
    std::vector<BusCall> calls;
    std::vector<std::pair<std::size_t, bool>> details;  // node, whether the call asks for its name
    for (std::size_t i : asked) {
        const AtspiElement& element = atspiElement(nodes[i].element);
        const auto [name, states] = detailsRead(nodes[i].answers.role, element.topLevel(), texts_);
        if (name) {
            calls.push_back(propertyOf(element, accessibleInterface, "Name"));
            details.emplace_back(i, true);
        }
        if (states) {
            calls.push_back(accessibleCall(element, "GetState", "(au)"));
            details.emplace_back(i, false);
        }
    }
    const std::vector<BusReply> replies = bus_.callAll(std::move(calls), dbusTimeoutMs);
    if (failed(replies, process))
        return false;
    for (std::size_t k = 0; k < details.size(); ++k) {
        Answers& answers = nodes[details[k].first].answers;
        if (details[k].second)
            takeName(answers, replies[k]);
        else
            takeStates(answers, replies[k]);
    }
    return true;
}

bool SubtreeReader::readChildLists(std::vector<Node>& nodes, std::size_t begin, std::size_t end, WalkLimits limits,
                                   const AccessibilityPlatform::KnownElement& known, ProcessId process) {
    std::vector<BusCall> calls;
    std::vector<std::size_t> parents;
    for (std::size_t i = begin; i < end; ++i) {
        // A list longer than a walk may examine is left to the walk, which reads only a part of it. A
        // list of a modest length is read whole in one answer, even where the read goes on with only
        // the first of the children (a read ahead of a long conversation).
        if (nodes[i].depth > limits.maxDepth)
            continue;
        if (nodes[i].childCount == 0) {
            nodes[i].answers.children.emplace();
        } else if (nodes[i].childCount > 0 &&
                   static_cast<std::size_t>(nodes[i].childCount) <= std::max(limits.maxExamined, listReadWhole)) {
            calls.push_back(accessibleCall(atspiElement(nodes[i].element), "GetChildren", "(a(so))"));
            parents.push_back(i);
        }
    }
    const std::vector<BusReply> replies = bus_.callAll(std::move(calls), dbusTimeoutMs);
    if (failed(replies, process))
        return false;
    for (std::size_t k = 0; k < parents.size(); ++k) {
        if (!replies[k].value)
            continue;
        const std::size_t parent = parents[k];  // an index: the pushes below move the nodes
        ElementList children;
        GVariantPtr list(g_variant_get_child_value(replies[k].value.get(), 0));
        const gsize count = g_variant_n_children(list.get());
        for (gsize c = 0; c < count; ++c) {
            GVariantPtr reference(g_variant_get_child_value(list.get(), c));
            if (Element child = childElement(atspiElement(nodes[parent].element), reference.get()))
                children.push_back(std::move(child));
        }
        const std::size_t depth = nodes[parent].depth + 1;
        for (const Element& child : children) {
            // Elements a walk drops unread (too deep, past its limit) need nothing read, nor do
            // those the caller knows already.
            if (depth <= limits.maxDepth && nodes.size() < limits.maxExamined && !(known && known(child)))
                nodes.push_back({child, depth, {}});
        }
        nodes[parent].answers.children = std::move(children);
    }
    return true;
}

std::shared_ptr<const ApplicationCache> ApplicationCache::fetch(Bus& bus, const AtspiElement& element,
                                                                platform::UnresponsiveProcesses& unresponsive) {
    if (unresponsive.contains(element.process()))
        return nullptr;
    BusReply reply = bus.call({element.busName(), cachePath, "org.a11y.atspi.Cache", "GetItems", nullptr,
                               G_VARIANT_TYPE("(a((so)(so)(so)iiassusau))")},
                              dbusTimeoutMs);
    if (reply.timedOut)
        unresponsive.noteFailure(element.process(), callTimeout);
    if (!reply.value)
        return nullptr;
    auto cache = std::make_shared<ApplicationCache>();
    GVariantPtr list(g_variant_get_child_value(reply.value.get(), 0));
    const gsize count = g_variant_n_children(list.get());
    for (gsize i = 0; i < count; ++i) {
        GVariantPtr entry(g_variant_get_child_value(list.get(), i));
        const gchar *path = nullptr, *parentPath = nullptr, *name = nullptr, *description = nullptr;
        const gchar *owner = nullptr, *appBus = nullptr, *parentBus = nullptr, *appPath = nullptr;
        gint32 index = 0, children = 0;
        guint32 role = 0;
        GVariantIter* interfaces = nullptr;
        GVariantIter* states = nullptr;
        g_variant_get(entry.get(), "((&s&o)(&s&o)(&s&o)iias&su&sau)", &owner, &path, &appBus, &appPath, &parentBus,
                      &parentPath, &index, &children, &interfaces, &name, &role, &description, &states);
        g_variant_iter_free(interfaces);
        std::uint64_t bits = 0;
        guint32 word = 0;
        for (int w = 0; w < 2 && g_variant_iter_next(states, "u", &word); ++w)
            bits |= static_cast<std::uint64_t>(word) << (32 * w);
        g_variant_iter_free(states);
        if (element.busName() != owner)
            continue;
        cache->items[path] = Item{index, children, name, role, bits};
        if (element.busName() == parentBus)
            cache->childrenOf[parentPath].emplace_back(index, path);
    }
    for (auto& [parent, children] : cache->childrenOf)
        std::sort(children.begin(), children.end());
    return cache;
}

void SubtreeReader::readLabelsAndValues(std::vector<Node>& nodes) {
    if (nodes.empty())
        return;
    const ProcessId process = atspiElement(nodes.front().element).process();
    std::vector<BusCall> calls;
    std::vector<std::pair<std::size_t, Asked>> askedFor;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const AtspiElement& element = atspiElement(nodes[i].element);
        if (nodes[i].statesWanted && !nodes[i].answers.states) {
            calls.push_back(accessibleCall(element, "GetState", "(au)"));
            askedFor.emplace_back(i, Asked::states);
        }
        if (nodes[i].answers.role == ATSPI_ROLE_PUSH_BUTTON) {
            calls.push_back(accessibleCall(element, "GetRelationSet", "(a(ua(so)))"));
            askedFor.emplace_back(i, Asked::relations);
            // Its tooltip, which says what it does, is part of its prompt.
            calls.push_back(propertyOf(element, accessibleInterface, "Description"));
            askedFor.emplace_back(i, Asked::help);
        }
        if (valueIsRead(nodes[i].answers, element.topLevel(), texts_)) {
            calls.push_back(propertyOf(element, "org.a11y.atspi.Text", "CharacterCount"));
            askedFor.emplace_back(i, Asked::textLength);
        }
    }
    const std::vector<BusReply> replies = bus_.callAll(std::move(calls), dbusTimeoutMs);
    if (!failed(replies, process))
        readLabelsAndTexts(nodes, askedFor, replies);
}

void SubtreeReader::readLabelsAndTexts(std::vector<Node>& nodes,
                                       const std::vector<std::pair<std::size_t, Asked>>& askedFor,
                                       const std::vector<BusReply>& replies) {
    const ProcessId process = atspiElement(nodes.front().element).process();
    std::vector<BusCall> followUps;
    std::vector<std::pair<std::size_t, bool>> followedFor;  // node, whether the call is for a label
    for (std::size_t k = 0; k < replies.size(); ++k) {
        auto [i, asked] = askedFor[k];
        const AtspiElement& element = atspiElement(nodes[i].element);
        if (asked == Asked::states) {
            takeStates(nodes[i].answers, replies[k]);
            continue;
        }
        if (asked == Asked::help) {
            // As one read of it has it: what is not a text reads as none.
            if (const GVariantPtr help = propertyValue(replies[k]))
                nodes[i].answers.help = stringOf(help).value_or("");
            continue;
        }
        if (asked == Asked::relations) {
            if (!replies[k].value)
                continue;
            for (const auto& [busName, path] : labelledByTargets(replies[k].value.get())) {
                if (busName != element.busName())
                    continue;
                followUps.push_back(propertyOf(AtspiElement(element.sharedBusName(), path, process, false),
                                                 accessibleInterface, "Name"));
                followedFor.emplace_back(i, true);
            }
            continue;
        }
        GVariantPtr length = propertyValue(replies[k]);
        if (!length || !g_variant_is_of_type(length.get(), G_VARIANT_TYPE_INT32)) {
            nodes[i].answers.value = AttributeValue();  // no text interface: no value
            continue;
        }
        const gint32 end = std::clamp(g_variant_get_int32(length.get()), 0, textReadLimit);
        followUps.push_back({element.busName(), element.path(), "org.a11y.atspi.Text", "GetText",
                             parameters(g_variant_new("(ii)", 0, end)), G_VARIANT_TYPE("(s)")});
        followedFor.emplace_back(i, false);
    }
    const std::vector<BusReply> answers = bus_.callAll(std::move(followUps), dbusTimeoutMs);
    if (failed(answers, process))
        return;
    for (std::size_t k = 0; k < answers.size(); ++k) {
        auto [i, label] = followedFor[k];
        if (label) {
            const std::optional<std::string> name = stringOf(propertyValue(answers[k]));
            if (name && !name->empty()) {
                std::optional<std::string>& joined = nodes[i].answers.labelledBy;
                joined = joined ? *joined + " " + *name : *name;
            }
        } else if (answers[k].value) {
            const gchar* content = nullptr;
            g_variant_get(answers[k].value.get(), "(&s)", &content);
            nodes[i].answers.value = AttributeValue(std::string(content));
        }
    }
}

}  // namespace ondrel::atspi
