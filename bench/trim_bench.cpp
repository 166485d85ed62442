// Trimming both clouds, and one slider move: the statistics at the size, the
// view of the session and, with the window's chart views, the repaint.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "analysis/trimming.h"
#include "commands/command_table.h"
#include "commands/generate.h"
#include "commands/pilot_commands.h"
#include "platform/scripted/scripted_platform.h"
#include "view/window_view.h"

#ifdef VELTA_BENCH_GUI
#include <QApplication>
#include <QImage>

#include "platform/qt/chart_view.h"
#endif

namespace {

using namespace velta;

// A session after a generation of v virtual samples from n units.
void Generated(Session& s, ScriptedPlatform& ui, int32_t n, int32_t v) {
    for (int32_t i = 1; i <= n; ++i) s.units.SetCell(1, i, 20.0 + std::fmod(i * 7.31, 9.7));
    AcceptUnits(s, ui, PilotSource());
    s.inputs.virtualSamples = std::to_string(v);
    ui.answers = {MsgAnswer::Yes};
    Generate(s, ui);
    ui.messages.clear();
}

void BM_Trim(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    Session s;
    ScriptedPlatform ui;
    Generated(s, ui, n, v);
    const CloudTables& t = *s.analysis.generation()->tables;
    for (auto _ : state) {
        const CloudTables out = TrimClouds(t, 5);
        benchmark::DoNotOptimize(out.means.Row(0));
    }
}
BENCHMARK(BM_Trim)->Args({20, 10000})->Args({20, 184756})->Unit(benchmark::kMillisecond);

#ifdef VELTA_BENCH_GUI
QApplication& App() {
    static int argc = 1;
    static char name[] = "velta_bench_trim";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}
#endif

// The slider moved back and forth between two sizes after a trimming.
void BM_ManualSize(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    Session s;
    ScriptedPlatform ui;
    Generated(s, ui, n, v);
    RunCommand(s, ui, Command::Trim);
    MoveSlider(s, ui, n / 2);
#ifdef VELTA_BENCH_GUI
    App();
    qt::ChartView means, sds;
    for (qt::ChartView* view : {&means, &sds}) {
        view->resize(700, 400);
        view->show();
    }
    QApplication::processEvents();
    means.Show(WindowViewOf(s).meansChart);
    sds.Show(WindowViewOf(s).sdsChart);
    const int full = means.FullRedraws() + sds.FullRedraws();
#endif
    int32_t size = n / 2;
    std::string shown;
    for (auto _ : state) {
        size = size == n / 2 ? n / 2 + 1 : n / 2;
        MoveSlider(s, ui, size);
        const WindowView view = WindowViewOf(s);
#ifdef VELTA_BENCH_GUI
        means.Show(view.meansChart);
        sds.Show(view.sdsChart);
        for (qt::ChartView* chart : {&means, &sds}) {
            QImage image = chart->grab().toImage();
            benchmark::DoNotOptimize(image.bits());
        }
#endif
        shown = view.manualSize;
    }
#ifdef VELTA_BENCH_GUI
    state.counters["full_redraws"] = means.FullRedraws() + sds.FullRedraws() - full;
#endif
    if (!ui.messages.empty() || shown != std::to_string(size))
        state.SkipWithError("the slider did not draw");
}
BENCHMARK(BM_ManualSize)->Args({20, 184756})->Unit(benchmark::kMillisecond);

}  // namespace
