// SPDX-License-Identifier: MIT
#include "tests/support/Target.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gio/gio.h>

#include "tests/support/RunProgram.h"

namespace ondrel::testing_support {
namespace {

// How many children (windows) the application of process `pid` shows, or -1 while it is not registered
// with the accessibility registry; asked over the accessibility bus itself: toolkits register some time
// after their windows are shown, and some list their windows later still.
int accessibleChildren(pid_t pid) {
    GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (session == nullptr)
        return false;
    GVariant* address =
        g_dbus_connection_call_sync(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", nullptr,
                                    G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    g_object_unref(session);
    if (address == nullptr)
        return -1;
    const gchar* text = nullptr;
    g_variant_get(address, "(&s)", &text);
    GDBusConnection* bus =
        g_dbus_connection_new_for_address_sync(text,
                                               GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                               nullptr, nullptr, nullptr);
    g_variant_unref(address);
    if (bus == nullptr)
        return -1;
    int count = -1;
    GVariant* children = g_dbus_connection_call_sync(
        bus, "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", "org.a11y.atspi.Accessible", "GetChildren",
        nullptr, G_VARIANT_TYPE("(a(so))"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (children != nullptr) {
        GVariantIter* iterator = nullptr;
        g_variant_get(children, "(a(so))", &iterator);
        const gchar* name = nullptr;
        const gchar* path = nullptr;
        while (count < 0 && g_variant_iter_next(iterator, "(&s&o)", &name, &path)) {
            GVariant* owner = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                          "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                                          g_variant_new("(s)", name), G_VARIANT_TYPE("(u)"),
                                                          G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
            if (owner != nullptr) {
                guint32 process = 0;
                g_variant_get(owner, "(u)", &process);
                g_variant_unref(owner);
                if (static_cast<pid_t>(process) != pid)
                    continue;
                count = 0;
                GVariant* reply =
                    g_dbus_connection_call_sync(bus, name, path, "org.freedesktop.DBus.Properties", "Get",
                                                g_variant_new("(ss)", "org.a11y.atspi.Accessible", "ChildCount"),
                                                G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
                if (reply != nullptr) {
                    GVariant* value = nullptr;
                    g_variant_get(reply, "(v)", &value);
                    if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT32))
                        count = g_variant_get_int32(value);
                    g_variant_unref(value);
                    g_variant_unref(reply);
                }
            }
        }
        g_variant_iter_free(iterator);
        g_variant_unref(children);
    }
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
    return count;
}

}  // namespace

Target::Target(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    group_ = spawnProgram(program, arguments, environment, pipeFds[1], -1, true);
    ::close(pipeFds[1]);
    output_ = pipeFds[0];
    if (group_ < 0)
        return;
    ::fcntl(output_, F_SETFL, O_NONBLOCK);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (pid_ < 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd poller{output_, POLLIN, 0};
        ::poll(&poller, 1, 100);
        readAvailable();
        if (const auto ready = buffer_.find("ready ");
            ready != std::string::npos && buffer_.find('\n', ready) != std::string::npos)
            pid_ = static_cast<pid_t>(std::atoi(buffer_.c_str() + ready + 6));
    }
    while (pid_ > 0 && accessibleChildren(pid_) < 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

Target::~Target() {
    kill();
    if (output_ >= 0)
        ::close(output_);
}

bool Target::showsWindows(int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (pid_ > 0 && accessibleChildren(pid_) < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return pid_ > 0;
}

void Target::readAvailable() {
    char chunk[4096];
    ssize_t count;
    while ((count = ::read(output_, chunk, sizeof chunk)) > 0)
        buffer_.append(chunk, static_cast<std::size_t>(count));
}

std::vector<std::string> Target::presses() {
    // Presses arrive asynchronously: give the target a moment to run its handlers.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    readAvailable();
    std::vector<std::string> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t line = buffer_.find("pressed\t", start);
        if (line == std::string::npos)
            break;
        const std::size_t tab = buffer_.find('\t', line + 8);
        const std::size_t end = buffer_.find('\n', line);
        if (tab == std::string::npos || end == std::string::npos)
            break;
        result.push_back(buffer_.substr(line + 8, tab - line - 8) + " in " + buffer_.substr(tab + 1, end - tab - 1));
        start = end;
    }
    return result;
}

std::vector<std::vector<std::string>> Target::prompts() const {
    std::vector<std::vector<std::string>> result;
    std::istringstream in(buffer_.substr(0, buffer_.find("ready ")));
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("prompt\t"))
            continue;
        std::vector<std::string>& fields = result.emplace_back();
        std::istringstream row(line.substr(7));
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        if (line.ends_with('\t'))
            fields.emplace_back();  // an empty last field, which getline does not give
    }
    return result;
}

void Target::stop() {
    ::kill(-group_, SIGSTOP);
}

void Target::resume() {
    ::kill(-group_, SIGCONT);
}

void Target::kill() {
    if (group_ <= 0)
        return;
    ::kill(-group_, SIGCONT);
    ::kill(-group_, SIGKILL);
    ::waitpid(group_, nullptr, 0);
    group_ = -1;
}

namespace {

std::string writeScenario(const std::string& scenario) {
    char path[] = "/tmp/ondrel-scenario-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        return {};
    ::close(fd);
    std::ofstream(path) << scenario;
    return path;
}

// The stand-in's command line; a shell in front exports its own pid first, as GIO does for the
// program it launches, and then becomes the stand-in.
std::vector<std::string> standInArguments(std::vector<std::string> options, const std::string& scenarioPath,
                                          StandIn::Launch launch) {
    options.push_back(scenarioPath);
    if (launch == StandIn::Launch::byGio) {
        options.insert(options.begin(),
                       {"-c", "export GIO_LAUNCHED_DESKTOP_FILE_PID=$$; exec \"$0\" \"$@\"", VELQUIN_STANDIN});
    }
    return options;
}

std::vector<std::string> standInEnvironment(std::vector<std::string> environment, StandIn::Launch launch) {
    if (launch == StandIn::Launch::byGio)
        environment.push_back("GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/dev.velquin.desktop.desktop");
    return environment;
}

}  // namespace

StandIn::StandIn(const std::string& scenario, const std::vector<std::string>& options,
                 const std::vector<std::string>& environment, Launch launch)
    : StandIn(writeScenario(scenario), options, environment, launch, 0) {}

StandIn::StandIn(std::string scenarioPath, const std::vector<std::string>& options,
                 const std::vector<std::string>& environment, Launch launch, int)
    : Target(launch == Launch::byGio ? "/bin/sh" : VELQUIN_STANDIN, standInArguments(options, scenarioPath, launch),
             standInEnvironment(environment, launch)),
      scenarioPath_(std::move(scenarioPath)) {}

StandIn::~StandIn() {
    kill();
    ::unlink(scenarioPath_.c_str());
}

std::string targetScript(const std::string& name) {
    return std::string(TARGET_SCRIPTS) + "/" + name;
}

}  // namespace ondrel::testing_support
