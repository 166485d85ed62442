// The "Automatic" command on a generated and trimmed cloud: the breakpoint
// search, both charts' lines and automatic lines, and the hand-over to the
// manual drawing. Each run starts from the freshly trimmed workspace.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "app/commands.h"
#include "data/presample.h"
#include "engine/generation_command.h"
#include "model/workspace.h"
#include "platform/scripted/scripted_platform.h"
#include "regression/automatic.h"

namespace {

using namespace velta;

void BM_Automatic(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    Workspace trimmed;
    Form_Load(trimmed);
    for (int32_t i = 1; i <= n; ++i) trimmed.sprMain.SetCell(1, i, 20.0 + std::fmod(i * 7.31, 9.7));
    ScriptedPlatform ui;  // answers Yes to the question about many samples
    ComputePreSampleStats(trimmed, ui);
    trimmed.txtLimite.text = std::to_string(v);
    RandomSource rng;
    RunGeneration(trimmed, ui, rng);
    RunCommand(trimmed, ui, FormCommand::Trim);

    for (auto _ : state) {
        state.PauseTiming();
        Workspace ws = trimmed;
        ui.messages.clear();
        state.ResumeTiming();
        cmdAutoSampleSize_Click(ws, ui);
        benchmark::DoNotOptimize(ws.VtChart1.Data().Row(0));
        state.PauseTiming();
        if (ws.AutoSizeDone != "1") state.SkipWithError(ui.LastMessage().c_str());
        state.counters["size"] = std::stod("0" + ws.Text3.text);
        ws = Workspace();  // the copy's memory goes outside the timing
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Automatic)
    ->Args({20, 184756})
    ->Args({200, 10000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
