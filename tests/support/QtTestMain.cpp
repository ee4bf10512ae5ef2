// SPDX-License-Identifier: MIT
// Qt tests run on the offscreen platform in a private, empty home folder.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "tests/support/PrivateHome.h"

int main(int argc, char** argv) {
    ondrel::testing_support::PrivateHome home;
    if (!home.ready())
        return 2;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
