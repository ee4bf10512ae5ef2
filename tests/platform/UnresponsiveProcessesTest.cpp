// SPDX-License-Identifier: MIT
#include "platform/common/UnresponsiveProcesses.h"

#include <gtest/gtest.h>

#include <chrono>

namespace ondrel::platform {
namespace {

TEST(Unresponsive, noteFailure_onlyNearTimeout_marksUntilCleared) {
    using namespace std::chrono_literals;
    UnresponsiveProcesses unresponsive(800ms);
    unresponsive.noteFailure(1, 5ms);  // an element that went away
    EXPECT_FALSE(unresponsive.contains(1));
    unresponsive.noteFailure(1, 790ms);
    EXPECT_TRUE(unresponsive.contains(1));
    EXPECT_FALSE(unresponsive.contains(2));
    unresponsive.clear();
    EXPECT_FALSE(unresponsive.contains(1));
}

}  // namespace
}  // namespace ondrel::platform
