// SPDX-License-Identifier: MIT
#include "core/ActivityLog.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>

#include "tests/support/CaptureOutput.h"
#include "tests/support/Files.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using testing_support::capturedStdout;
using testing_support::readFile;

class ActivityLog : public testing::Test {
protected:
    void SetUp() override { fs::remove(logFilePath()); }
};

TEST_F(ActivityLog, formatLogTimestamp_knownInstant_isoUtcWholeSeconds) {
    const auto instant = std::chrono::sys_days{std::chrono::December / 5 / 2026} + std::chrono::hours(8) +
                         std::chrono::minutes(36) + std::chrono::milliseconds(33'999);
    EXPECT_EQ(formatLogTimestamp(instant), "2026-12-05T08:36:33Z");
}

// Where the state folder is missing it is made, readable by the user alone, and so is the file.
TEST_F(ActivityLog, log_message_sameLineOnStdoutAndInPrivateFileBareToSinkFileMadeAgainIfDeleted) {
    fs::remove_all(fs::path(logFilePath()).parent_path());
    std::vector<std::string> sunk;
    const Subscription listening = listenToLog([&](const std::string& message) { sunk.push_back(message); });

    const std::string out = capturedStdout([] { log("Pressed \"Allow\" in [Chat]"); });

    EXPECT_TRUE(
        std::regex_match(out, std::regex(R"(\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\] Pressed "Allow" in \[Chat\]\n)")))
        << out;
    EXPECT_EQ(readFile(logFilePath()), out);
    EXPECT_EQ(sunk, std::vector<std::string>{"Pressed \"Allow\" in [Chat]"});
    EXPECT_EQ(fs::status(fs::path(logFilePath()).parent_path()).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(logFilePath()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::remove(logFilePath());  // deleted meanwhile: made again, with only the new line
    const std::string again = capturedStdout([] { log("second"); });
    EXPECT_EQ(readFile(logFilePath()), again);
}

// A FIFO without a reader once held the whole watch loop at its open.
TEST_F(ActivityLog, log_folderLinkOrFifoInTheFilesPlace_stdoutAndSinkServedNothingWrittenThroughNoWait) {
    const std::string elsewhere = logFilePath() + ".elsewhere";
    fs::create_directories(fs::path(logFilePath()).parent_path());
    std::ofstream(elsewhere).flush();
    for (const char* kind : {"folder", "symbolic link", "fifo"}) {
        SCOPED_TRACE(kind);
        fs::remove_all(logFilePath());
        if (kind == std::string("symbolic link"))
            fs::create_symlink(elsewhere, logFilePath());
        else if (kind == std::string("fifo"))
            ASSERT_EQ(::mkfifo(logFilePath().c_str(), 0600), 0);
        else
            fs::create_directories(logFilePath());
        int sunk = 0;
        const Subscription listening = listenToLog([&](const std::string&) { ++sunk; });
        const std::string out = capturedStdout([] { log("still here"); });
        EXPECT_NE(out.find("] still here\n"), std::string::npos);
        EXPECT_EQ(sunk, 1);
        EXPECT_EQ(readFile(elsewhere), "");
    }
    fs::remove_all(logFilePath());
    fs::remove(elsewhere);
}

TEST(LogFilePath, logFilePathFor_homeAndXdgStateHome_xdgStateFolderWhenAbsoluteHomeFromUserDatabase) {
    EXPECT_EQ(logFilePathFor("/home/u", ""), "/home/u/.local/state/Ondrel.log");
    EXPECT_EQ(logFilePathFor("/home/u", "/var/state"), "/var/state/Ondrel.log");
    EXPECT_EQ(logFilePathFor("/home/u", "relative/state"), "/home/u/.local/state/Ondrel.log");
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(homeFolderFor(""), user->pw_dir);
    EXPECT_EQ(homeFolderFor("/home/elsewhere"), "/home/elsewhere");
}

}  // namespace
}  // namespace ondrel
