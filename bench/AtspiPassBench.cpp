// SPDX-License-Identifier: MIT
// A real pass over AT-SPI: the stand-in Velquin must be running with bench/atspi-window.scenario
// inside a private desktop session (bench/atspi-compare.sh arranges all of it). Reports the time per
// pass and the accessibility calls per examined element.

#include <benchmark/benchmark.h>
#include <cstdio>

#include "bench/CountingPlatform.h"
#include "bench/QuietStdout.h"
#include "core/ActivityLog.h"
#include "core/Engine.h"

namespace {

void BM_atspiPass_2000Widgets(benchmark::State& state) {
    auto real = ondrel::createPlatform();
    if (!real->isProcessTrusted())
        real->requestTrust();
    ondrel::bench::CountingPlatform platform(*real);
    ondrel::Scanner scanner(platform);
    ondrel::Options options;
    options.dryRun = true;  // the prompt stays, so every pass does the same work

    int found = 0;
    ondrel::Subscription listening =
        ondrel::listenToLog([&](const std::string& message) { found += message.starts_with("DRY-RUN") ? 1 : 0; });
    {
        ondrel::bench::QuietStdout quiet;
        for (auto _ : state)
            benchmark::DoNotOptimize(ondrel::runPass(scanner, options));
    }
    listening.reset();

    if (found != static_cast<int>(state.iterations()))
        state.SkipWithError("the stand-in's Allow button was not found");
    const double passes = static_cast<double>(state.iterations());
    const double examined = static_cast<double>(platform.reads[ondrel::ax::attribute::role]);
    state.counters["elements_per_pass"] = examined / passes;
    state.counters["calls_per_element"] = static_cast<double>(platform.total()) / examined;
}
BENCHMARK(BM_atspiPass_2000Widgets)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
