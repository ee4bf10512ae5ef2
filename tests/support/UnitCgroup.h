// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace ondrel::testing_support {

// A cgroup named like the systemd unit a desktop starts an application in (GNOME Shell and KDE
// Plasma start every application in one), made in the unified hierarchy or, on hybrid systems,
// systemd's own. Declare it before the targets it holds: it can be removed only once they are gone.
// A container or a chroot often has no such hierarchy, or only a read-only one: then missing() says
// so, for the test to skip with.
class UnitCgroup {
public:
    explicit UnitCgroup(const std::string& unit) {
        const std::string root = hierarchy();
        if (root.empty()) {
            missing_ = "no cgroup2 or systemd cgroup hierarchy is mounted";
            return;
        }
        parent_ = root + "/ondrel-test-" + std::to_string(::getpid()) + "-" + unit;
        folder_ = parent_ + "/" + unit;
        std::error_code error;
        std::filesystem::create_directories(folder_, error);
        if (error)
            missing_ = "cannot create " + folder_ + ": " + error.message();
        // In a chroot the mount table can be the host's while the folder is an ordinary one.
        else if (!std::filesystem::exists(folder_ + "/cgroup.procs", error))
            missing_ = root + " is not a cgroup file system here";
    }
    ~UnitCgroup() {
        std::error_code error;
        std::filesystem::remove(folder_, error);
        std::filesystem::remove(parent_, error);
    }
    UnitCgroup(const UnitCgroup&) = delete;
    UnitCgroup& operator=(const UnitCgroup&) = delete;

    bool add(pid_t process) const {
        if (!missing_.empty())
            return false;
        std::ofstream procs(folder_ + "/cgroup.procs");
        procs << process << std::flush;
        return procs.good();
    }

    // Empty when the cgroup is there; otherwise why there is none.
    std::string missing() const {
        if (missing_.empty())
            return {};
        return "no writable cgroup here (needs a writable cgroup2 or systemd hierarchy, as root outside a "
               "container): " +
               missing_;
    }

private:
    static std::string hierarchy() {
        std::ifstream mounts("/proc/self/mounts");
        std::string systemdNamed;
        for (std::string device, point, type, options, rest; mounts >> device >> point >> type >> options;) {
            std::getline(mounts, rest);
            if (type == "cgroup2")
                return point;
            if (type == "cgroup" && options.find("name=systemd") != std::string::npos)
                systemdNamed = point;
        }
        return systemdNamed;
    }

    std::string parent_;
    std::string folder_;
    std::string missing_;
};

}  // namespace ondrel::testing_support
