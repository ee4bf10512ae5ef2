// SPDX-License-Identifier: MIT
#pragma once

// Files for tests: a whole file read back, and a scratch folder removed with the object.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace ondrel::testing_support {

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ondrel-scratch-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
    }
    ~ScratchFolder() {
        if (!root_.empty())
            std::filesystem::remove_all(root_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& relative = "") const {
        return relative.empty() ? root_ : root_ + "/" + relative;
    }
    // Writes `text` to the file at `relative`, folders made as needed; returns its path.
    std::string write(const std::string& relative, const std::string& text, bool executable = false) const {
        const std::string file = path(relative);
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file) << text;
        if (executable)
            std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        return file;
    }

private:
    std::string root_;
};

}  // namespace ondrel::testing_support
