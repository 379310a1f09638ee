// The cost of laying out the authentication strip from the tally's states, which the window
// does on every repaint while a scan runs: a 4 GiB image (8.1 million records) fully judged,
// and a damaged header stating four billion blocks of which few were judged. Target: well
// under the strip's 40 ms poll period.
#include "analysis/strip_states.h"
#include "controls/strip_layout.h"

#include <benchmark/benchmark.h>

namespace {

constexpr std::uint32_t kRecordsIn4GiB = 8134407;   // (4 GiB - header) / 528

void BM_LayoutJudged4GiB(benchmark::State& state) {
    tvx::StripStates strip;
    if (!strip.Allocate(kRecordsIn4GiB, 1)) {
        state.SkipWithError("no memory for the strip");
        return;
    }
    for (std::int32_t i = -1; i < static_cast<std::int32_t>(kRecordsIn4GiB); ++i)
        strip.SetBlock(i, i % 1000 == 7 ? 3 : 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(tvx::LayoutStrip(strip, static_cast<int>(state.range(0))));
}
BENCHMARK(BM_LayoutJudged4GiB)->Arg(560)->Arg(1200)->Unit(benchmark::kMillisecond);

void BM_LayoutStatedFourBillion(benchmark::State& state) {
    tvx::StripStates strip;
    if (!strip.Allocate(4000000000u, 1)) {
        state.SkipWithError("no address space for the strip");
        return;
    }
    for (std::int32_t i = -1; i < 20000; ++i)
        strip.SetBlock(i, 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(tvx::LayoutStrip(strip, 560));
}
BENCHMARK(BM_LayoutStatedFourBillion)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
