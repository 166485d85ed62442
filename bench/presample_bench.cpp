// Accepting a pre-sample: reading sprMain, the statistics with the direct
// jackknife, and the field texts.
#include <benchmark/benchmark.h>

#include <random>

#include "model/workspace.h"
#include "data/presample.h"
#include "platform/scripted/scripted_platform.h"

namespace {

void BM_ComputePreSampleStats(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    velta::Workspace ws;
    velta::Form_Load(ws);
    std::mt19937_64 gen(42);
    for (int r = 1; r <= n; ++r)
        ws.sprMain.SetCell(1, r, std::to_string(10.0 + static_cast<double>(gen() % 100000) / 1000.0));
    velta::ScriptedPlatform ui;
    for (auto _ : state) {
        const bool ok = velta::ComputePreSampleStats(ws, ui);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_ComputePreSampleStats)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
