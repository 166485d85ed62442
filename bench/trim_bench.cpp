// Trimming both clouds, and one slider move: the line on both charts, the
// statistics at the size and, with the window's chart views, the repaint.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "app/commands.h"
#include "charts/trim.h"
#include "data/presample.h"
#include "engine/generation_command.h"
#include "platform/scripted/scripted_platform.h"

#ifdef VELTA_BENCH_GUI
#include <QApplication>
#include <QImage>

#include "platform/qt/chart_view.h"
#endif

namespace {

using namespace velta;

// A workspace after a generation of v virtual samples from n units.
void Generated(Workspace& ws, ScriptedPlatform& ui, int32_t n, int32_t v) {
    Form_Load(ws);
    for (int32_t i = 1; i <= n; ++i) ws.sprMain.SetCell(1, i, 20.0 + std::fmod(i * 7.31, 9.7));
    ComputePreSampleStats(ws, ui);
    ws.txtLimite.text = std::to_string(v);
    ui.answers = {MsgAnswer::Yes};
    RandomSource rng;
    RunGeneration(ws, ui, rng);
    ui.messages.clear();
}

void BM_Trim(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    Workspace ws;
    ScriptedPlatform ui;
    Generated(ws, ui, n, v);
    const StatsTables& t = ws.VirtualSampleTable;
    StatsTables out;
    for (auto _ : state) {
        TrimTable(n, v, 5, t.means, out.means);
        TrimTable(n, v, 5, t.sds, out.sds);
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
    Workspace ws;
    ScriptedPlatform ui;
    Generated(ws, ui, n, v);
    ws.txtPerc.text = "5";
    RunCommand(ws, ui, FormCommand::Trim);
    RunSlider(ws, ui, n / 2);
#ifdef VELTA_BENCH_GUI
    App();
    qt::ChartView means(ws.VtChart1), sds(ws.VtChart2);
    for (qt::ChartView* view : {&means, &sds}) {
        view->resize(700, 400);
        view->show();
    }
    QApplication::processEvents();
    const int full = means.FullRedraws() + sds.FullRedraws();
#endif
    int32_t size = n / 2;
    for (auto _ : state) {
        size = size == n / 2 ? n / 2 + 1 : n / 2;
        RunSlider(ws, ui, size);
#ifdef VELTA_BENCH_GUI
        for (qt::ChartView* view : {&means, &sds}) {
            view->Render();
            QImage image = view->grab().toImage();
            benchmark::DoNotOptimize(image.bits());
        }
#endif
        benchmark::DoNotOptimize(ws.sprRep.Revision());
    }
#ifdef VELTA_BENCH_GUI
    state.counters["full_redraws"] = means.FullRedraws() + sds.FullRedraws() - full;
#endif
    if (!ui.messages.empty() || ws.Text4.text != std::to_string(size))
        state.SkipWithError("the slider did not draw");
}
BENCHMARK(BM_ManualSize)->Args({20, 184756})->Unit(benchmark::kMillisecond);

}  // namespace
