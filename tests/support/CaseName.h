// SPDX-License-Identifier: MIT
#pragma once

// Names each case of a parameterised suite after its `name` field, so CTest names stay stable and say
// what the case is (gtest's default prints the parameter's bytes, heap addresses included).

#include <gtest/gtest.h>

#include <string>

namespace ondrel::testing_support {

struct CaseName {
    template <typename Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        return std::string(info.param.name);
    }
};

}  // namespace ondrel::testing_support
