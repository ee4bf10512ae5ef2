#include "platform/macos/MacRules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

TEST(Utf8Buffer, utf8BufferSize_notFoundAnswer_noBufferOtherwiseThatSize) {
    EXPECT_EQ(utf8BufferSize(-1), std::nullopt);  // kCFNotFound: the size would overflow
    EXPECT_EQ(utf8BufferSize(0), 0u);
    EXPECT_EQ(utf8BufferSize(12), 12u);
}

}  // namespace
}  // namespace ondrel::macos
