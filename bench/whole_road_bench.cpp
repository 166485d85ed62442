// One analysis from end to end without rendering: generation, trimming,
// Automatic, one slider move, Student-t and the report written to a file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/commands.h"
#include "data/presample.h"
#include "engine/generation_command.h"
#include "analysis/random.h"
#include "model/workspace.h"
#include "platform/scripted/scripted_platform.h"

namespace {

using namespace velta;

void BM_WholeRoad(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    const std::string report = (std::filesystem::temp_directory_path() /
                                ("velta_bench_" + std::to_string(::getpid()) + ".dat"))
                                   .string();
    ScriptedPlatform ui;
    RandomSource rng;
    for (auto _ : state) {
        state.PauseTiming();
        Workspace ws;
        Form_Load(ws);
        for (int32_t i = 1; i <= n; ++i) ws.sprMain.SetCell(1, i, 20.0 + std::fmod(i * 7.31, 9.7));
        ComputePreSampleStats(ws, ui);
        ws.txtLimite.text = std::to_string(v);
        ws.Text1.text = "2";
        ui.messages.clear();
        state.ResumeTiming();

        RunGeneration(ws, ui, rng);
        const bool trimmed = RunCommand(ws, ui, FormCommand::Trim);
        const bool automatic = RunCommand(ws, ui, FormCommand::Automatic);
        const bool moved = RunSlider(ws, ui, n / 2);
        const bool student = RunCommand(ws, ui, FormCommand::StudentT);
        ui.files.push_back(report);
        const bool saved = RunCommand(ws, ui, FormCommand::ConfigurationAndResults);

        // The questions of a large generation and the guidance of Automatic
        // are expected; a warning or an error is not.
        std::erase_if(ui.messages, [](const ScriptedPlatform::Message& m) {
            return m.icon != MsgIcon::Critical && m.icon != MsgIcon::Exclamation;
        });
        if (!trimmed || !automatic || !moved || !student || !saved || !ui.messages.empty() ||
            ws.Text3.text.empty() || ws.Text4.text.empty() || ws.Text5.text.empty()) {
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
