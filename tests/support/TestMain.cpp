// SPDX-License-Identifier: MIT
// Every test process runs in a private, empty home folder.

#include <gtest/gtest.h>

#include "tests/support/PrivateHome.h"

int main(int argc, char** argv) {
    ondrel::testing_support::PrivateHome home;
    if (!home.ready())
        return 2;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
