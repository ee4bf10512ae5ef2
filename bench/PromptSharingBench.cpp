// SPDX-License-Identifier: MIT
// Safe mode's prompt reading for one box of 300 enabled Allow buttons and no text, the shape that
// made one pass take 83 s over AT-SPI. "eachButtonAlone" gives every button a reader of its own, so
// each climbs and gathers its six containers again, as every button did before the readers shared
// their gathers; "sharedInWindow" is what a pass does now. Reported per pass, with the reads made.

#include <benchmark/benchmark.h>

#include "core/Engine.h"
#include "core/PromptReader.h"
#include "platform/fake/FakePlatform.h"

namespace {

using ondrel::Element;

constexpr int buttons = 300;

// The box sits six containers deep, so every climb has its full six levels to go.
Element buildWindow(ondrel::fake::FakePlatform& platform) {
    Element window = platform.addWindow(platform.addProcess(1), "Chat");
    Element box = window;
    for (int level = 0; level < 6; ++level)
        box = platform.addGroup(box);
    for (int i = 0; i < buttons; ++i)
        platform.addButton(box, "Allow");
    return window;
}

template <bool shared>
void BM_promptTexts_300ButtonsOneBox(benchmark::State& state) {
    ondrel::fake::FakePlatform platform;
    const Element window = buildWindow(platform);
    ondrel::Scanner scanner(platform);
    const auto found = scanner.findButtons(window, {"Allow"}, false);
    if (found.size() != buttons)
        state.SkipWithError("the buttons were not found");

    const std::size_t before = platform.reads;
    for (auto _ : state) {
        ondrel::PromptReader sharedReader(scanner, ondrel::promptTextLimit, found);
        for (const ondrel::FoundButton& button : found) {
            if constexpr (shared) {
                benchmark::DoNotOptimize(sharedReader.textAround(button));
            } else {
                ondrel::PromptReader alone(scanner, ondrel::promptTextLimit, found);
                benchmark::DoNotOptimize(alone.textAround(button));
            }
        }
    }
    state.counters["reads_per_pass"] =
        static_cast<double>(platform.reads - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_promptTexts_300ButtonsOneBox<false>)
    ->Name("BM_promptTexts_300ButtonsOneBox/eachButtonAlone")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_promptTexts_300ButtonsOneBox<true>)
    ->Name("BM_promptTexts_300ButtonsOneBox/sharedInWindow")
    ->Unit(benchmark::kMillisecond);

}  // namespace
