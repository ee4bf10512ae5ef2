// SPDX-License-Identifier: MIT
#pragma once

// A fresh, empty home folder for the whole test process, set before anything resolves the log file
// or the settings, so no test writes into the real user's files. Removed at the end.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace ondrel::testing_support {

class PrivateHome {
public:
    PrivateHome() {
        folder_ = (std::filesystem::temp_directory_path() / "ondrel-test-home-XXXXXX").string();
        if (::mkdtemp(folder_.data()) == nullptr) {
            folder_.clear();
            return;
        }
        ::setenv("HOME", folder_.c_str(), 1);
        ::unsetenv("XDG_STATE_HOME");
        ::unsetenv("XDG_CONFIG_HOME");
    }
    ~PrivateHome() {
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    bool ready() const { return !folder_.empty(); }

private:
    std::string folder_;
};

}  // namespace ondrel::testing_support
