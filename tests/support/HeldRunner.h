// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "core/BackgroundRunner.h"

namespace ondrel::testing_support {

// Passes that run elsewhere: the test says when each one ends.
class HeldRunner final : public BackgroundRunner {
public:
    void run(std::function<void()> job, std::function<void()> done) override {
        held.emplace_back(std::move(job), std::move(done));
    }
    void finishOne() {
        auto [job, done] = std::move(held.front());
        held.erase(held.begin());
        job();
        if (done)
            done();
    }
    std::vector<std::pair<std::function<void()>, std::function<void()>>> held;
};

}  // namespace ondrel::testing_support
