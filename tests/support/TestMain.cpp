// Every test process gets a private, empty home folder before anything resolves the log file,
// so no test writes into the real user's logs.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "ondrel-test-home-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        return 2;
    ::setenv("HOME", folder.c_str(), 1);
    ::unsetenv("XDG_STATE_HOME");

    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return status;
}
