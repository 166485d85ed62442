// Accepting a pilot: reading the grid, the statistics with the direct
// jackknife.
#include <benchmark/benchmark.h>

#include <random>

#include "commands/pilot_commands.h"
#include "platform/scripted/scripted_platform.h"

namespace {

void BM_AcceptPilot(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    velta::Session s;
    std::mt19937_64 gen(42);
    for (int r = 1; r <= n; ++r)
        s.units.SetCell(1, r, std::to_string(10.0 + static_cast<double>(gen() % 100000) / 1000.0));
    velta::ScriptedPlatform ui;
    for (auto _ : state) {
        s.analysis.Clear();
        const bool ok = velta::AcceptUnits(s, ui, velta::PilotSource());
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_AcceptPilot)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
