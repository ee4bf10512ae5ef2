#include "core/ActivityLog.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/CaptureOutput.h"
#include "tests/support/CaseName.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;
using testing_support::capturedStdout;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ActivityLog : public testing::Test {
protected:
    void SetUp() override { fs::remove(logFilePath()); }
};

TEST_F(ActivityLog, formatLogTimestamp_knownInstant_isoUtcWholeSeconds) {
    const auto instant = std::chrono::sys_days{std::chrono::December / 5 / 2026} + std::chrono::hours(8) +
                         std::chrono::minutes(36) + std::chrono::milliseconds(33'999);
    EXPECT_EQ(formatLogTimestamp(instant), "2026-12-05T08:36:33Z");
}

TEST_F(ActivityLog, log_message_sameLineOnStdoutAndInFileBareToSink) {
    std::vector<std::string> sunk;
    const Subscription listening = listenToLog([&](const std::string& message) { sunk.push_back(message); });

    const std::string out = capturedStdout([] { log("Pressed \"Allow\" in [Chat]"); });

    EXPECT_TRUE(
        std::regex_match(out, std::regex(R"(\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\] Pressed "Allow" in \[Chat\]\n)")))
        << out;
    EXPECT_EQ(fileText(logFilePath()), out);
    EXPECT_EQ(sunk, std::vector<std::string>{"Pressed \"Allow\" in [Chat]"});
}

TEST_F(ActivityLog, log_fileDeletedMeanwhile_recreatedWithOnlyNewLine) {
    capturedStdout([] { log("first"); });
    fs::remove(logFilePath());
    const std::string out = capturedStdout([] { log("second"); });
    EXPECT_EQ(fileText(logFilePath()), out);
}

TEST_F(ActivityLog, log_stateFolderMissing_createdPrivate) {
    fs::remove_all(fs::path(logFilePath()).parent_path());
    capturedStdout([] { log("x"); });
    struct stat info {};
    ASSERT_EQ(::stat(fs::path(logFilePath()).parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(fs::exists(logFilePath()));
}

TEST_F(ActivityLog, log_newFile_readableByTheUserAlone) {
    capturedStdout([] { log("x"); });
    struct stat info {};
    ASSERT_EQ(::stat(logFilePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

struct UnwritableCase {
    const char* name;
    void (*arrange)(const std::string& path);
};
class UnwritableLogFile : public ActivityLog, public testing::WithParamInterface<UnwritableCase> {
protected:
    void TearDown() override {
        fs::remove_all(logFilePath());
        fs::remove(elsewhere());
        ActivityLog::TearDown();
    }

public:
    static std::string elsewhere() { return logFilePath() + ".elsewhere"; }
};
TEST_P(UnwritableLogFile, log_fileNotWritable_stdoutAndSinkServedNothingWrittenThrough) {
    GetParam().arrange(logFilePath());
    int sunk = 0;
    const Subscription listening = listenToLog([&](const std::string&) { ++sunk; });
    const std::string out = capturedStdout([] { log("still here"); });
    EXPECT_NE(out.find("] still here\n"), std::string::npos);
    EXPECT_EQ(sunk, 1);
    EXPECT_EQ(fileText(UnwritableLogFile::elsewhere()), "");
}
INSTANTIATE_TEST_SUITE_P(Cases, UnwritableLogFile,
                         testing::Values(UnwritableCase{"folderInItsPlace",
                                                        [](const std::string& path) { fs::create_directories(path); }},
                                         UnwritableCase{"symbolicLinkInItsPlace",
                                                        [](const std::string& path) {
                                                            fs::create_directories(fs::path(path).parent_path());
                                                            std::ofstream(UnwritableLogFile::elsewhere()).flush();
                                                            fs::create_symlink(UnwritableLogFile::elsewhere(), path);
                                                        }}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ActivityLog, appendToFile_manyWritersAtOnce_noLineTornOrLost) {
    const std::string& path = logFilePath();
    constexpr int writers = 4, linesEach = 500;
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) {
        threads.emplace_back([&, w] {
            const std::string line = std::string(300, static_cast<char>('a' + w)) + "\n";
            for (int i = 0; i < linesEach; ++i)
                appendToFile(path, line);
        });
    }
    for (auto& thread : threads)
        thread.join();

    std::ifstream in(path);
    int count = 0;
    for (std::string line; std::getline(in, line); ++count) {
        ASSERT_EQ(line.size(), 300u);
        ASSERT_EQ(line.find_first_not_of(line[0]), std::string::npos);
    }
    EXPECT_EQ(count, writers * linesEach);
}

TEST(HomeFolder, homeFolderFor_homeUnsetOrEmpty_userDatabaseEntry) {
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(homeFolderFor(""), user->pw_dir);
    EXPECT_EQ(homeFolderFor("/home/elsewhere"), "/home/elsewhere");
}

struct PathCase {
    const char* name;
    const char* home;
    const char* xdgStateHome;
    const char* expected;
};
class LogFilePath : public testing::TestWithParam<PathCase> {};
TEST_P(LogFilePath, logFilePathFor_environment_xdgStateFolderOrDefault) {
    EXPECT_EQ(logFilePathFor(GetParam().home, GetParam().xdgStateHome), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, LogFilePath,
                         testing::Values(PathCase{"xdgUnset", "/home/u", "", "/home/u/.local/state/Ondrel.log"},
                                         PathCase{"xdgAbsolute", "/home/u", "/var/state", "/var/state/Ondrel.log"},
                                         PathCase{"xdgRelative_ignored", "/home/u", "relative/state",
                                                  "/home/u/.local/state/Ondrel.log"}),
                         testing_support::CaseName());

}  // namespace
}  // namespace ondrel
