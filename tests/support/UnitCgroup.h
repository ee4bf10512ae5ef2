// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace ondrel::testing_support {

// A cgroup named like the systemd unit a desktop starts an application in (GNOME Shell and KDE
// Plasma start every application in one), made in the unified hierarchy or, on hybrid systems,
// systemd's own. Declare it before the targets it holds: it can be removed only once they are gone.
class UnitCgroup {
public:
    explicit UnitCgroup(const std::string& unit) {
        const std::string root = hierarchy();
        if (root.empty())
            return;
        parent_ = root + "/ondrel-test-" + std::to_string(::getpid()) + "-" + unit;
        folder_ = parent_ + "/" + unit;
        std::error_code error;
        std::filesystem::create_directories(folder_, error);
        if (error)
            folder_.clear();
    }
    ~UnitCgroup() {
        std::error_code error;
        std::filesystem::remove(folder_, error);
        std::filesystem::remove(parent_, error);
    }
    UnitCgroup(const UnitCgroup&) = delete;
    UnitCgroup& operator=(const UnitCgroup&) = delete;

    bool add(pid_t process) const {
        std::ofstream procs(folder_ + "/cgroup.procs");
        procs << process << std::flush;
        return !folder_.empty() && procs.good();
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
};

}  // namespace ondrel::testing_support
