// The "Automatic" command on a generated and trimmed cloud: the breakpoint
// search, the standard deviations' lines, the statistics and the hand-over to
// the manual size, then the view of the session.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "commands/command_table.h"
#include "commands/generate.h"
#include "commands/pilot_commands.h"
#include "platform/scripted/scripted_platform.h"
#include "view/window_view.h"

namespace {

using namespace velta;

void BM_Automatic(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    Session trimmed;
    for (int32_t i = 1; i <= n; ++i) trimmed.units.SetCell(1, i, 20.0 + std::fmod(i * 7.31, 9.7));
    ScriptedPlatform ui;  // answers Yes to the question about many samples
    AcceptUnits(trimmed, ui, PilotSource());
    trimmed.inputs.virtualSamples = std::to_string(v);
    Generate(trimmed, ui);
    RunCommand(trimmed, ui, Command::Trim);

    for (auto _ : state) {
        state.PauseTiming();
        Session s = trimmed;  // shares the tables: cheap
        ui.messages.clear();
        state.ResumeTiming();
        RunCommand(s, ui, Command::Automatic);
        const WindowView view = WindowViewOf(s);
        benchmark::DoNotOptimize(view.meansChart.lines);
        state.PauseTiming();
        if (view.automaticSize.empty()) state.SkipWithError(ui.LastMessage().c_str());
        state.counters["size"] = std::stod("0" + view.automaticSize);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Automatic)
    ->Args({20, 184756})
    ->Args({200, 10000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
