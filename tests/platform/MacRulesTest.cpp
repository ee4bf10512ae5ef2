#include "platform/macos/MacRules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/macos/MacWording.h"

namespace ondrel::macos {
namespace {

auto caseName = [](const auto& info) { return std::string(info.param.name); };

struct MessageCase {
    const char* name;
    Message message;
    AXError result;
    bool marks;
};

class MessageRule : public testing::TestWithParam<MessageCase> {};

TEST_P(MessageRule, mayMarkUnresponsive_messageAndResult_onlyTimedOutAttributeCalls) {
    EXPECT_EQ(mayMarkUnresponsive(GetParam().message, GetParam().result), GetParam().marks);
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageRule,
                         testing::Values(MessageCase{"attributeCannotComplete", Message::attribute, axCannotComplete, true},
                                         MessageCase{"pressCannotComplete", Message::press, axCannotComplete, false},
                                         MessageCase{"attributeOtherFailure", Message::attribute, axFailure, false},
                                         MessageCase{"pressSucceeded", Message::press, axSuccess, false}),
                         caseName);

TEST(TargetProcess, isTargetProcess_onlyRealProcessIds) {
    EXPECT_FALSE(isTargetProcess(-1));  // an application without a process
    EXPECT_FALSE(isTargetProcess(0));
    EXPECT_TRUE(isTargetProcess(1));
}

struct RequestCase {
    const char* name;
    std::size_t count, index, maxValues, expected;
};

class ValuesRequest : public testing::TestWithParam<RequestCase> {};

TEST_P(ValuesRequest, valuesToRequest_countIndexLimit_neverPastTheEnd) {
    const RequestCase& c = GetParam();
    EXPECT_EQ(valuesToRequest(c.count, c.index, c.maxValues), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValuesRequest,
                         testing::Values(RequestCase{"limitAboveCount", 5, 0, 20000, 5},
                                         RequestCase{"limitBelowCount", 5, 0, 3, 3},
                                         RequestCase{"fromIndexToEnd", 5, 3, SIZE_MAX, 2},
                                         RequestCase{"indexAtEnd", 5, 5, 3, 0},
                                         RequestCase{"indexPastEnd", 5, 9, 3, 0},
                                         RequestCase{"emptyList", 0, 0, SIZE_MAX, 0}),
                         caseName);

TEST(Utf8Buffer, utf8BufferSize_notFoundAnswer_noBufferOtherwiseThatSize) {
    EXPECT_EQ(utf8BufferSize(-1), std::nullopt);  // kCFNotFound: the size would overflow
    EXPECT_EQ(utf8BufferSize(0), 0u);
    EXPECT_EQ(utf8BufferSize(12), 12u);
}

TEST(MacWording, macWording_launchedAsApp_textsUnchanged) {
    const PlatformWording wording = macWording({});
    EXPECT_EQ(wording.permissionMissing, "NO Accessibility permission yet. Enable Ondrel under System Settings > "
                                         "Privacy & Security > Accessibility. Retrying every 10s.");
    EXPECT_EQ(wording.permissionBanner,
              "Accessibility permission is required before this can click anything.\n\n1. Open the settings below and "
              "enable \"Ondrel\"\n2. Then press Recheck. macOS only reports the permission to a freshly started "
              "process, so the app restarts itself.");
}

TEST(MacWording, macWording_fromTerminal_commandLineNamesTheTerminalBannerUnchanged) {
    const PlatformWording wording = macWording({.startedFromTerminal = true});
    EXPECT_TRUE(wording.permissionMissing.starts_with("NO Accessibility permission yet. "));
    EXPECT_NE(wording.permissionMissing.find("enable your terminal app"), std::string::npos);
    EXPECT_EQ(wording.permissionBanner, macWording({}).permissionBanner);
}

}  // namespace
}  // namespace ondrel::macos
