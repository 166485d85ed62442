// Generation (drawing and prefix statistics), the whole generation command,
// and the charts: first render of a cloud and re-render after a mark move.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "analysis/generation.h"
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
    RandomSource rng;
    for (auto _ : state) {
        // As the Generate command runs it: on every core.
        auto out = GenerateClouds(p, v, JumpFor(n), rng, NoProgress(),
                                  static_cast<int32_t>(std::thread::hardware_concurrency()));
        benchmark::DoNotOptimize(out->means.Row(0));
    }
}
BENCHMARK(BM_Generate)
    ->Args({20, 250})
    ->Args({20, 10000})
    ->Args({20, 184756})
    ->Args({20, 1000000})
    ->Args({200, 10000})
    ->Unit(benchmark::kMillisecond);

// The whole command headless: validation, the progress window's pauses,
// generation, value ranges, and the charts' pictures.
void BM_GenerateCommand(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const auto v = static_cast<int32_t>(state.range(1));
    Session s;
    const std::vector<double> p = PreSample(n);
    for (int32_t i = 1; i <= n; ++i) s.units.SetCell(1, i, p[static_cast<size_t>(i)]);
    BenchPlatform ui;
    AcceptUnits(s, ui, PilotSource());
    for (auto _ : state) {
        s.inputs.virtualSamples = std::to_string(v);
        Generate(s, ui);
        const WindowView view = WindowViewOf(s);
        benchmark::DoNotOptimize(view.meansChart.cloud->Row(0));
    }
    state.counters["pauses"] = ui.processEventsCalls / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GenerateCommand)->Args({20, 184756})->Unit(benchmark::kMillisecond);

#ifdef VELTA_BENCH_GUI

QApplication& App() {
    static int argc = 1;
    static char name[] = "velta_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: a static QApplication torn down after Qt's own
    // statics crashed the program at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The picture of a generated cloud as the window shows it.
ChartPicture Picture(int32_t n, int32_t v) {
    RandomSource rng;
    auto t = std::make_shared<const CloudTables>(
        *GenerateClouds(PreSample(n), v, JumpFor(n), rng, NoProgress()));
    ChartPicture c;
    c.caption = "Means";
    c.cloud = std::shared_ptr<const Table2D>(t, &t->means);
    c.samples = v;
    c.categories = n - 2;
    c.lastPoint = n - 3;
    c.axis = AxisRange{20, 30};
    return c;
}

void BM_RenderFirst(benchmark::State& state) {
    App();
    const auto v = static_cast<int32_t>(state.range(0));
    const ChartPicture picture = Picture(20, v);
    qt::ChartView view;
    view.resize(700, 500);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        view.Show(ChartPicture());
        view.Show(picture);
        QImage image = view.grab().toImage();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_RenderFirst)->Arg(250)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A manual size moved one category: the overlay layer re-rendered.
void BM_RenderLineMove(benchmark::State& state) {
    App();
    const auto v = static_cast<int32_t>(state.range(0));
    ChartPicture picture = Picture(20, v);
    qt::ChartView view;
    view.resize(700, 500);
    view.show();
    QApplication::processEvents();
    view.Show(picture);
    const int full = view.FullRedraws();
    int32_t point = 4;
    for (auto _ : state) {
        point = point == 4 ? 5 : 4;
        picture.marks = {{SizeMark::Kind::Manual, point}};
        view.Show(picture);
        QImage image = view.grab().toImage();
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["full_redraws"] = view.FullRedraws() - full;
}
BENCHMARK(BM_RenderLineMove)->Arg(100000)->Unit(benchmark::kMillisecond);

#endif

}  // namespace
