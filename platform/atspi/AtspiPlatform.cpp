// SPDX-License-Identifier: MIT
#include "platform/atspi/AtspiPlatform.h"

#include <atspi/atspi-constants.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/atspi/AtspiElement.h"
#include "platform/atspi/ChangeWatch.h"
#include "platform/atspi/DesktopEntry.h"
#include "platform/atspi/LaunchIdentity.h"
#include "platform/atspi/SubtreeReader.h"
#include "platform/atspi/Vocabulary.h"

namespace ondrel {

std::unique_ptr<AccessibilityPlatform> createPlatform() {
    return std::make_unique<atspi::AtspiPlatform>();
}

namespace atspi {
namespace {

// Texts longer than this are cut when read; no prompt or label needs more.
constexpr int textReadLimit = 1 << 20;
// Asking for the accessibility bus may start its launcher, which takes longer than an ordinary call.
constexpr int busLaunchTimeoutMs = 5000;
// Lists up to this long are taken in one call; a longer one is read in the part that is wanted.
constexpr std::size_t childrenInOneCall = 20000;
// More actions than any button has; an element claiming more is not asked about the rest.
constexpr gint32 maxActions = 64;

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

// A D-Bus error's message on one line, for a log line.
std::string oneLine(const GError* error) {
    std::string text = error != nullptr && error->message != nullptr ? error->message : "no reason given";
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return text;
}

const AtspiElement& atspiElement(const Element& element) {
    return static_cast<const AtspiElement&>(*element);
}

}  // namespace

AtspiPlatform::AtspiPlatform() : unresponsive_(callTimeout) {}

AtspiPlatform::~AtspiPlatform() = default;

GDBusConnection* AtspiPlatform::sessionBus() {
    if (!sessionBus_) {
        GError* raw = nullptr;
        sessionBus_.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw));
        GErrorPtr error(raw);
        sessionBusError_ = error ? oneLine(error.get()) : std::string();
    }
    return sessionBus_.get();
}

const PlatformWording& AtspiPlatform::wording() const {
    return wordingForLinux;
}

GDBusConnection* AtspiPlatform::accessibilityBus() {
    if (accessibilityBus_)
        return accessibilityBus_.get();
    GDBusConnection* bus = sessionBus();
    if (bus == nullptr) {
        accessibilityBusError_ = "Accessibility is unavailable: there is no D-Bus session bus (" + sessionBusError_ +
                                 "). Run Ondrel inside your desktop session, where DBUS_SESSION_BUS_ADDRESS is set.";
        return nullptr;
    }
    // Asked the way assistive technologies ask, so that a desktop which starts the bus on demand does.
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(bus, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                                  nullptr, G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE,
                                                  busLaunchTimeoutMs, nullptr, &raw));
    GErrorPtr error(raw);
    if (!reply) {
        accessibilityBusError_ =
            "Accessibility is unavailable: nothing on the session bus provides the accessibility bus org.a11y.Bus (" +
            oneLine(error.get()) +
            "). Install at-spi2-core (Debian and Ubuntu: sudo apt install at-spi2-core), then log out and in again.";
        return nullptr;
    }
    const gchar* address = nullptr;
    g_variant_get(reply.get(), "(&s)", &address);
    GError* connectRaw = nullptr;
    accessibilityBus_.reset(g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &connectRaw));
    GErrorPtr connectError(connectRaw);
    if (!accessibilityBus_) {
        accessibilityBusError_ = "Accessibility is unavailable: the accessibility bus does not accept connections (" +
                                 oneLine(connectError.get()) + "). Log out and in again to restart it.";
    }
    return accessibilityBus_.get();
}

std::optional<std::string> AtspiPlatform::unavailableReason() {
    if (accessibilityBus() == nullptr)
        return accessibilityBusError_;
    return std::nullopt;
}

GVariantPtr AtspiPlatform::callStatusBus(const char* interface, const char* method, GVariant* parameters,
                                         const GVariantType* replyType) {
    GVariantPtr owned = atspi::parameters(parameters);
    GDBusConnection* bus = sessionBus();
    if (bus == nullptr)
        return nullptr;
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(bus, "org.a11y.Bus", "/org/a11y/bus", interface, method, owned.get(),
                                                  replyType, G_DBUS_CALL_FLAGS_NO_AUTO_START, dbusTimeoutMs, nullptr,
                                                  &raw));
    GErrorPtr error(raw);
    return reply;
}

bool AtspiPlatform::isProcessTrusted() {
    GVariantPtr address = callStatusBus("org.a11y.Bus", "GetAddress", nullptr, G_VARIANT_TYPE("(s)"));
    if (!address)
        return false;
    GVariantPtr enabled = callStatusBus("org.freedesktop.DBus.Properties", "Get",
                                        g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"), G_VARIANT_TYPE("(v)"));
    if (!enabled)
        return false;
    GVariantPtr value(g_variant_get_child_value(enabled.get(), 0));
    GVariantPtr inner(g_variant_get_variant(value.get()));
    return g_variant_is_of_type(inner.get(), G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(inner.get());
}

void AtspiPlatform::requestTrust() {
    // Only IsEnabled: ScreenReaderEnabled would make applications behave as if a screen reader ran.
    callStatusBus("org.freedesktop.DBus.Properties", "Set",
                  g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)), nullptr);
}

void AtspiPlatform::beginScan() {
    unresponsive_.clear();
    scanApplications_.reset();
    scanProgram_.reset();
    scanToolkits_.clear();
    scanCaches_.clear();
}

const std::vector<AtspiPlatform::Application>& AtspiPlatform::applications() {
    if (scanApplications_)
        return *scanApplications_;
    std::vector<Application>& found = scanApplications_.emplace();
    GDBusConnection* bus = accessibilityBus();
    BusReply children = callMethod(
        bus,
        {registryName, applicationRootPath, accessibleInterface, "GetChildren", nullptr, G_VARIANT_TYPE("(a(so))")},
        dbusTimeoutMs);
    if (!children.value)
        return found;
    // Answered by the bus itself, so a hung application cannot stall it; all asked at once.
    std::vector<std::string> busNames;
    std::vector<BusCall> owners;
    GVariantPtr list(g_variant_get_child_value(children.value.get(), 0));
    GVariantIter iterator;
    g_variant_iter_init(&iterator, list.get());
    const gchar* name = nullptr;
    const gchar* path = nullptr;
    while (g_variant_iter_next(&iterator, "(&s&o)", &name, &path)) {
        busNames.emplace_back(name);
        owners.push_back({"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "GetConnectionUnixProcessID", parameters(g_variant_new("(s)", name)), G_VARIANT_TYPE("(u)")});
    }
    const std::vector<BusReply> processes = callMethods(bus, std::move(owners), dbusTimeoutMs);
    for (std::size_t i = 0; i < busNames.size(); ++i) {
        if (!processes[i].value)
            continue;
        guint32 process = 0;
        g_variant_get(processes[i].value.get(), "(u)", &process);
        // Ondrel's own windows are never a target, and asking its own (possibly waiting) main thread
        // anything could only time out.
        if (process == 0 || static_cast<ProcessId>(process) == ownProcess_)
            continue;
        found.push_back({static_cast<ProcessId>(process), std::make_shared<const std::string>(busNames[i])});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.process < b.process; });
    return found;
}

std::optional<ProcessId> AtspiPlatform::sessionBusOwner(std::string_view name) {
    GDBusConnection* bus = sessionBus();
    const std::string busName(name);
    if (bus == nullptr || !g_dbus_is_name(busName.c_str()))
        return std::nullopt;
    BusReply owner =
        callMethod(bus,
                   {"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner",
                    parameters(g_variant_new("(s)", busName.c_str())), G_VARIANT_TYPE("(s)")},
                   dbusTimeoutMs);
    if (!owner.value)
        return std::nullopt;
    const gchar* unique = nullptr;
    g_variant_get(owner.value.get(), "(&s)", &unique);
    BusReply process =
        callMethod(bus,
                   {"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "GetConnectionUnixProcessID", parameters(g_variant_new("(s)", unique)), G_VARIANT_TYPE("(u)")},
                   dbusTimeoutMs);
    if (!process.value)
        return std::nullopt;
    guint32 pid = 0;
    g_variant_get(process.value.get(), "(u)", &pid);
    return static_cast<ProcessId>(pid);
}

const std::optional<std::string>& AtspiPlatform::desktopEntryProgramOf(std::string_view applicationId) {
    if (!scanProgram_ || scanProgram_->first != applicationId) {
        const auto variable = [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value != nullptr ? value : "");
        };
        const auto folders = applicationFolders(variable("HOME"), variable("XDG_DATA_HOME"), variable("XDG_DATA_DIRS"));
        std::optional<std::string> program;
        if (auto entry = findDesktopEntry(std::string(applicationId) + ".desktop", folders))
            program = desktopEntryProgram(*entry, variable("PATH"));
        scanProgram_.emplace(std::string(applicationId), std::move(program));
    }
    return scanProgram_->second;
}

std::vector<ProcessId> AtspiPlatform::runningProcesses(std::string_view applicationId) {
    const std::optional<ProcessId> owner = sessionBusOwner(applicationId);
    const std::optional<std::string>& program = desktopEntryProgramOf(applicationId);
    std::vector<ProcessId> matching;
    // Cheapest first: what the bus and /proc tell. Only the rest are asked their names, all at once.
    std::vector<std::pair<ProcessId, ApplicationNames::Application>> undecided;
    for (const Application& application : applications()) {
        if (application.process == owner || launchEvidence(readProcessRecord(application.process), application.process,
                                                           applicationId, program) != LaunchEvidence::none) {
            matching.push_back(application.process);
        } else {
            undecided.push_back({application.process, {*application.busName, applicationRootPath}});
        }
    }
    std::vector<ApplicationNames::Application> asked;
    for (const auto& entry : undecided)
        asked.push_back(entry.second);
    const auto names = names_.namesOf(accessibilityBus(), asked, dbusTimeoutMs);
    for (const auto& [process, application] : undecided) {
        if (const auto name = names.find(application.busName); name != names.end() && name->second == applicationId)
            matching.push_back(process);
    }
    std::sort(matching.begin(), matching.end());
    matching.erase(std::unique(matching.begin(), matching.end()), matching.end());
    if (changes_) {
        for (ProcessId process : matching) {
            for (const Application& application : applications()) {
                if (application.process == process)
                    changes_->follow(*application.busName, process);
            }
        }
    }
    return matching;
}

Element AtspiPlatform::applicationElement(ProcessId process) {
    for (const Application& application : applications()) {
        if (application.process == process)
            return std::make_shared<AtspiElement>(application.busName, applicationRootPath, process, false);
    }
    return nullptr;
}

GVariantPtr AtspiPlatform::ask(const AtspiElement& element, const char* interface, const char* method,
                               GVariant* parameters, const GVariantType* replyType) {
    GVariantPtr owned = atspi::parameters(parameters);
    if (unresponsive_.contains(element.process()))
        return nullptr;
    BusReply reply =
        callMethod(accessibilityBus(),
                   {element.busName(), element.path(), interface, method, std::move(owned), replyType}, dbusTimeoutMs);
    if (reply.timedOut)
        unresponsive_.noteFailure(element.process(), callTimeout);
    return std::move(reply.value);
}

GVariantPtr AtspiPlatform::askProperty(const AtspiElement& element, const char* interface, const char* property) {
    GVariantPtr reply = ask(element, "org.freedesktop.DBus.Properties", "Get",
                            g_variant_new("(ss)", interface, property), G_VARIANT_TYPE("(v)"));
    if (!reply)
        return nullptr;
    GVariantPtr boxed(g_variant_get_child_value(reply.get(), 0));
    return GVariantPtr(g_variant_get_variant(boxed.get()));
}

bool AtspiPlatform::setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) {
    const bool* on = std::get_if<bool>(&value);
    if (!element || attribute != ax::attribute::manualAccessibility || on == nullptr || !*on)
        return false;
    // Toolkits expose their trees once the bus says accessibility is on, except web runtimes: Chromium
    // and Electron keep their pages to themselves until an assistive technology shows itself, and
    // asking for an element's attributes is what shows one. Once per application is enough.
    const AtspiElement& application = atspiElement(element);
    if (announcedTo_.contains(application.busName()))
        return true;
    if (!ask(application, accessibleInterface, "GetAttributes", nullptr, G_VARIANT_TYPE("(a{ss})")))
        return false;
    announcedTo_.emplace(application.busName(), true);
    return true;
}

const std::string& AtspiPlatform::toolkitOf(const AtspiElement& element) {
    auto known = scanToolkits_.find(element.process());
    if (known == scanToolkits_.end()) {
        const AtspiElement root(element.sharedBusName(), applicationRootPath, element.process(), false);
        GVariantPtr name = askProperty(root, "org.a11y.atspi.Application", "ToolkitName");
        std::string toolkit;
        if (name && g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING))
            toolkit = g_variant_get_string(name.get(), nullptr);
        known = scanToolkits_.emplace(element.process(), std::move(toolkit)).first;
    }
    return known->second;
}

std::optional<std::string> AtspiPlatform::hiddenContentAdvice(const Element& window) {
    if (!window)
        return std::nullopt;
    const AtspiElement& target = atspiElement(window);
    if (toolkitOf(target) != "Chromium")
        return std::nullopt;
    // Without its renderer's accessibility a Chromium window reports a child that cannot be read.
    auto children = readChildren(target, 0, 1);
    const auto* list = children ? std::get_if<ElementList>(&*children) : nullptr;
    if (list == nullptr || !list->empty())
        return std::nullopt;
    return "Velquin runs on Chromium, which shows its windows' content to accessibility only when started with "
           "--force-renderer-accessibility. Add that switch to the Exec line of Velquin's desktop entry (copy "
           "dev.velquin.desktop.desktop from /usr/share/applications to ~/.local/share/applications and edit the "
           "copy), then restart Velquin.";
}

std::optional<int> AtspiPlatform::atspiRole(const AtspiElement& element) {
    if (auto known = element.role())
        return known;
    GVariantPtr role = ask(element, accessibleInterface, "GetRole", nullptr, G_VARIANT_TYPE("(u)"));
    if (!role)
        return std::nullopt;
    guint32 value = 0;
    g_variant_get(role.get(), "(u)", &value);
    element.rememberRole(static_cast<int>(value));
    return static_cast<int>(value);
}

// A label given by other elements (ARIA's labelled-by) is the label: GTK 4 gives its dialog buttons
// a labelled-by relation to their own text and then also counts that text in the name ("Allow Allow").
std::optional<std::string> AtspiPlatform::labelledByText(const AtspiElement& element) {
    GVariantPtr relations = ask(element, accessibleInterface, "GetRelationSet", nullptr, G_VARIANT_TYPE("(a(ua(so)))"));
    if (!relations)
        return std::nullopt;
    std::vector<AtspiElement> labels;
    for (const auto& [busName, path] : labelledByTargets(relations.get())) {
        if (busName == element.busName())
            labels.emplace_back(element.sharedBusName(), path, element.process(), false);
    }
    std::optional<std::string> label;
    for (const AtspiElement& labelElement : labels) {
        GVariantPtr name = askProperty(labelElement, accessibleInterface, "Name");
        if (!name || !g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING))
            continue;
        const std::string text = g_variant_get_string(name.get(), nullptr);
        if (!text.empty())
            label = label ? *label + " " + text : text;
    }
    return label;
}

std::optional<AttributeValue> AtspiPlatform::readName(const AtspiElement& element) {
    if (element.role() == ATSPI_ROLE_PUSH_BUTTON) {
        if (auto label = labelledByText(element))
            return AttributeValue(std::move(*label));
    }
    // AT-SPI's own description is tooltip-like help text; the accessible name is the label.
    GVariantPtr name = askProperty(element, accessibleInterface, "Name");
    if (!name)
        return std::nullopt;
    return AttributeValue(std::string(
        g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING) ? g_variant_get_string(name.get(), nullptr) : ""));
}

std::optional<std::uint64_t> AtspiPlatform::readStates(const AtspiElement& element) {
    GVariantPtr states = ask(element, accessibleInterface, "GetState", nullptr, G_VARIANT_TYPE("(au)"));
    if (!states)
        return std::nullopt;
    GVariantPtr words(g_variant_get_child_value(states.get(), 0));
    return stateBits(words.get());
}

std::optional<AttributeValue> AtspiPlatform::readChildren(const AtspiElement& parent, std::size_t index,
                                                          std::size_t maxValues) {
    GVariantPtr count = askProperty(parent, accessibleInterface, "ChildCount");
    if (!count || !g_variant_is_of_type(count.get(), G_VARIANT_TYPE_INT32) || g_variant_get_int32(count.get()) < 0)
        return std::nullopt;
    const auto total = static_cast<std::size_t>(g_variant_get_int32(count.get()));
    // The whole list in one call when it is wanted whole and no longer than a walk could take.
    if (index == 0 && total > 0 && total <= maxValues && total <= childrenInOneCall) {
        if (GVariantPtr list = ask(parent, accessibleInterface, "GetChildren", nullptr, G_VARIANT_TYPE("(a(so))"))) {
            GVariantPtr references(g_variant_get_child_value(list.get(), 0));
            ElementList children;
            const gsize listed = std::min<gsize>(g_variant_n_children(references.get()), total);
            for (gsize i = 0; i < listed; ++i) {
                GVariantPtr reference(g_variant_get_child_value(references.get(), i));
                if (Element child = childElement(parent, reference.get()))
                    children.push_back(std::move(child));
            }
            return AttributeValue(std::move(children));
        }
        if (unresponsive_.contains(parent.process()))
            return std::nullopt;
    }
    const std::size_t end = index + std::min(maxValues, total - std::min(index, total));
    // All at once: a level of a tree costs one round trip, not one per child.
    std::vector<BusCall> calls;
    for (std::size_t i = index; i < end; ++i) {
        calls.push_back({parent.busName(), parent.path(), accessibleInterface, "GetChildAtIndex",
                         parameters(g_variant_new("(i)", static_cast<gint32>(i))), G_VARIANT_TYPE("((so))")});
    }
    if (unresponsive_.contains(parent.process()))
        return std::nullopt;
    const std::vector<BusReply> replies = callMethods(accessibilityBus(), std::move(calls), dbusTimeoutMs);
    ElementList children;
    for (const BusReply& reply : replies) {
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

std::optional<AttributeValue> AtspiPlatform::readTextContent(const AtspiElement& element) {
    GVariantPtr length = askProperty(element, "org.a11y.atspi.Text", "CharacterCount");
    if (!length) {
        // No text interface answers quickly, and means no value; only silence is a failed read.
        return unresponsive_.contains(element.process()) ? std::nullopt : std::optional(AttributeValue());
    }
    if (!g_variant_is_of_type(length.get(), G_VARIANT_TYPE_INT32))
        return AttributeValue();
    const gint32 end = std::clamp(g_variant_get_int32(length.get()), 0, textReadLimit);
    GVariantPtr text =
        ask(element, "org.a11y.atspi.Text", "GetText", g_variant_new("(ii)", 0, end), G_VARIANT_TYPE("(s)"));
    if (!text)
        return std::nullopt;
    const gchar* content = nullptr;
    g_variant_get(text.get(), "(&s)", &content);
    return AttributeValue(std::string(content));  // embedded objects' marks stay: the core puts their texts there
}

std::optional<AttributeValue> AtspiPlatform::copyAttribute(const Element& element, std::string_view attribute) {
    return copyAttributeValues(element, attribute, 0, SIZE_MAX);
}

std::optional<AttributeValue> AtspiPlatform::copyAttributeValues(const Element& element, std::string_view attribute,
                                                                 std::size_t index, std::size_t maxValues) {
    if (!element)
        return std::nullopt;
    const AtspiElement& target = atspiElement(element);
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
    if (attribute == ax::attribute::value)
        return readTextContent(target);
    if (attribute == ax::attribute::parent) {
        if (target.isApplication())
            return AttributeValue();  // the climb ends at the application
        GVariantPtr parent = askProperty(target, accessibleInterface, "Parent");
        if (!parent)
            return std::nullopt;
        // Never hand out an element of another application.
        Element above = parentElement(target, parent.get());
        return above ? AttributeValue(std::move(above)) : AttributeValue();
    }
    if (attribute == ax::attribute::enabled || attribute == ax::attribute::minimized) {
        auto states = readStates(target);
        if (!states)
            return std::nullopt;
        return AttributeValue(attribute == ax::attribute::minimized ? isMinimized(*states) : isEnabled(*states));
    }
    return AttributeValue();
}

ActionResult AtspiPlatform::performAction(const Element& element, std::string_view action) {
    if (!element || action != ax::action::press)
        return {ActionResult::Outcome::failed, "no such action"};
    const AtspiElement& target = atspiElement(element);
    if (unresponsive_.contains(target.process()))
        return {ActionResult::Outcome::busy, "Velquin does not answer"};
    // Names one by one: Chromium answers GetActions with empty names.
    GVariantPtr count = askProperty(target, "org.a11y.atspi.Action", "NActions");
    if (!count || !g_variant_is_of_type(count.get(), G_VARIANT_TYPE_INT32))
        return {ActionResult::Outcome::gone, "the button is no longer there"};
    std::vector<BusCall> calls;
    for (gint32 i = 0; i < std::min(g_variant_get_int32(count.get()), maxActions); ++i) {
        calls.push_back({target.busName(), target.path(), "org.a11y.atspi.Action", "GetName",
                         parameters(g_variant_new("(i)", i)), G_VARIANT_TYPE("(s)")});
    }
    std::vector<std::string> names;
    for (const BusReply& reply : callMethods(accessibilityBus(), std::move(calls), dbusTimeoutMs)) {
        const gchar* name = "";
        if (reply.value)
            g_variant_get(reply.value.get(), "(&s)", &name);
        names.emplace_back(name);
    }
    const std::optional<int> press = pressActionIndex(names);
    if (!press)
        return {ActionResult::Outcome::failed, "the button has no press action"};
    GVariantPtr done =
        ask(target, "org.a11y.atspi.Action", "DoAction", g_variant_new("(i)", *press), G_VARIANT_TYPE("(b)"));
    gboolean pressed = FALSE;
    if (done)
        g_variant_get(done.get(), "(b)", &pressed);
    return pressed ? ActionResult::done() : ActionResult{ActionResult::Outcome::failed, "Velquin refused the press"};
}

std::vector<ElementFacts> AtspiPlatform::readSubtree(const Element& root, WalkLimits limits,
                                                     const KnownElement& known) {
    if (!root)
        return {};
    const AtspiElement& top = atspiElement(root);
    if (unresponsive_.contains(top.process()))
        return {};
    // The application's cache of its tree is asked once a scan, however many windows are read.
    SubtreeReader reader(accessibilityBus(), unresponsive_, [this](const AtspiElement& element) {
        auto cached = scanCaches_.find(element.busName());
        if (cached == scanCaches_.end())
            cached =
                scanCaches_
                    .emplace(element.busName(), ApplicationCache::fetch(accessibilityBus(), element, unresponsive_))
                    .first;
        return cached->second.get();
    });
    return reader.read(root, limits, known);
}

bool AtspiPlatform::watchChanges(ChangeListener onChange) {
    if (accessibilityBus() == nullptr)
        return false;
    if (!changes_)
        changes_ = std::make_unique<ChangeWatch>(accessibilityBus());
    if (!onChange) {
        changes_->setListener(nullptr);
        return true;
    }
    changes_->setListener(
        [onChange = std::move(onChange)](ProcessId process, const std::string& busName, const std::string& path) {
            onChange(process, path.empty() ? nullptr
                                           : std::make_shared<AtspiElement>(
                                                 std::make_shared<const std::string>(busName), path, process, false));
        });
    return true;
}

}  // namespace atspi
}  // namespace ondrel
