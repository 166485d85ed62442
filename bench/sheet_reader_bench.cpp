// The cost of reading workbooks in the reader process: the same read in
// process and through velta-sheet-reader, on the example pilot sample and on
// a full 65,536-row .xls (written at start-up by our own writer).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "data/sheet_reader.h"
#include "data/xls_writer.h"

namespace {

const std::string& Example() {
    static const std::string path = std::string(VELTA_SOURCE_DIR) + "/examples/pilot_sample.xls";
    return path;
}

const std::string& FullColumn() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("velta-bench-" + std::to_string(getpid()) + "-65536.xls"))
                                  .string();
        std::vector<velta::XlsCell> cells;
        for (int r = 0; r < 65536; ++r)
            cells.push_back({uint16_t(r), 0, true, 40.0 + r * 1e-3, {}});
        velta::WriteXlsWorkbook(p, "sheet1", cells);
        std::atexit([] { std::filesystem::remove(FullColumn()); });
        return p;
    }();
    return path;
}

const std::string& FileOf(int which) {
    return which == 0 ? Example() : FullColumn();
}

void BM_ReadInProcess(benchmark::State& state) {
    const std::string& path = FileOf(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(velta::ReadSheetToText(path, 0));
}
// 0: the example (24 values), 1: a 65,536-row .xls.
BENCHMARK(BM_ReadInProcess)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadIsolated(benchmark::State& state) {
    const std::string& path = FileOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const velta::SheetReadResult r = velta::ReadSheetColumn(path, 0);
        if (r.status != velta::SheetReadResult::Status::Read) state.SkipWithError("not read");
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ReadIsolated)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
