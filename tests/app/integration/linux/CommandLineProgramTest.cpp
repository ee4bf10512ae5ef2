// SPDX-License-Identifier: MIT
// The command-line program without Qt: "Keep a History" read from the file Qt saves the tray
// application's settings in, as Qt reads it, and the tray application it becomes found where it is or
// named as missing.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/gui/Settings.h"
#include "app/integration/linux/SavedSettings.h"
#include "app/integration/linux/TrayProgram.h"
#include "tests/support/RunProgram.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

TEST(CommandLineProgram, keepHistory_savedByQtOrWrittenByHand_readAsQtReadsIt) {
    for (const bool keep : {false, true}) {
        gui::setKeepsHistory(keep);
        EXPECT_EQ(savedKeepHistory(), keep);
    }
    const fs::path path = savedSettingsPathFor(::getenv("HOME"), "");
    int written = 0;
    for (const char* contents :
         {"[General]\nkeepHistory=0\n", "[General]\r\nkeepHistory = FALSE\r\n", "[General]\nkeepHistory=\n",
          "[General]\nkeepHistory=no\n", "[Window]\nkeepHistory=false\n", "keepHistory=false\n[General]\n",
          "[General]\nkeepHistory=true\nkeepHistory=false\n", ""}) {
        SCOPED_TRACE(contents);
        std::ofstream(path, std::ios::trunc) << contents;
        // Qt reads a file again when its time has changed.
        fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(++written));
        EXPECT_EQ(savedKeepHistory(), gui::keepsHistory());
    }
    fs::remove(path);
    EXPECT_TRUE(savedKeepHistory());
}

TEST(CommandLineProgram, trayApplication_besideInABuildInTheLibexecFolderInstalled_missingNamed) {
    EXPECT_EQ(trayProgramCandidates("/usr/bin/ondrel"),
              (std::vector<std::string>{"/usr/bin/ondrel-tray", "/usr/libexec/ondrel/ondrel-tray"}));

    // The command-line program alone: its own modes work, the application is named as missing.
    const fs::path folder = fs::temp_directory_path() / ("ondrel-alone-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::copy_file(ONDREL_BINARY, folder / "ondrel");
    const auto help = testing_support::runProgram(folder / "ondrel", {"--help"});
    const auto application = testing_support::runProgram(folder / "ondrel", {"--interval", "2"});
    fs::remove_all(folder);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(application.status, 1);
    EXPECT_NE(application.out.find("] The tray application is not installed beside " + (folder / "ondrel").string() +
                                   "; the command-line modes work without it (ondrel --help).\n"),
              std::string::npos)
        << application.out;
}

}  // namespace
}  // namespace ondrel
