// SPDX-License-Identifier: MIT
// One pass over a 20000-element window: 500 buttons that do not match, one Allow button inside a
// 400-character prompt, safe mode on. Measures the core's own cost with the in-memory platform,
// whose reads are map look-ups; reported per examined element.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/QuietStdout.h"
#include "core/ActivityLog.h"
#include "core/Engine.h"
#include "platform/fake/FakePlatform.h"

namespace {

constexpr std::size_t elements = 20000;

void buildWindow(ondrel::fake::FakePlatform& platform) {
    using ondrel::Element;
    Element window = platform.addWindow(platform.addProcess(1), "Chat");
    // A tree of 20 children per element, four levels deep: groups, texts and every 39th a button.
    std::vector<Element> nodes{window};
    std::size_t buttons = 0;
    while (nodes.size() < elements - 3) {
        const std::size_t index = nodes.size();
        const Element& parent = nodes[(index - 1) / 20];
        Element child = (index % 39 == 0 && buttons < 500)
                            ? (++buttons, platform.addButton(parent, "Cancel " + std::to_string(buttons)))
                        : (index % 3 == 0) ? platform.addText(parent, "line " + std::to_string(index))
                                           : platform.addGroup(parent);
        nodes.push_back(std::move(child));
    }
    Element prompt = platform.addGroup(window);
    platform.addText(prompt, std::string(380, 'w') + " read file?");
    platform.addButton(prompt, "Allow");
}

void BM_runPass_20000Elements_safeMode(benchmark::State& state) {
    ondrel::fake::FakePlatform platform;
    buildWindow(platform);
    ondrel::Scanner scanner(platform);
    ondrel::Options options;
    options.dryRun = true;  // the same decisions every pass; nothing changes in the scene
    int dryRunLines = 0;
    ondrel::Subscription listening = ondrel::listenToLog(
        [&](const std::string& message) { dryRunLines += message.starts_with("DRY-RUN") ? 1 : 0; });

    {
        ondrel::bench::QuietStdout quiet;
        for (auto _ : state)
            benchmark::DoNotOptimize(ondrel::runPass(scanner, options));
    }
    listening.reset();

    if (dryRunLines != static_cast<int>(state.iterations()))
        state.SkipWithError("the Allow button was not found");
    state.counters["reads_per_pass"] = static_cast<double>(platform.reads) / static_cast<double>(state.iterations());
    state.counters["ns_per_element"] = benchmark::Counter(static_cast<double>(state.iterations()) * elements,
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_runPass_20000Elements_safeMode)->Unit(benchmark::kMillisecond);

}  // namespace
