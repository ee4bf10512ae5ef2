// SPDX-License-Identifier: MIT
#include "app/ProcessSerialNumber.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ondrel {
namespace {

struct ArgumentsCase {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> expected;
};

class SerialNumbers : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(SerialNumbers, dropProcessSerialNumbers_arguments_othersKeptInOrder) {
    std::vector<std::string> arguments = GetParam().arguments;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const int count = dropProcessSerialNumbers(static_cast<int>(arguments.size()), argv.data());
    EXPECT_EQ(std::vector<std::string>(argv.begin(), argv.begin() + count), GetParam().expected);
    EXPECT_EQ(argv[static_cast<std::size_t>(count)], nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialNumbers,
                         testing::Values(ArgumentsCase{"finderFirstOpen", {"Ondrel", "-psn_0_12345"}, {"Ondrel"}},
                                         ArgumentsCase{"amongOptions",
                                                       {"Ondrel", "--interval", "2", "-psn_0_9", "--unsafe"},
                                                       {"Ondrel", "--interval", "2", "--unsafe"}},
                                         ArgumentsCase{
                                             "withoutUnderscore_kept", {"Ondrel", "-psn"}, {"Ondrel", "-psn"}},
                                         ArgumentsCase{"programNameOnly", {"Ondrel"}, {"Ondrel"}}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ondrel
