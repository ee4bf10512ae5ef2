// SPDX-License-Identifier: MIT
// dangerMatch over a clean 600-character prompt: all 40 substring tests fail, the worst case.

#include <benchmark/benchmark.h>

#include <string>

#include "core/DangerMatcher.h"

namespace {

std::string cleanPrompt() {
    const std::string sentence = "velquin would like to run the formatter on src/main.cpp and show the diff. ";
    std::string text;
    while (text.size() < 600)
        text += sentence;
    text.resize(600);
    return text;
}

void BM_dangerMatch_cleanPrompt600(benchmark::State& state) {
    const std::string text = cleanPrompt();
    if (ondrel::dangerMatch(text))
        state.SkipWithError("the prompt is meant to be clean");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ondrel::dangerMatch(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_dangerMatch_cleanPrompt600);

}  // namespace
