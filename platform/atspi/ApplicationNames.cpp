// SPDX-License-Identifier: MIT
#include "platform/atspi/ApplicationNames.h"


namespace ondrel::atspi {

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

std::map<std::string, std::string> ApplicationNames::namesOf(Bus& bus, const std::vector<Application>& applications,
                                                             int timeoutMs, Clock::time_point now) {
    std::erase_if(answers_, [&](const auto& entry) { return now >= entry.second.until; });
    std::vector<const Application*> asked;
    std::vector<BusCall> calls;
    for (const Application& application : applications) {
        if (remembered(application.busName, now))
            continue;
        asked.push_back(&application);
        calls.push_back({application.busName, application.path, "org.freedesktop.DBus.Properties", "Get",
                         parameters(g_variant_new("(ss)", "org.a11y.atspi.Accessible", "Name")),
                         G_VARIANT_TYPE("(v)")});
    }
    {
        const std::vector<BusReply> replies = bus.callAll(std::move(calls), timeoutMs);
        for (std::size_t i = 0; i < replies.size(); ++i) {
            // Only silence counts against an application; a refusal is an answer that names nothing.
            std::optional<std::string> name;
            if (replies[i].value) {
                GVariantPtr boxed(g_variant_get_child_value(replies[i].value.get(), 0));
                GVariantPtr value(g_variant_get_variant(boxed.get()));
                name = g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)
                           ? std::string(g_variant_get_string(value.get(), nullptr))
                           : std::string();
            } else if (!replies[i].timedOut) {
                name = std::string();
            }
            remember(asked[i]->busName, std::move(name), now);
        }
    }

    std::map<std::string, std::string> names;
    for (const Application& application : applications) {
        if (auto answer = remembered(application.busName, now); answer && *answer)
            names.emplace(application.busName, **answer);
    }
    return names;
}

}  // namespace ondrel::atspi
