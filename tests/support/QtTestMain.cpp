// Qt tests run on the offscreen platform in a private, empty home folder.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "ondrel-qt-test-home-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        return 2;
    ::setenv("HOME", folder.c_str(), 1);
    ::unsetenv("XDG_STATE_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return status;
}
