// SPDX-License-Identifier: MIT
#include "platform/atspi/AtspiPlatform.h"

#include <atspi/atspi-constants.h>

#include "core/Scanner.h"
#include "platform/atspi/AtspiElement.h"
#include "platform/atspi/AtspiProtocol.h"

namespace ondrel {

std::unique_ptr<AccessibilityPlatform> createPlatform() {
    return std::make_unique<atspi::AtspiPlatform>();
}

namespace atspi {
namespace {

const PlatformWording wordingForLinux{
    .permissionMissing =
        "NO Accessibility yet: this desktop's accessibility switch is off. Ondrel has asked to "
        "switch it on; if this line repeats, turn on accessibility (assistive technologies) in the "
        "desktop's settings. Retrying every 10s.",
    .minimizedWindow =
        "Ondrel leaves minimized windows alone, so Allow prompts there are not clicked. Un-minimize it "
        "to enable auto-approval.",
    .permissionBanner =
        "Accessibility is switched off on this desktop, so nothing can be clicked yet.\n\n1. Ondrel "
        "has asked the desktop to switch it on. If this banner stays, open the settings below and turn "
        "on accessibility (assistive technologies)\n2. Then press Recheck, which restarts Ondrel. "
        "Applications started while accessibility was off may need a restart too.",
    .pressFailed = "Press failed",
};

const AtspiElement& atspiElement(const Element& element) {
    return static_cast<const AtspiElement&>(*element);
}

}  // namespace

AtspiPlatform::AtspiPlatform() {
    changes_.setListeners({
        .changed = [this](const Change& change) { tell(change); },
        .applicationsChanged =
            [this] {
                applications_.changed();
                // A new application may be Velquin: a pass finds out, and follows it from then on.
                tell(Change{});
            },
    });
    connections_.onConnected([this](const std::shared_ptr<ConnectionBus>& bus) {
        applications_.changed();  // names on an earlier bus mean nothing on this one
        if (watching_)
            changes_.subscribe(bus);
    });
}

AtspiPlatform::~AtspiPlatform() {
    // The watch and the connections call back into members that go before them; their callbacks run
    // on the bus thread, so once cleared there, none is running or will run.
    thread_.invoke([this] {
        changes_.setListeners({});
        connections_.onConnected({});
    });
}

void AtspiPlatform::tell(const Change& change) {
    // Held while the listener runs: once watchChanges() returned, the listener it replaced is done with.
    std::lock_guard lock(listenerMutex_);
    if (onChange_)
        onChange_(change);
}

const PlatformWording& AtspiPlatform::wording() const {
    return wordingForLinux;
}

std::optional<std::string> AtspiPlatform::unavailableReason() {
    return connections_.unavailableReason();
}

bool AtspiPlatform::isProcessTrusted() {
    return connections_.accessibility() && connections_.switchedOn().value_or(false);
}

void AtspiPlatform::requestTrust() {
    connections_.switchOn();
}

void AtspiPlatform::beginScan() {
    reads_.beginScan();
    // Without events nothing says when the applications change: they are asked again every scan.
    if (!watching_)
        applications_.changed();
}

std::vector<ProcessId> AtspiPlatform::runningProcesses(std::string_view applicationId) {
    const auto bus = connections_.accessibility();
    if (!bus)
        return {};
    const auto session = connections_.session();
    const std::vector<ProcessId> matching = applications_.processesOf(applicationId, *bus, session.get());
    if (watching_) {
        for (const Applications::Application& application : applications_.all(*bus)) {
            if (std::find(matching.begin(), matching.end(), application.process) != matching.end())
                changes_.follow(*application.busName, application.process);
        }
    }
    return matching;
}

std::optional<Applications::Application> AtspiPlatform::applicationOf(ProcessId process) {
    const auto bus = connections_.accessibility();
    if (!bus)
        return std::nullopt;
    for (const Applications::Application& application : applications_.all(*bus)) {
        if (application.process == process)
            return application;
    }
    return std::nullopt;
}

Element AtspiPlatform::applicationElement(ProcessId process) {
    const auto application = applicationOf(process);
    if (!application)
        return nullptr;
    return std::make_shared<AtspiElement>(application->busName, applicationRootPath, process, false);
}

bool AtspiPlatform::setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) {
    const bool* on = std::get_if<bool>(&value);
    if (!element || attribute != ax::attribute::manualAccessibility || on == nullptr || !*on)
        return false;
    // Toolkits expose their trees once the bus says accessibility is on, except web runtimes: Chromium
    // and Electron keep their pages to themselves until an assistive technology shows itself, and
    // asking for an element's attributes is what shows one.
    return reads_.announceTo(atspiElement(element));
}

std::optional<AttributeValue> AtspiPlatform::copyAttribute(const Element& element, std::string_view attribute) {
    return copyAttributeValues(element, attribute, 0, SIZE_MAX);
}

std::optional<AttributeValue> AtspiPlatform::copyAttributeValues(const Element& element, std::string_view attribute,
                                                                 std::size_t index, std::size_t maxValues) {
    if (!element)
        return std::nullopt;
    return reads_.copy(atspiElement(element), attribute, index, maxValues);
}

ActionResult AtspiPlatform::performAction(const Element& element, std::string_view action) {
    if (!element || action != ax::action::press)
        return {ActionResult::Outcome::failed, "no such action"};
    return reads_.press(atspiElement(element));
}

std::vector<std::optional<std::size_t>> AtspiPlatform::childCounts(const ElementList& elements) {
    return reads_.childCounts(elements);
}

std::optional<ElementList> AtspiPlatform::findByRole(const Element& root, std::string_view role,
                                                     std::size_t maxElements) {
    if (!root || role != ax::role::button)
        return std::nullopt;
    return reads_.findByRole(atspiElement(root), ATSPI_ROLE_PUSH_BUTTON, maxElements);
}

bool AtspiPlatform::holdsFewerThan(const Element& root, std::size_t maxElements) {
    return root && reads_.holdsFewerThan(atspiElement(root), maxElements);
}

std::vector<ElementFacts> AtspiPlatform::readSubtree(const Element& root, WalkLimits limits,
                                                     const KnownElement& known, TextReads texts) {
    return reads_.readSubtrees({root}, limits, known, texts);
}

std::vector<ElementFacts> AtspiPlatform::readSubtrees(const ElementList& roots, WalkLimits limits,
                                                      const KnownElement& known, TextReads texts) {
    return reads_.readSubtrees(roots, limits, known, texts);
}

std::optional<std::string> AtspiPlatform::hiddenContentAdvice(const Element& window) {
    if (!window)
        return std::nullopt;
    const AtspiElement& target = atspiElement(window);
    const auto application = applicationOf(target.process());
    const auto bus = connections_.accessibility();
    if (!application || !bus || applications_.toolkitOf(*application, *bus) != "Chromium")
        return std::nullopt;
    // Without its renderer's accessibility a Chromium window reports a child that cannot be read.
    if (!reads_.showsNothing(target))
        return std::nullopt;
    const std::string name(velquinName);
    const std::string entry = std::string(velquinApplicationId) + ".desktop";
    return name +
           " runs on Chromium, which shows its windows' content to accessibility only when started with "
           "--force-renderer-accessibility. Add that switch to the Exec line of " +
           name + "'s desktop entry (copy " + entry +
           " from /usr/share/applications to ~/.local/share/applications and edit the copy), then restart " + name +
           ".";
}

bool AtspiPlatform::watchChanges(ChangeListener onChange) {
    const bool listening = static_cast<bool>(onChange);
    {
        std::lock_guard lock(listenerMutex_);
        onChange_ = std::move(onChange);
    }
    if (!listening)
        return watching_;  // nothing more to tell (the program may be ending): nothing to subscribe to
    const bool first = !watching_.exchange(true);
    const auto bus = connections_.accessibility();
    if (!bus)
        return false;
    if (first)
        thread_.invoke([&] { changes_.subscribe(bus); });
    return true;
}

void AtspiPlatform::watchService(ServiceListener onEvent) {
    connections_.watchService(std::move(onEvent));
}

}  // namespace atspi
}  // namespace ondrel
