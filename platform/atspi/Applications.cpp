// SPDX-License-Identifier: MIT
#include "platform/atspi/Applications.h"

#include <algorithm>
#include <cstdlib>

#include "platform/atspi/AtspiProtocol.h"
#include "platform/atspi/DesktopEntry.h"
#include "platform/atspi/LaunchIdentity.h"

namespace ondrel::atspi {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The program the application's desktop entry starts, if it has one.
std::optional<std::string> desktopEntryProgramOf(std::string_view applicationId) {
    const auto folders = applicationFolders(variable("HOME"), variable("XDG_DATA_HOME"), variable("XDG_DATA_DIRS"));
    if (auto entry = findDesktopEntry(std::string(applicationId) + ".desktop", folders))
        return desktopEntryProgram(*entry, variable("PATH"));
    return std::nullopt;
}

std::string_view ruleWord(LaunchEvidence evidence) {
    switch (evidence) {
        case LaunchEvidence::desktopEntryProgram:
            return "desktop-entry";
        case LaunchEvidence::systemdUnit:
            return "systemd-unit";
        case LaunchEvidence::launchEnvironment:
            return "launch-environment";
        case LaunchEvidence::none:
            break;
    }
    return {};
}

BusCall busDaemonCall(const char* method, GVariant* arguments, const char* replyType) {
    return {"org.freedesktop.DBus", "/org/freedesktop/DBus",    "org.freedesktop.DBus",
            method,                 parameters(arguments), G_VARIANT_TYPE(replyType)};
}

}  // namespace

const std::vector<Applications::Application>& Applications::all(Bus& accessibility, Clock::time_point now) {
    if (stale_.exchange(false) || now - fetched_ >= keptAtMost)
        refresh(accessibility, now);
    return all_;
}

void Applications::refresh(Bus& accessibility, Clock::time_point now) {
    fetched_ = now;
    all_.clear();
    matching_.clear();
    rules_.clear();
    BusReply children = accessibility.call(
        {registryName, applicationRootPath, accessibleInterface, "GetChildren", nullptr, G_VARIANT_TYPE("(a(so))")},
        dbusTimeoutMs);
    if (!children.value) {
        stale_ = true;  // asked again next time: the registry may be starting
        return;
    }
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
        owners.push_back(busDaemonCall("GetConnectionUnixProcessID", g_variant_new("(s)", name), "(u)"));
    }
    const std::vector<BusReply> processes = accessibility.callAll(std::move(owners), dbusTimeoutMs);
    for (std::size_t i = 0; i < busNames.size(); ++i) {
        if (!processes[i].value)
            continue;
        guint32 process = 0;
        g_variant_get(processes[i].value.get(), "(u)", &process);
        if (process == 0 || static_cast<ProcessId>(process) == ownProcess_)
            continue;
        all_.push_back({static_cast<ProcessId>(process), std::make_shared<const std::string>(busNames[i])});
    }
    std::sort(all_.begin(), all_.end(), [](const auto& a, const auto& b) { return a.process < b.process; });
    std::erase_if(toolkits_, [&](const auto& entry) {
        return std::none_of(all_.begin(), all_.end(), [&](const auto& app) { return *app.busName == entry.first; });
    });
}

std::optional<ProcessId> Applications::sessionBusOwner(std::string_view name, Bus& session) {
    const std::string busName(name);
    if (!g_dbus_is_name(busName.c_str()))
        return std::nullopt;
    BusReply owner = session.call(busDaemonCall("GetNameOwner", g_variant_new("(s)", busName.c_str()), "(s)"),
                                  dbusTimeoutMs);
    if (!owner.value)
        return std::nullopt;
    const gchar* unique = nullptr;
    g_variant_get(owner.value.get(), "(&s)", &unique);
    BusReply process =
        session.call(busDaemonCall("GetConnectionUnixProcessID", g_variant_new("(s)", unique), "(u)"), dbusTimeoutMs);
    if (!process.value)
        return std::nullopt;
    guint32 pid = 0;
    g_variant_get(process.value.get(), "(u)", &pid);
    return static_cast<ProcessId>(pid);
}

std::vector<ProcessId> Applications::processesOf(std::string_view applicationId, Bus& accessibility, Bus* session,
                                                 Clock::time_point now) {
    const std::vector<Application>& applications = all(accessibility, now);
    if (const auto kept = matching_.find(applicationId); kept != matching_.end())
        return kept->second;
    const std::optional<ProcessId> owner =
        session != nullptr ? sessionBusOwner(applicationId, *session) : std::nullopt;
    const std::optional<std::string> program = desktopEntryProgramOf(applicationId);
    std::vector<ProcessId> matching;
    // Cheapest first: what the bus and /proc tell. Only the rest are asked their names, all at once.
    std::vector<std::pair<ProcessId, ApplicationNames::Application>> undecided;
    for (const Application& application : applications) {
        const std::string_view rule = application.process == owner
                                          ? "bus-name"
                                          : ruleWord(launchEvidence(readProcessRecord(application.process),
                                                                    application.process, applicationId, program));
        if (!rule.empty()) {
            matching.push_back(application.process);
            rules_.try_emplace(application.process, rule);
        } else {
            undecided.push_back({application.process, {*application.busName, applicationRootPath}});
        }
    }
    std::vector<ApplicationNames::Application> asked;
    for (const auto& entry : undecided)
        asked.push_back(entry.second);
    const auto names = names_.namesOf(accessibility, asked, dbusTimeoutMs, now);
    for (const auto& [process, application] : undecided) {
        if (const auto name = names.find(application.busName); name != names.end() && name->second == applicationId) {
            matching.push_back(process);
            rules_.try_emplace(process, "accessibility-name");
        }
    }
    std::sort(matching.begin(), matching.end());
    matching.erase(std::unique(matching.begin(), matching.end()), matching.end());
    return matching_.emplace(std::string(applicationId), std::move(matching)).first->second;
}

std::string Applications::ruleOf(ProcessId process) const {
    const auto rule = rules_.find(process);
    return rule != rules_.end() ? std::string(rule->second) : std::string();
}

const std::string& Applications::toolkitOf(const Application& application, Bus& accessibility) {
    auto known = toolkits_.find(*application.busName);
    if (known == toolkits_.end()) {
        const GVariantPtr name = propertyValue(accessibility.call(
            propertyCall(*application.busName, applicationRootPath, "org.a11y.atspi.Application", "ToolkitName"),
            dbusTimeoutMs));
        std::string toolkit;
        if (name && g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING))
            toolkit = g_variant_get_string(name.get(), nullptr);
        known = toolkits_.emplace(*application.busName, std::move(toolkit)).first;
    }
    return known->second;
}

}  // namespace ondrel::atspi
