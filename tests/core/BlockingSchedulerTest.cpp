// SPDX-License-Identifier: MIT
#include "core/BlockingScheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace ondrel {
namespace {

// Timers fire in due order, a repeating one again and again, one whose handle went never; work posted
// from another thread wakes the sleeping loop; stop() ends run().
TEST(BlockingScheduler, run_timersAndPostedWork_inOrderCancelledNeverStopEnds) {
    BlockingScheduler loop;
    std::vector<std::string> ran;
    std::atomic<int> repeats = 0;
    std::atomic<bool> soonerRan = false;
    auto cancelled = loop.scheduleOnce(0.001, [&] { ran.push_back("cancelled"); });
    cancelled.reset();
    auto never = loop.scheduleOnce(60, [&] { ran.push_back("never"); });
    auto later = loop.scheduleOnce(0.02, [&] { ran.push_back("later"); });
    auto sooner = loop.scheduleOnce(0.01, [&] {
        ran.push_back("sooner");
        soonerRan = true;
    });
    auto repeating = loop.scheduleRepeating(0.002, [&] { ++repeats; });
    std::thread poster([&] {
        while (!soonerRan || repeats < 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        loop.post([&] {
            ran.push_back("posted");
            loop.stop();
        });
    });
    loop.run();
    poster.join();
    ASSERT_GE(ran.size(), 2u);
    EXPECT_EQ(ran.front(), "sooner");
    EXPECT_EQ(ran.back(), "posted");
    EXPECT_LE(ran.size(), 3u);  // "later" only if it came due while the poster slept
}

}  // namespace
}  // namespace ondrel
