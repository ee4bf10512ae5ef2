#include "platform/atspi/ApplicationNames.h"

#include <memory>

#include "platform/atspi/GLibHandles.h"

namespace ondrel::atspi {
namespace {

struct PendingName {
    std::string busName;
    std::optional<std::string> name;  // stays empty on silence
    bool silent = false;
    int* outstanding = nullptr;
};

void onNameReply(GObject* source, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<PendingName*>(data);
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &raw));
    GErrorPtr error(raw);
    if (reply) {
        GVariantPtr boxed(g_variant_get_child_value(reply.get(), 0));
        GVariantPtr value(g_variant_get_variant(boxed.get()));
        pending->name = g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)
                            ? std::string(g_variant_get_string(value.get(), nullptr))
                            : std::string();
    } else {
        // Only silence counts against an application; a refusal is an answer that names nothing.
        pending->silent = g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_TIMED_OUT);
        if (!pending->silent)
            pending->name = std::string();
    }
    --*pending->outstanding;
}

}  // namespace

std::optional<std::optional<std::string>> ApplicationNames::remembered(const std::string& busName,
                                                                       Clock::time_point now) const {
    const auto answer = answers_.find(busName);
    if (answer == answers_.end() || now >= answer->second.until)
        return std::nullopt;
    return answer->second.name;
}

void ApplicationNames::remember(const std::string& busName, std::optional<std::string> name, Clock::time_point now) {
    answers_[busName] = Answer{std::move(name), now + memory};
}

std::map<std::string, std::string> ApplicationNames::namesOf(GDBusConnection* bus,
                                                             const std::vector<Application>& applications,
                                                             int timeoutMs, Clock::time_point now) {
    std::erase_if(answers_, [&](const auto& entry) { return now >= entry.second.until; });
    std::vector<std::unique_ptr<PendingName>> pending;
    int outstanding = 0;
    if (bus != nullptr) {
        // Replies come to this context only, so nothing else of the program runs meanwhile.
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        for (const Application& application : applications) {
            if (remembered(application.busName, now))
                continue;
            auto& request = pending.emplace_back(std::make_unique<PendingName>());
            request->busName = application.busName;
            request->outstanding = &outstanding;
            ++outstanding;
            g_dbus_connection_call(bus, application.busName.c_str(), application.path.c_str(),
                                   "org.freedesktop.DBus.Properties", "Get",
                                   g_variant_new("(ss)", "org.a11y.atspi.Accessible", "Name"), G_VARIANT_TYPE("(v)"),
                                   G_DBUS_CALL_FLAGS_NO_AUTO_START, timeoutMs, nullptr, onNameReply, request.get());
        }
        while (outstanding > 0)
            g_main_context_iteration(context, TRUE);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }
    for (const auto& request : pending)
        remember(request->busName, request->silent ? std::nullopt : request->name, now);

    std::map<std::string, std::string> names;
    for (const Application& application : applications) {
        if (auto answer = remembered(application.busName, now); answer && *answer)
            names.emplace(application.busName, **answer);
    }
    return names;
}

}  // namespace ondrel::atspi
