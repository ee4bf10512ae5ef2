// SPDX-License-Identifier: MIT
#include "core/ReadMemory.h"

#include <algorithm>
#include <utility>

#include "core/TextWalk.h"

namespace ondrel {

ReadMemory::~ReadMemory() {
    if (listening_)
        live_.watchChanges(nullptr);
}

void ReadMemory::beginScan() {
    live_.beginScan();
    const auto since = [this](Clock::time_point then) { return std::chrono::duration<double>(now_() - then).count(); };
    if (!watching_ || since(lastFullRead_) >= fullRereadSeconds) {
        std::lock_guard lock(changedMutex_);
        everythingChanged_ = true;
    } else if (since(lastVerified_) >= verifySeconds) {
        verifyChildCounts();
    }
    settleFirstReads();
    forgetChanged();
}

void ReadMemory::verifyChildCounts() {
    // A change that went unreported shows, almost always, as a list of children that is not what memory
    // holds: those lists are asked for their lengths, all at once, and what differs is read again.
    lastVerified_ = now_();
    ElementList containers;
    std::vector<std::pair<ProcessId, std::size_t>> held;  // process, length remembered
    for (const auto& [element, entry] : entries_) {
        const auto children = entry.attributes.find(ax::attribute::children);
        const auto* list = children != entry.attributes.end() ? std::get_if<ElementList>(&children->second) : nullptr;
        if (list == nullptr)
            continue;
        containers.push_back(element);
        held.emplace_back(entry.process, list->size());
    }
    const std::vector<std::optional<std::size_t>> counts = live_.childCounts(containers);
    std::lock_guard lock(changedMutex_);
    for (std::size_t i = 0; i < containers.size() && i < counts.size(); ++i) {
        if (counts[i] != held[i].second)
            changedElements_.emplace_back(held[i].first, containers[i]);
    }
}

void ReadMemory::settleFirstReads() {
    // What a process shows in its first moments may still be filling in (a web runtime builds its tree
    // after an assistive technology showed itself, and says nothing of it): its reads are kept across
    // scans only once it has been read for a while.
    std::set<ProcessId> settling;
    for (const auto& [process, first] : firstRead_) {
        if (std::chrono::duration<double>(now_() - first).count() < settleSeconds)
            settling.insert(process);
    }
    if (!settling.empty())
        forgetProcesses(settling);
}

void ReadMemory::forgetProcesses(const std::set<ProcessId>& processes) {
    std::erase_if(entries_, [&](const auto& entry) { return processes.contains(entry.second.process); });
    std::erase_if(readAhead_, [&](const Element& root) { return !entries_.contains(root); });
    std::lock_guard lock(changedMutex_);
    std::erase_if(knownButtons_, [&](const Element& button) { return !entries_.contains(button); });
}

void ReadMemory::forgetChanged() {
    std::set<ProcessId> changed;
    std::vector<std::pair<ProcessId, Element>> changedElements;
    NodeSet textChanged;
    std::vector<Change> childChanges;
    bool everything = false;
    {
        std::lock_guard lock(changedMutex_);
        changed.swap(changed_);
        changedElements.swap(changedElements_);
        textChanged.swap(textChanged_);
        childChanges.swap(childChanges_);
        everything = std::exchange(everythingChanged_, false);
        if (everything)
            knownButtons_.clear();
    }
    if (everything) {
        entries_.clear();
        readAhead_.clear();
        toRefresh_.clear();
        lastFullRead_ = now_();
        return;  // what was settled stays so: a process's tree fills in once
    }
    forgetTexts(textChanged);
    // A changed element's own answers go (its children, its states); what lies below it stays, and
    // what is new below it is not known, so it is read live. An element never read is new, and so may
    // be its parent (Qt reports a new widget only as shown, and each of its parts): the nearest known
    // ancestor's list of children is out of date then. A climb that reaches the application (or leaves
    // the tree) without meeting a known element changed nothing memory holds: a new window, say, whose
    // application reports its new list of windows on its own. Several changes in one place meet at what
    // the first of them left to be read again. When the climb cannot tell, the process is read afresh.
    if (changedElements.size() >= climbsAtMost) {
        // A burst (a large window opening, a tree rebuilt): reading the process afresh is cheaper than
        // climbing from every element of it.
        for (const auto& [process, element] : changedElements)
            changed.insert(process);
        changedElements.clear();
    }
    NodeSet refreshing;
    for (const Refresh& refresh : toRefresh_)
        refreshing.insert(refresh.element);
    // Children put in first: changes reported within a new child climb to it, to be read with it.
    for (const Change& change : childChanges) {
        if (changed.contains(change.process))
            continue;  // read afresh in any case
        if (!(change.kind == ChangeKind::added ? placeAdded(change, refreshing) : placeRemoved(change, refreshing)))
            changedElements.emplace_back(change.process, change.element);
    }
    for (const auto& [process, element] : changedElements) {
        if (!placeChange(process, element, refreshing))
            changed.insert(process);
    }
    // A process read afresh does not settle again: its tree fills in once, when it first shows it.
    forgetProcesses(changed);
}

void ReadMemory::forgetTexts(const NodeSet& changed) {
    for (const Element& element : changed) {
        if (auto entry = entries_.find(element); entry != entries_.end()) {
            for (const char* said :
                 {ax::attribute::title, ax::attribute::description, ax::attribute::value, ax::attribute::help})
                entry->second.attributes.erase(std::string(said));
        }
    }
}

ElementList* ReadMemory::heldChildren(const Element& parent) {
    const auto entry = entries_.find(parent);
    if (entry == entries_.end())
        return nullptr;
    const auto children = entry->second.attributes.find(ax::attribute::children);
    return children != entry->second.attributes.end() ? std::get_if<ElementList>(&children->second) : nullptr;
}

bool ReadMemory::placeAdded(const Change& added, NodeSet& refreshing) {
    // A prompt put at the end of a long conversation: the conversation's list is what memory holds with
    // the new child at its place when the live list is one longer and holds the child there. Then only the
    // child is read, not the whole list again (which a web runtime takes long to hand over).
    const Element& parent = added.element;
    if (refreshing.contains(parent) || refreshing.contains(added.child))
        return true;  // read again in any case, with what is new in it
    ElementList* list = heldChildren(parent);
    if (list == nullptr || added.position > list->size())
        return false;
    const auto same = [&](const Element& known) { return SameNode{}(known, added.child); };
    if (std::any_of(list->begin(), list->end(), same))
        return true;  // already read with its parent's list
    const auto there = live_.copyAttributeValues(parent, ax::attribute::children, added.position, 1);
    const auto* found = there ? std::get_if<ElementList>(&*there) : nullptr;
    if (found == nullptr || found->size() != 1 || !same(found->front()) || !hasChildCount(parent, list->size() + 1)) {
        refresh(added.process, parent, refreshing);
        return true;
    }
    // The child as the live list hands it over: the platform may know more of it there (its place).
    const Element& child = found->front();
    list->insert(list->begin() + static_cast<std::ptrdiff_t>(added.position), child);
    toRefresh_.push_back({added.process, child, parent, {}});
    refreshing.insert(child);
    return true;
}

bool ReadMemory::placeRemoved(const Change& removed, NodeSet& refreshing) {
    // What is held of a child that is gone goes; its parent's list is what memory holds without it when
    // the live list is one shorter, and is read again otherwise.
    forgetSubtree(removed.child);
    const Element& parent = removed.element;
    if (refreshing.contains(parent) || !entries_.contains(parent))
        return true;  // read again in any case, or nothing held of it
    ElementList* list = heldChildren(parent);
    const auto held =
        list == nullptr ? ElementList::iterator{} : std::find_if(list->begin(), list->end(), [&](const Element& known) {
            return SameNode{}(known, removed.child);
        });
    if (list == nullptr || held == list->end() || !hasChildCount(parent, list->size() - 1)) {
        refresh(removed.process, parent, refreshing);
        return true;
    }
    list->erase(held);
    return true;
}

bool ReadMemory::hasChildCount(const Element& parent, std::size_t count) {
    const auto counts = live_.childCounts({parent});
    return counts.size() == 1 && counts.front() == count;
}

void ReadMemory::refresh(ProcessId process, const Element& element, NodeSet& refreshing) {
    const ElementList* held = heldChildren(element);
    toRefresh_.push_back({process, element, nullptr, held != nullptr ? *held : ElementList{}});
    entries_.erase(element);
    refreshing.insert(element);
}

void ReadMemory::forgetSubtree(const Element& element) {
    // Prompts come and go all day: what was held below them would pile up otherwise.
    NodeSet forgotten;
    for (ElementList pending{element}; !pending.empty();) {
        const Element current = std::move(pending.back());
        pending.pop_back();
        const auto entry = current ? entries_.find(current) : entries_.end();
        if (entry == entries_.end())
            continue;
        if (const ElementList* children = heldChildren(current))
            pending.insert(pending.end(), children->begin(), children->end());
        entries_.erase(entry);
        readAhead_.erase(current);
        forgotten.insert(current);
    }
    std::lock_guard lock(changedMutex_);
    for (const Element& gone : forgotten)
        knownButtons_.erase(gone);
}

bool ReadMemory::placeChange(ProcessId process, const Element& element, NodeSet& refreshing) {
    const Element application = live_.applicationElement(process);
    Element current = element;
    for (int level = 0; level < ancestorSearchLimit && current; ++level) {
        if (entries_.contains(current)) {
            refresh(process, current, refreshing);
            return true;
        }
        if (refreshing.contains(current) || SameNode{}(current, application))
            return true;
        const auto parent = live_.copyAttribute(current, ax::attribute::parent);
        if (!parent)
            return false;
        const auto* above = std::get_if<Element>(&*parent);
        if (above == nullptr || !*above)
            return true;  // out of the tree (a prompt taken out, its parts saying they are hidden): nothing held
        current = *above;
    }
    return false;
}

std::vector<ProcessId> ReadMemory::runningProcesses(std::string_view applicationId) {
    std::vector<ProcessId> running = live_.runningProcesses(applicationId);
    // A process that ended took its tree along; a new one with the same id has none in memory.
    {
        std::lock_guard lock(changedMutex_);
        for (ProcessId process : lastRunning_) {
            if (std::find(running.begin(), running.end(), process) == running.end()) {
                changed_.insert(process);
                firstRead_.erase(process);
            }
        }
    }
    lastRunning_ = running;
    forgetChanged();
    return running;
}

bool ReadMemory::keepAcrossScans(std::function<void(ProcessId process)> onChange) {
    listening_ = true;  // even when watching fails now: a platform may keep the listener for when it can
    watching_ = live_.watchChanges([this, onChange = std::move(onChange)](const Change& change) {
        if (noteChange(change) && onChange)
            onChange(change.process);
    });
    return watching_;
}

bool ReadMemory::noteChange(const Change& change) {
    std::lock_guard lock(changedMutex_);
    const bool bounded = changedElements_.size() + textChanged_.size() + childChanges_.size() < climbsAtMost;
    if ((change.kind == ChangeKind::added || change.kind == ChangeKind::removed) && change.element && change.child) {
        // Placed in memory when the next scan begins; a child gone may have been a prompt, which a pass
        // should see gone.
        if (bounded)
            childChanges_.push_back(change);
        else
            changed_.insert(change.process);
        return true;
    }
    if (change.kind == ChangeKind::text && change.element) {
        // What an element says changed: it is read again when next asked. Only a button's label decides
        // what a pass finds, so only that brings one.
        if (bounded)
            textChanged_.insert(change.element);
        else
            changed_.insert(change.process);
        return knownButtons_.contains(change.element);
    }
    if (change.element && bounded) {
        changedElements_.emplace_back(change.process, change.element);
    } else {
        // More than a scan would follow one by one (and a paused watcher runs no scans): the process is
        // read afresh, and the lists stay bounded however long the flood lasts.
        changed_.insert(change.process);
    }
    return true;
}

void ReadMemory::readAhead(ProcessId process, const Element& root, WalkLimits limits, TextReads texts) {
    if (!root || readAhead_.contains(root))
        return;
    readAhead_.insert(root);
    firstRead_.try_emplace(process, now_());
    remember(process, live_.readSubtree(root, limits, nullptr, texts));
}

void ReadMemory::readAheadOf(const ElementList& elements, TextReads texts) {
    if (!watching_ && !elements.empty())
        remember(ProcessId{}, live_.readSubtrees(elements, {elements.size(), 0}, nullptr, texts));
}

void ReadMemory::readAheadBelow(const Element& element, WalkLimits limits) {
    const auto entry = element ? entries_.find(element) : entries_.end();
    // A watched process's elements are kept for the process they belong to: one memory cannot place
    // is read live, as it would be without reading ahead.
    if (entry == entries_.end() && watching_)
        return;
    // An element is known to a walk of texts with its role, and its words where it holds text.
    const auto facts = [this](const Element& child) {
        const auto* attributes = known(child);
        if (attributes == nullptr)
            return false;
        const auto role = attributes->find(ax::attribute::role);
        if (role == attributes->end())
            return false;
        const auto* name = std::get_if<std::string>(&role->second);
        return name == nullptr || !holdsText(*name) || attributes->contains(ax::attribute::title);
    };
    const ProcessId process = entry != entries_.end() ? entry->second.process : ProcessId{};
    const ElementList* children = heldChildren(element);
    if (children == nullptr) {
        remember(process, live_.readSubtree(element, limits, facts, TextReads::included));
        return;
    }
    // The list is known, and reading it again may be the slowest answer of all (a web runtime's long
    // conversation): only the children memory does not know are read, all at once.
    ElementList unknown;
    for (std::size_t at = 0; at < children->size() && at + 1 < limits.maxExamined; ++at) {
        if ((*children)[at] && !facts((*children)[at]))
            unknown.push_back((*children)[at]);
    }
    if (!unknown.empty() && limits.maxDepth > 0) {
        remember(process, live_.readSubtrees(unknown, {limits.maxExamined - 1, limits.maxDepth - 1}, facts,
                                             TextReads::included));
    }
}

void ReadMemory::refreshChanged(WalkLimits limits) {
    // Only what is not known is read: below a changed element, most of it is.
    const KnownElement known = [this](const Element& element) { return entries_.contains(element); };
    for (const Refresh& refresh : std::exchange(toRefresh_, {})) {
        if (!entries_.contains(refresh.element)) {
            remember(refresh.process, live_.readSubtree(refresh.element, limits, known, TextReads::included));
            if (const auto entry = entries_.find(refresh.element); entry != entries_.end() && refresh.parent)
                entry->second.attributes.insert_or_assign(std::string(ax::attribute::parent), refresh.parent);
        }
        // Children the list no longer holds (or all, when it could not be read) are gone with what lies below.
        NodeSet listed;
        if (const ElementList* children = heldChildren(refresh.element))
            listed.insert(children->begin(), children->end());
        for (const Element& former : refresh.formerChildren) {
            if (!listed.contains(former))
                forgetSubtree(former);
        }
    }
}

void ReadMemory::remember(ProcessId process, std::vector<ElementFacts> read) {
    std::lock_guard lock(changedMutex_);
    for (ElementFacts& facts : read) {
        if (!facts.element)
            continue;
        if (const auto role = facts.attributes.find(ax::attribute::role);
            role != facts.attributes.end() && role->second == AttributeValue(std::string(ax::role::button)))
            knownButtons_.insert(facts.element);
        Entry& entry = entries_[facts.element];
        entry.process = process;
        for (auto& [attribute, value] : facts.attributes)
            entry.attributes.insert_or_assign(attribute, std::move(value));
    }
}

const std::map<std::string, AttributeValue, std::less<>>* ReadMemory::known(const Element& element) const {
    if (!element)
        return nullptr;
    const auto entry = entries_.find(element);
    return entry == entries_.end() ? nullptr : &entry->second.attributes;
}

std::optional<AttributeValue> ReadMemory::copyAttribute(const Element& element, std::string_view attribute) {
    const auto entry = element ? entries_.find(element) : entries_.end();
    if (entry != entries_.end()) {
        if (const auto value = entry->second.attributes.find(attribute); value != entry->second.attributes.end())
            return value->second;
    }
    std::optional<AttributeValue> value = live_.copyAttribute(element, attribute);
    // What is read again of an element memory knows (a text a change made it forget) holds as long as the
    // rest of it; within one scan, whatever is read holds.
    if (value && element && !std::holds_alternative<ElementList>(*value) && (!watching_ || entry != entries_.end())) {
        Entry& kept = entry != entries_.end() ? entry->second : entries_[element];
        kept.attributes.insert_or_assign(std::string(attribute), *value);
    }
    return value;
}

std::optional<AttributeValue> ReadMemory::copyAttributeValues(const Element& element, std::string_view attribute,
                                                              std::size_t index, std::size_t maxValues) {
    if (const auto* attributes = known(element)) {
        const auto value = attributes->find(attribute);
        if (value != attributes->end()) {
            const auto* list = std::get_if<ElementList>(&value->second);
            if (list == nullptr)
                return value->second;
            const std::size_t begin = std::min(index, list->size());
            const std::size_t end = begin + std::min(maxValues, list->size() - begin);
            return AttributeValue(ElementList(list->begin() + static_cast<std::ptrdiff_t>(begin),
                                              list->begin() + static_cast<std::ptrdiff_t>(end)));
        }
    }
    std::optional<AttributeValue> values = live_.copyAttributeValues(element, attribute, index, maxValues);
    // Within one scan a whole list of children holds as any other value; read in part, it says nothing of
    // the rest. What memory keeps across scans keeps its lists by their changes instead.
    const auto* list = values ? std::get_if<ElementList>(&*values) : nullptr;
    if (list != nullptr && element && !watching_ && index == 0 && list->size() < maxValues)
        entries_[element].attributes.insert_or_assign(std::string(attribute), *values);
    return values;
}

}  // namespace ondrel
