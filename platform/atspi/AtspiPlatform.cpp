#include "platform/atspi/AtspiPlatform.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/atspi/ApplicationNames.h"
#include "platform/atspi/DesktopEntry.h"
#include "platform/atspi/LaunchIdentity.h"
#include "platform/atspi/Vocabulary.h"

namespace ondrel {

std::unique_ptr<AccessibilityPlatform> createPlatform() {
    return std::make_unique<atspi::AtspiPlatform>();
}

namespace atspi {
namespace {

using namespace std::chrono_literals;

// Long enough for a busy application, short enough that one hung target cannot hold a pass for long.
constexpr auto callTimeout = 800ms;
constexpr int dbusTimeoutMs = static_cast<int>(callTimeout.count());
// Texts longer than this are cut when read; no prompt or label needs more.
constexpr int textReadLimit = 1 << 20;
constexpr const char* applicationRootPath = "/org/a11y/atspi/accessible/root";
// Asking for the accessibility bus may start its launcher, which takes longer than an ordinary call.
constexpr int busLaunchTimeoutMs = 5000;

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
};

// AT-SPI text marks each embedded child with U+FFFC; that mark is no text of its own.
std::string withoutObjectReplacements(std::string text) {
    constexpr std::string_view mark = "\xEF\xBF\xBC";
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
        text.erase(at, mark.size());
    return text;
}

// A D-Bus error's message on one line, for a log line.
std::string oneLine(const GError* error) {
    std::string text = error != nullptr && error->message != nullptr ? error->message : "no reason given";
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return text;
}

class AtspiElement final : public ElementHandle {
public:
    AtspiElement(GObjectPtr<AtspiAccessible> accessible, ProcessId process, bool topLevel)
        : accessible_(std::move(accessible)), process_(process), topLevel_(topLevel) {}

    AtspiAccessible* get() const { return accessible_.get(); }
    ProcessId process() const { return process_; }
    bool topLevel() const { return topLevel_; }
    // The AT-SPI role once it has been read: roles do not change, and the label rules depend on it.
    std::optional<int> role() const { return role_; }
    void rememberRole(int role) const { role_ = role; }
    bool isApplication() const {
        const char* path = accessible_->parent.path;
        return path != nullptr && std::string_view(path) == applicationRootPath;
    }

private:
    GObjectPtr<AtspiAccessible> accessible_;
    ProcessId process_;
    bool topLevel_;  // a direct child of the application: where windows are
    mutable std::optional<int> role_;
};

const AtspiElement* atspiElement(const Element& element) {
    return static_cast<const AtspiElement*>(element.get());
}

Element makeElement(AtspiAccessible* accessible, ProcessId process, bool topLevel) {
    if (accessible == nullptr)
        return nullptr;
    return std::make_shared<AtspiElement>(GObjectPtr<AtspiAccessible>(accessible), process, topLevel);
}

// Runs one call into a target process. Calls into a process that stopped answering earlier in this
// scan fail at once; a call that fails after (nearly) the whole timeout marks its process so.
template <typename Call>
auto ask(UnresponsiveProcesses& unresponsive, ProcessId process, Call&& call)
    -> std::optional<decltype(call(std::declval<GError**>()))> {
    if (unresponsive.contains(process))
        return std::nullopt;
    GError* raw = nullptr;
    const auto start = UnresponsiveProcesses::Clock::now();
    auto result = call(&raw);
    GErrorPtr error(raw);
    if (error) {
        unresponsive.noteFailure(process, UnresponsiveProcesses::Clock::now() - start);
        return std::nullopt;
    }
    return result;
}

// The same for libatspi calls that report failure only through a null result.
template <typename Call>
auto askNullable(UnresponsiveProcesses& unresponsive, ProcessId process, Call&& call) -> decltype(call()) {
    if (unresponsive.contains(process))
        return nullptr;
    const auto start = UnresponsiveProcesses::Clock::now();
    auto result = call();
    if (!result)
        unresponsive.noteFailure(process, UnresponsiveProcesses::Clock::now() - start);
    return result;
}

}  // namespace

AtspiPlatform::AtspiPlatform() : unresponsive_(callTimeout) {}

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
    // Asked the way libatspi asks, so that a desktop which starts the bus on demand gets it started.
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
    GDBusConnection* bus = sessionBus();
    if (bus == nullptr) {
        if (parameters != nullptr)
            g_variant_unref(g_variant_ref_sink(parameters));
        return nullptr;
    }
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(bus, "org.a11y.Bus", "/org/a11y/bus", interface, method, parameters,
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

bool AtspiPlatform::ensureAtspi() {
    if (!atspiStarted_) {
        if (sessionBus() == nullptr)
            return false;
        atspi_init();
        atspi_set_timeout(dbusTimeoutMs, dbusTimeoutMs);
        atspiStarted_ = true;
    }
    return true;
}

void AtspiPlatform::beginScan() {
    unresponsive_.clear();
    scanApplications_.reset();
    scanProgram_.reset();
    scanToolkits_.clear();
    if (!ensureAtspi())
        return;
    // The registry's list of applications is read afresh every scan.
    GObjectPtr<AtspiAccessible> desktop(atspi_get_desktop(0));
    if (desktop)
        atspi_accessible_clear_cache(desktop.get());
}

const std::vector<AtspiPlatform::Application>& AtspiPlatform::applications() {
    if (scanApplications_)
        return *scanApplications_;
    std::vector<Application>& found = scanApplications_.emplace();
    if (!ensureAtspi())
        return found;
    GObjectPtr<AtspiAccessible> desktop(atspi_get_desktop(0));
    if (!desktop)
        return found;
    GError* raw = nullptr;
    const gint count = atspi_accessible_get_child_count(desktop.get(), &raw);
    GErrorPtr error(raw);
    for (gint i = 0; i < count && !error; ++i) {
        GError* childError = nullptr;
        GObjectPtr<AtspiAccessible> application(atspi_accessible_get_child_at_index(desktop.get(), i, &childError));
        GErrorPtr childFailure(childError);
        if (!application)
            continue;
        GError* pidError = nullptr;
        // Answered by the accessibility bus itself, so a hung application cannot stall it.
        const guint process = atspi_accessible_get_process_id(application.get(), &pidError);
        GErrorPtr pidFailure(pidError);
        // Ondrel's own windows are never a target, and asking its own (possibly waiting) main thread
        // anything could only time out.
        if (pidFailure || process == 0 || static_cast<ProcessId>(process) == ownProcess_)
            continue;
        found.emplace_back(static_cast<ProcessId>(process), std::move(application));
    }
    return found;
}

std::optional<ProcessId> AtspiPlatform::sessionBusOwner(std::string_view name) {
    GDBusConnection* bus = sessionBus();
    const std::string busName(name);
    if (bus == nullptr || !g_dbus_is_name(busName.c_str()))
        return std::nullopt;
    auto call = [&](const char* method, GVariant* parameters, const GVariantType* type) {
        GError* raw = nullptr;
        GVariantPtr reply(g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus", method, parameters, type,
                                                      G_DBUS_CALL_FLAGS_NONE, dbusTimeoutMs, nullptr, &raw));
        GErrorPtr error(raw);
        return reply;
    };
    GVariantPtr owner = call("GetNameOwner", g_variant_new("(s)", busName.c_str()), G_VARIANT_TYPE("(s)"));
    if (!owner)
        return std::nullopt;
    const gchar* unique = nullptr;
    g_variant_get(owner.get(), "(&s)", &unique);
    GVariantPtr process = call("GetConnectionUnixProcessID", g_variant_new("(s)", unique), G_VARIANT_TYPE("(u)"));
    if (!process)
        return std::nullopt;
    guint32 pid = 0;
    g_variant_get(process.get(), "(u)", &pid);
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
    for (const auto& [process, application] : applications()) {
        if (process == owner ||
            launchEvidence(readProcessRecord(process), process, applicationId, program) != LaunchEvidence::none) {
            matching.push_back(process);
        } else if (const AtspiObject& object = application->parent; object.app != nullptr && object.path != nullptr) {
            undecided.push_back({process, {object.app->bus_name, object.path}});
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
    return matching;
}

Element AtspiPlatform::applicationElement(ProcessId process) {
    for (const auto& [candidate, application] : applications()) {
        if (candidate == process)
            return makeElement(static_cast<AtspiAccessible*>(g_object_ref(application.get())), process, false);
    }
    return nullptr;
}

AXError AtspiPlatform::setAttribute(const Element& element, std::string_view attribute, const AttributeValue& value) {
    const bool* on = std::get_if<bool>(&value);
    if (!element || attribute != "AXManualAccessibility" || on == nullptr || !*on)
        return axFailure;
    // Toolkits expose their trees once the bus says accessibility is on, except web runtimes: Chromium
    // and Electron keep their pages to themselves until an assistive technology shows itself, and
    // asking for an element's attributes is what shows one. Everyone else just answers.
    const AtspiElement* application = atspiElement(element);
    auto attributes = ask(unresponsive_, application->process(), [&](GError** error) {
        return std::unique_ptr<GHashTable, GHashTableUnref>(atspi_accessible_get_attributes(application->get(), error));
    });
    return attributes ? axSuccess : axCannotComplete;
}

const std::string& AtspiPlatform::toolkitOf(ProcessId process) {
    auto known = scanToolkits_.find(process);
    if (known == scanToolkits_.end()) {
        std::string toolkit;
        for (const auto& [candidate, application] : applications()) {
            if (candidate != process)
                continue;
            auto name = ask(unresponsive_, process, [&](GError** error) {
                return GCharPtr(atspi_accessible_get_toolkit_name(application.get(), error));
            });
            if (name && *name)
                toolkit = name->get();
        }
        known = scanToolkits_.emplace(process, std::move(toolkit)).first;
    }
    return known->second;
}

std::optional<std::string> AtspiPlatform::hiddenContentAdvice(const Element& window) {
    if (!window)
        return std::nullopt;
    const AtspiElement* target = atspiElement(window);
    if (toolkitOf(target->process()) != "Chromium")
        return std::nullopt;
    // Without its renderer's accessibility a Chromium window reports a child that cannot be read.
    auto children = readChildren(window, 0, 1);
    const auto* list = children ? std::get_if<ElementList>(&*children) : nullptr;
    if (list == nullptr || !list->empty())
        return std::nullopt;
    return "Velquin runs on Chromium, which shows its windows' content to accessibility only when started with "
           "--force-renderer-accessibility. Add that switch to the Exec line of Velquin's desktop entry (copy "
           "dev.velquin.desktop.desktop from /usr/share/applications to ~/.local/share/applications and edit the "
           "copy), then restart Velquin.";
}

// A label given by other elements (ARIA's labelled-by) is the label: GTK 4 gives its dialog buttons
// a labelled-by relation to their own text and then also counts that text in the name ("Allow Allow").
std::optional<std::string> AtspiPlatform::labelledByText(AtspiAccessible* accessible, ProcessId process) {
    auto relations = ask(unresponsive_, process, [&](GError** error) {
        return GArrayPtr(atspi_accessible_get_relation_set(accessible, error));
    });
    if (!relations || !*relations)
        return std::nullopt;
    GArray* list = relations->get();
    std::optional<std::string> label;
    for (guint i = 0; i < list->len; ++i) {
        GObjectPtr<AtspiRelation> relation(g_array_index(list, AtspiRelation*, i));
        if (atspi_relation_get_relation_type(relation.get()) != ATSPI_RELATION_LABELLED_BY)
            continue;
        for (gint t = 0; t < atspi_relation_get_n_targets(relation.get()); ++t) {
            GObjectPtr<AtspiAccessible> labelElement(atspi_relation_get_target(relation.get(), t));
            if (!labelElement)
                continue;
            auto name = ask(unresponsive_, process, [&](GError** error) {
                return GCharPtr(atspi_accessible_get_name(labelElement.get(), error));
            });
            if (!name || !*name || **name == '\0')
                continue;
            label = label ? *label + " " + name->get() : std::string(name->get());
        }
    }
    return label;
}

GObjectPtr<AtspiStateSet> AtspiPlatform::readStates(const Element& element) {
    const AtspiElement* target = atspiElement(element);
    return askNullable(unresponsive_, target->process(),
                       [&] { return GObjectPtr<AtspiStateSet>(atspi_accessible_get_state_set(target->get())); });
}

std::optional<AttributeValue> AtspiPlatform::readChildren(const Element& element, std::size_t index,
                                                          std::size_t maxValues) {
    const AtspiElement* parent = atspiElement(element);
    const auto count = ask(unresponsive_, parent->process(),
                           [&](GError** error) { return atspi_accessible_get_child_count(parent->get(), error); });
    if (!count || *count < 0)
        return std::nullopt;
    const bool childrenAreTopLevel = parent->isApplication();
    ElementList children;
    const auto total = static_cast<std::size_t>(*count);
    for (std::size_t i = index; i < total && children.size() < maxValues; ++i) {
        auto child = ask(unresponsive_, parent->process(), [&](GError** error) {
            return GObjectPtr<AtspiAccessible>(
                atspi_accessible_get_child_at_index(parent->get(), static_cast<gint>(i), error));
        });
        if (unresponsive_.contains(parent->process()))
            return std::nullopt;
        // A child of another application (a plug embedded in a socket, say) is none of the target's.
        if (child && *child && (*child)->parent.app == parent->get()->parent.app)
            children.push_back(makeElement(child->release(), parent->process(), childrenAreTopLevel));
    }
    return AttributeValue(std::move(children));
}

std::optional<AttributeValue> AtspiPlatform::readTextContent(const Element& element) {
    const AtspiElement* target = atspiElement(element);
    if (unresponsive_.contains(target->process()))
        return std::nullopt;
    GObjectPtr<AtspiText> text(atspi_accessible_get_text_iface(target->get()));
    if (!text)
        return AttributeValue();  // no text interface: no value
    const auto length = ask(unresponsive_, target->process(),
                            [&](GError** error) { return atspi_text_get_character_count(text.get(), error); });
    if (!length)
        return std::nullopt;
    auto content = ask(unresponsive_, target->process(), [&](GError** error) {
        return GCharPtr(atspi_text_get_text(text.get(), 0, std::min(*length, textReadLimit), error));
    });
    if (!content)
        return std::nullopt;
    return AttributeValue(withoutObjectReplacements(*content ? content->get() : ""));
}

std::optional<AttributeValue> AtspiPlatform::copyAttribute(const Element& element, std::string_view attribute) {
    return copyAttributeValues(element, attribute, 0, SIZE_MAX);
}

std::optional<AttributeValue> AtspiPlatform::copyAttributeValues(const Element& element, std::string_view attribute,
                                                                 std::size_t index, std::size_t maxValues) {
    if (!element)
        return std::nullopt;
    const AtspiElement* target = atspiElement(element);
    const ProcessId process = target->process();

    if (attribute == "AXChildren")
        return readChildren(element, index, maxValues);
    if (attribute == "AXRole") {
        const auto role = ask(unresponsive_, process,
                              [&](GError** error) { return atspi_accessible_get_role(target->get(), error); });
        if (!role)
            return std::nullopt;
        target->rememberRole(*role);
        bool multiLine = false, editable = false;
        if (*role == ATSPI_ROLE_TEXT || *role == ATSPI_ROLE_ENTRY || *role == ATSPI_ROLE_DOCUMENT_TEXT) {
            if (auto states = readStates(element)) {
                multiLine = atspi_state_set_contains(states.get(), ATSPI_STATE_MULTI_LINE);
                editable = atspi_state_set_contains(states.get(), ATSPI_STATE_EDITABLE);
            }
        }
        return AttributeValue(axRoleFor(*role, target->topLevel(), multiLine, editable));
    }
    if (attribute == "AXTitle" || attribute == "AXDescription") {
        if (target->role() == ATSPI_ROLE_PUSH_BUTTON) {
            if (auto label = labelledByText(target->get(), process))
                return AttributeValue(std::move(*label));
        }
        // AT-SPI's own description is tooltip-like help text; the accessible name is the label.
        auto name = ask(unresponsive_, process,
                        [&](GError** error) { return GCharPtr(atspi_accessible_get_name(target->get(), error)); });
        if (!name)
            return std::nullopt;
        return AttributeValue(std::string(*name ? name->get() : ""));
    }
    if (attribute == "AXValue")
        return readTextContent(element);
    if (attribute == "AXParent") {
        if (target->isApplication())
            return AttributeValue();  // the climb ends at the application
        auto parent = ask(unresponsive_, process, [&](GError** error) {
            return GObjectPtr<AtspiAccessible>(atspi_accessible_get_parent(target->get(), error));
        });
        if (!parent)
            return std::nullopt;
        // Never hand out an element of another application.
        if (!*parent || (*parent)->parent.app != target->get()->parent.app)
            return AttributeValue();
        return AttributeValue(makeElement(parent->release(), process, false));
    }
    if (attribute == "AXEnabled" || attribute == "AXMinimized") {
        auto states = readStates(element);
        if (!states)
            return std::nullopt;
        if (attribute == "AXMinimized")
            return AttributeValue(bool(atspi_state_set_contains(states.get(), ATSPI_STATE_ICONIFIED)));
        return AttributeValue(bool(atspi_state_set_contains(states.get(), ATSPI_STATE_ENABLED) ||
                                   atspi_state_set_contains(states.get(), ATSPI_STATE_SENSITIVE)));
    }
    return AttributeValue();
}

AXError AtspiPlatform::performAction(const Element& element, std::string_view action) {
    if (!element || action != "AXPress")
        return axFailure;
    const AtspiElement* target = atspiElement(element);
    const ProcessId process = target->process();
    if (unresponsive_.contains(process))
        return axCannotComplete;
    GObjectPtr<AtspiAction> actions(atspi_accessible_get_action_iface(target->get()));
    if (!actions)
        return axFailure;
    const auto count =
        ask(unresponsive_, process, [&](GError** error) { return atspi_action_get_n_actions(actions.get(), error); });
    for (gint i = 0; count && i < *count; ++i) {
        auto name = ask(unresponsive_, process, [&](GError** error) {
            return GCharPtr(atspi_action_get_action_name(actions.get(), i, error));
        });
        if (!name || !*name || !isPressActionName(name->get()))
            continue;
        auto done = ask(unresponsive_, process,
                        [&](GError** error) { return atspi_action_do_action(actions.get(), i, error); });
        return done && *done ? axSuccess : axCannotComplete;
    }
    return axFailure;
}

}  // namespace atspi
}  // namespace ondrel
