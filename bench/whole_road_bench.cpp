// One analysis from end to end without rendering: generation, trimming,
// Automatic, one slider move, Student-t and the report written to a file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/random.h"
#include "commands/command_table.h"
#include "commands/generate.h"
#include "commands/pilot_commands.h"
#include "platform/scripted/scripted_platform.h"
#include "view/window_view.h"

namespace {

using namespace velta;

void BM_WholeRoad(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    const std::string report = (std::filesystem::temp_directory_path() /
                                ("velta_bench_" + std::to_string(::getpid()) + ".dat"))
                                   .string();
    ScriptedPlatform ui;
    for (auto _ : state) {
        state.PauseTiming();
        Session s;
        for (int32_t i = 1; i <= n; ++i) s.units.SetCell(1, i, 20.0 + std::fmod(i * 7.31, 9.7));
        AcceptUnits(s, ui, PilotSource());
        s.inputs.virtualSamples = std::to_string(v);
        s.inputs.maxError = "2";
        ui.messages.clear();
        state.ResumeTiming();

        Generate(s, ui);
        const bool trimmed = RunCommand(s, ui, Command::Trim);
        const bool automatic = RunCommand(s, ui, Command::Automatic);
        const bool moved = MoveSlider(s, ui, n / 2);
        const bool student = RunCommand(s, ui, Command::StudentT);
        ui.files.push_back(report);
        const bool saved = RunCommand(s, ui, Command::WriteReport);
        const WindowView view = WindowViewOf(s);

        // The questions of a large generation and the guidance of Automatic
        // are expected; a warning or an error is not.
        std::erase_if(ui.messages, [](const ScriptedPlatform::Message& m) {
            return m.icon != MsgIcon::Critical && m.icon != MsgIcon::Exclamation;
        });
        if (!trimmed || !automatic || !moved || !student || !saved || !ui.messages.empty() ||
            view.automaticSize.empty() || view.manualSize.empty() || view.studentTSize.empty()) {
            // The benchmark library keeps the pointer, not the text.
            static std::string why;
            why = ui.messages.empty() ? "a step of the road was refused" : ui.LastMessage();
            state.SkipWithError(why.c_str());
            break;
        }
    }
    std::filesystem::remove(report);
}
BENCHMARK(BM_WholeRoad)->Args({20, 184756})->Unit(benchmark::kMillisecond);

}  // namespace
