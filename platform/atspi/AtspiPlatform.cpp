#include "platform/atspi/AtspiPlatform.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

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

class AtspiElement final : public ElementHandle {
public:
    AtspiElement(GObjectPtr<AtspiAccessible> accessible, ProcessId process, bool topLevel)
        : accessible_(std::move(accessible)), process_(process), topLevel_(topLevel) {}

    AtspiAccessible* get() const { return accessible_.get(); }
    ProcessId process() const { return process_; }
    bool topLevel() const { return topLevel_; }
    bool isApplication() const {
        const char* path = accessible_->parent.path;
        return path != nullptr && std::string_view(path) == applicationRootPath;
    }

private:
    GObjectPtr<AtspiAccessible> accessible_;
    ProcessId process_;
    bool topLevel_;  // a direct child of the application: where windows are
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

std::string readProcessEnvironment(ProcessId process) {
    std::ifstream in("/proc/" + std::to_string(process) + "/environ", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

AtspiPlatform::AtspiPlatform() : unresponsive_(callTimeout) {}

GDBusConnection* AtspiPlatform::sessionBus() {
    if (!sessionBus_) {
        GError* raw = nullptr;
        sessionBus_.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw));
        GErrorPtr error(raw);
    }
    return sessionBus_.get();
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
        if (pidFailure || process == 0)
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

std::vector<ProcessId> AtspiPlatform::runningProcesses(std::string_view applicationId) {
    const std::optional<ProcessId> owner = sessionBusOwner(applicationId);
    std::vector<ProcessId> matching;
    for (const auto& [process, application] : applications()) {
        // Cheapest first; only the last test asks the application itself.
        bool matches = process == owner || environmentNamesDesktopEntry(readProcessEnvironment(process), applicationId);
        if (!matches) {
            auto* accessible = application.get();  // clang before 16 cannot capture a structured binding
            auto name = ask(unresponsive_, process,
                            [&](GError** error) { return GCharPtr(atspi_accessible_get_name(accessible, error)); });
            matches = name && *name && std::string_view(name->get()) == applicationId;
        }
        if (matches)
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

AXError AtspiPlatform::setAttribute(const Element& element, std::string_view attribute, const AttributeValue&) {
    // Applications expose their trees once the bus says accessibility is enabled; there is nothing to switch on.
    if (element && attribute == "AXManualAccessibility")
        return axSuccess;
    return axFailure;
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
        if (child && *child)
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
    return AttributeValue(std::string(*content ? content->get() : ""));
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
