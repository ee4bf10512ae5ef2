// SPDX-License-Identifier: MIT
#include "platform/fake/FakePlatform.h"

#include <algorithm>

#include "core/TextWalk.h"

namespace ondrel::fake {

class FakeElement final : public ElementHandle, public std::enable_shared_from_this<FakeElement> {
public:
    std::map<std::string, std::optional<AttributeValue>, std::less<>> values;
    std::vector<const FakeElement*> children;
    const FakeElement* parent = nullptr;
    const FakeElement* repeatedChild = nullptr;
    std::size_t repeatedCount = 0;
    bool gone = false;
    std::optional<ActionResult> pressFailure;
    std::optional<std::string> hiddenContentAdvice;
};

namespace {

Element handleOf(const FakeElement* node) {
    return node != nullptr ? node->shared_from_this() : nullptr;
}

std::optional<std::string> textValue(const FakeElement& node, std::string_view attribute) {
    const auto value = node.values.find(attribute);
    if (value == node.values.end() || !value->second)
        return std::nullopt;
    const auto* text = std::get_if<std::string>(&*value->second);
    return text != nullptr ? std::optional<std::string>(*text) : std::nullopt;
}

}  // namespace

FakePlatform::FakePlatform() = default;
// A value may hold an element of the scene itself (an element set as its own parent, say): clearing the
// values first breaks those cycles, so every node goes with the platform.
FakePlatform::~FakePlatform() {
    for (const auto& node : nodes_)
        node->values.clear();
}

Element FakePlatform::makeElement() {
    auto node = std::make_shared<FakeElement>();
    nodes_.push_back(node);
    return node;
}

FakeElement& FakePlatform::node(const Element& element) const {
    return const_cast<FakeElement&>(static_cast<const FakeElement&>(*element));
}

Element FakePlatform::addProcess(ProcessId process, std::string applicationId) {
    Element application = makeElement();
    node(application).values[std::string(ax::attribute::role)] = AttributeValue(std::string(ax::role::application));
    processes_.push_back({process, std::move(applicationId), application});
    return application;
}

Element FakePlatform::addElement(const Element& parent, std::string_view role) {
    Element child = makeElement();
    FakeElement& childNode = node(child);
    childNode.values[std::string(ax::attribute::role)] = AttributeValue(std::string(role));
    childNode.parent = &node(parent);
    node(parent).children.push_back(&childNode);
    return child;
}

Element FakePlatform::addWindow(const Element& application, std::string title, bool minimized) {
    Element window = addElement(application, ax::role::window);
    setValue(window, ax::attribute::title, AttributeValue(std::move(title)));
    setValue(window, ax::attribute::minimized, AttributeValue(minimized));
    return window;
}

Element FakePlatform::addButton(const Element& parent, std::string label, bool enabled) {
    Element button = addElement(parent, ax::role::button);
    setValue(button, ax::attribute::title, AttributeValue(std::move(label)));
    setValue(button, ax::attribute::enabled, AttributeValue(enabled));
    return button;
}

Element FakePlatform::addText(const Element& parent, std::string text, std::string_view role) {
    Element element = addElement(parent, role);
    setValue(element, ax::attribute::value, AttributeValue(std::move(text)));
    return element;
}

void FakePlatform::setValue(const Element& element, std::string_view attribute, std::optional<AttributeValue> value) {
    node(element).values[std::string(attribute)] = std::move(value);
}

void FakePlatform::removeValue(const Element& element, std::string_view attribute) {
    node(element).values.erase(std::string(attribute));
}

void FakePlatform::setRepeatedChildren(const Element& element, const Element& child, std::size_t count) {
    node(element).repeatedChild = &node(child);
    node(element).repeatedCount = count;
}

void FakePlatform::vanish(const Element& element) {
    node(element).gone = true;
}

void FakePlatform::failPress(const Element& element, ActionResult result) {
    node(element).pressFailure = std::move(result);
}

std::vector<ProcessId> FakePlatform::runningProcesses(std::string_view applicationId) {
    std::vector<ProcessId> found;
    for (const Process& process : processes_) {
        if (process.applicationId == applicationId)
            found.push_back(process.id);
    }
    return found;
}

Element FakePlatform::applicationElement(ProcessId process) {
    auto it = std::find_if(processes_.begin(), processes_.end(), [&](const Process& p) { return p.id == process; });
    return it != processes_.end() ? it->application : nullptr;
}

bool FakePlatform::setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) {
    writes.push_back({element, std::string(attribute), value});
    return element && !node(element).gone;
}

std::optional<AttributeValue> FakePlatform::copyAttribute(const Element& element, std::string_view attribute) {
    return copyAttributeValues(element, attribute, 0, SIZE_MAX);
}

std::optional<AttributeValue> FakePlatform::copyAttributeValues(const Element& element, std::string_view attribute,
                                                                std::size_t index, std::size_t maxValues) {
    ++reads;
    if (failAllReads_ || !element)
        return std::nullopt;
    const FakeElement& source = node(element);
    if (source.gone)
        return std::nullopt;

    if (auto it = source.values.find(attribute); it != source.values.end())
        return it->second;
    if (attribute == ax::attribute::parent) {
        return source.parent != nullptr ? AttributeValue(handleOf(source.parent)) : AttributeValue();
    }
    if (attribute == ax::attribute::children) {
        ElementList children;
        if (source.repeatedChild != nullptr) {
            const std::size_t count = index < source.repeatedCount ? source.repeatedCount - index : 0;
            children.assign(std::min(count, maxValues), handleOf(source.repeatedChild));
        } else {
            for (std::size_t i = index; i < source.children.size() && children.size() < maxValues; ++i) {
                children.push_back(handleOf(source.children[i]));
            }
        }
        return AttributeValue(std::move(children));
    }
    return AttributeValue();
}

ActionResult FakePlatform::performAction(const Element& element, std::string_view action) {
    if (!element || action != ax::action::press)
        return {ActionResult::Outcome::failed, "no such action (fake)"};
    const FakeElement& target = node(element);
    if (target.gone)
        return {ActionResult::Outcome::gone, "gone (fake)"};
    if (target.pressFailure)
        return *target.pressFailure;
    presses.push_back(element);
    if (afterPress)
        afterPress(element);
    return ActionResult::done();
}

void FakePlatform::setHiddenContentAdvice(const Element& window, std::optional<std::string> advice) {
    node(window).hiddenContentAdvice = std::move(advice);
}

std::optional<std::string> FakePlatform::hiddenContentAdvice(const Element& window) {
    return window ? node(window).hiddenContentAdvice : std::nullopt;
}

std::vector<ElementFacts> FakePlatform::readSubtree(const Element& root, WalkLimits limits, const KnownElement& known,
                                                  TextReads words) {
    if (!bulkReads_ || !root || failAllReads_)
        return {};
    ++bulkReads;
    // Straight from the scene, as a platform that hands over its tree in one go would: the same values
    // a copy gives, for what the walks read, breadth first and within the limits.
    static constexpr std::string_view walked[] = {ax::attribute::role,    ax::attribute::subrole,
                                                  ax::attribute::title,   ax::attribute::description,
                                                  ax::attribute::value,   ax::attribute::enabled,
                                                  ax::attribute::minimized};
    std::vector<ElementFacts> facts;
    std::vector<std::pair<const FakeElement*, std::size_t>> level{{&node(root), 0}};
    for (std::size_t next = 0; next < level.size() && facts.size() < limits.maxExamined; ++next) {
        const auto [source, depth] = level[next];
        if (source->gone)
            continue;
        ElementFacts& learned = facts.emplace_back(ElementFacts{handleOf(source), {}});
        ++bulkFacts;
        const bool wordsLeftOut = words == TextReads::leftOut && holdsText(textValue(*source, ax::attribute::role));
        for (std::string_view attribute : walked) {
            if (wordsLeftOut && attribute != ax::attribute::role && attribute != ax::attribute::subrole)
                continue;
            const auto value = source->values.find(attribute);
            if (value == source->values.end())
                learned.attributes.emplace(attribute, AttributeValue());
            else if (value->second)
                learned.attributes.emplace(attribute, *value->second);
        }
        if (!source->values.contains(ax::attribute::parent))
            learned.attributes.emplace(ax::attribute::parent, source->parent != nullptr
                                                                  ? AttributeValue(handleOf(source->parent))
                                                                  : AttributeValue());
        if (source->values.contains(ax::attribute::children) || source->repeatedChild != nullptr ||
            depth > limits.maxDepth)
            continue;  // read element by element
        ElementList children;
        for (const FakeElement* child : source->children) {
            children.push_back(handleOf(child));
            if (!(known && known(handleOf(child))))
                level.emplace_back(child, depth + 1);
        }
        learned.attributes.emplace(ax::attribute::children, std::move(children));
    }
    return facts;
}

void FakePlatform::serviceEvent(ServiceEvent event, std::string message) {
    if (serviceListener_)
        serviceListener_(event, message);
    else
        pendingServiceEvents_.emplace_back(event, std::move(message));
}

void FakePlatform::watchService(ServiceListener onEvent) {
    serviceListener_ = std::move(onEvent);
    if (!serviceListener_)
        return;
    for (auto& [event, message] : std::exchange(pendingServiceEvents_, {}))
        serviceListener_(event, message);
}

bool FakePlatform::watchChanges(ChangeListener onChange) {
    // Kept even when refused, as a real platform keeps it for when its bus comes.
    changeListener_ = std::move(onChange);
    return reportsChanges_;
}

}  // namespace ondrel::fake
