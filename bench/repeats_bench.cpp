// The repeats of the automatic size, as the window runs them after
// Automatic: R whole roads (generation, trimming, the automatic procedure)
// on every core, wall time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "analysis/generation.h"
#include "analysis/repeats.h"

namespace {

using namespace velta;

void BM_Repeats(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    RepeatInputs in;
    in.units.assign(1, 0.0);
    for (int32_t i = 1; i <= n; ++i) in.units.push_back(20.0 + std::fmod(i * 7.31, 9.7));
    in.samples = static_cast<int32_t>(state.range(1));
    in.jump = JumpFor(n);
    in.percent = 5;
    in.seed = 5489;
    const auto R = static_cast<int32_t>(state.range(2));
    const auto cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    const std::atomic<bool> cancel{false};
    for (auto _ : state) {
        std::atomic<int32_t> done{0};
        const auto sizes = RepeatAutomaticSizes(in, R, cores, cancel, done);
        benchmark::DoNotOptimize(sizes.data());
    }
}
BENCHMARK(BM_Repeats)->Args({20, 30000, 20})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
