// Generation (drawing and prefix statistics), the whole generation command,
// and the charts: first render of a cloud and re-render after a line move.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "model/workspace.h"
#include "model/chart_model.h"
#include "data/presample.h"
#include "engine/generation.h"
#include "engine/generation_command.h"
#include "platform/scripted/scripted_platform.h"

#ifdef VELTA_BENCH_GUI
#include <QApplication>
#include <QImage>

#include "platform/qt/chart_view.h"
#endif

namespace {

using namespace velta;

// A platform whose pauses do nothing but whose clock is real, so the pacing
// of event processing costs what it costs in the window.
class BenchPlatform : public ScriptedPlatform {
  public:
    double MonotonicSeconds() override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

std::vector<double> PreSample(int32_t n) {
    std::vector<double> p(static_cast<size_t>(n) + 1);
    for (int32_t i = 1; i <= n; ++i) p[static_cast<size_t>(i)] = 20.0 + std::fmod(i * 7.31, 9.7);
    return p;
}

void BM_Generate(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    const std::vector<double> p = PreSample(n);
    Workspace ws;
    ws.Jump = JumpFor(n);
    BenchPlatform ui;
    RandomSource rng;
    for (auto _ : state) {
        StatsTables out;
        GenerateVirtualSamples(p, v, out, ws, ui, rng);
        benchmark::DoNotOptimize(out.means.Row(0));
    }
    state.counters["pauses"] = ui.processEventsCalls / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Generate)
    ->Args({20, 250})
    ->Args({20, 10000})
    ->Args({20, 184756})
    ->Args({20, 1000000})
    ->Args({200, 10000})
    ->Unit(benchmark::kMillisecond);

// The whole command headless: validation, generation, chart models, markers.
void BM_GenerateCommand(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    Workspace ws;
    Form_Load(ws);
    const std::vector<double> p = PreSample(n);
    for (int32_t i = 1; i <= n; ++i) ws.sprMain.SetCell(1, i, p[static_cast<size_t>(i)]);
    BenchPlatform ui;
    ComputePreSampleStats(ws, ui);
    RandomSource rng;
    for (auto _ : state) {
        ws.txtLimite.text = std::to_string(v);
        RunGeneration(ws, ui, rng);
        benchmark::DoNotOptimize(ws.VtChart1.Data().Row(0));
    }
}
BENCHMARK(BM_GenerateCommand)->Args({20, 184756})->Unit(benchmark::kMillisecond);

#ifdef VELTA_BENCH_GUI

QApplication& App() {
    static int argc = 1;
    static char name[] = "velta_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

StatsTables Tables(int32_t n, int32_t v) {
    Workspace ws;
    ws.Jump = JumpFor(n);
    BenchPlatform ui;
    RandomSource rng;
    StatsTables out;
    GenerateVirtualSamples(PreSample(n), v, out, ws, ui, rng);
    return out;
}

// What the generation command puts into one chart.
void LoadCloud(ChartModel& c, const Table2D& t, int32_t n, int32_t v, int32_t cols) {
    c.SetDataGrid(n - 2, cols);
    c.LoadBlock(t, n - 2, cols);
    c.SetCloudSeries(v);
    for (int32_t q = 1; q <= n - 2; ++q) c.SetRowLabel(q, std::to_string(q + 1));
    c.Axis() = {false, 20.0, 30.0, "##0.0##"};
    c.MarkCloudSeries(v, 1, n - 3, kCloudMarkerSize);
}

void BM_RenderFirst(benchmark::State& state) {
    App();
    const int32_t n = 20;
    const auto v = static_cast<int32_t>(state.range(0));
    const StatsTables t = Tables(n, v);
    ChartModel model("Means");
    qt::ChartView view(model);
    view.resize(700, 500);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        LoadCloud(model, t.means, n, v, v);
        view.Render();
        QImage image = view.grab().toImage();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_RenderFirst)->Arg(250)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A manual line moved one category: clear the line columns, store the ladder,
// reload the chart with V + 35 columns, format the line, re-render.
void BM_RenderLineMove(benchmark::State& state) {
    App();
    const int32_t n = 20;
    const auto v = static_cast<int32_t>(state.range(0));
    StatsTables t = Tables(n, v);
    WidenTable(t.means, v + kLineColumnCount);
    ChartModel model("Means");
    LoadCloud(model, t.means, n, v, v + kLineColumnCount);
    qt::ChartView view(model);
    view.resize(700, 500);
    view.show();
    QApplication::processEvents();
    view.Render();
    int32_t point = 4;
    for (auto _ : state) {
        RemoveVerticalLine(model, point);
        point = point == 4 ? 5 : 4;
        for (int32_t r = 0; r <= n - 2; ++r)
            for (int32_t c = v + 19; c <= v + 34; ++c) t.means(r, c) = 0.0;
        StoreLadder(t.means, point - 1, v + 19, 20.0, 30.0);
        model.LoadBlock(t.means, n - 2, v + kLineColumnCount);
        FormatVerticalLine(model, point, kManualLineColour);
        view.Render();
        QImage image = view.grab().toImage();
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["full_redraws"] = view.FullRedraws();
}
BENCHMARK(BM_RenderLineMove)->Arg(100000)->Unit(benchmark::kMillisecond);

#endif

}  // namespace
