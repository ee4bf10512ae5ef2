// SPDX-License-Identifier: MIT
#pragma once

// Captures what a block writes to standard output (the log's and the listing's stream).

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace ondrel::testing_support {

inline std::string capturedStdout(const std::function<void()>& block) {
    ::testing::internal::CaptureStdout();
    block();
    return ::testing::internal::GetCapturedStdout();
}

}  // namespace ondrel::testing_support
