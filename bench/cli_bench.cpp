// The whole batch command at the largest generation of a 20-unit pilot:
// read the sample, generate V = 184,756 virtual samples, trim, Automatic,
// Student-t, and write the report and the JSON document (no charts).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace {

void BM_CliWholeRun(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "velta_cli_bench";
    fs::create_directories(dir);
    const std::string V = std::to_string(state.range(0));
    const std::vector<std::string> args = {
        "velta-cli",   VELTA_SOURCE_DIR "/examples/campaign.xlsx",
        "-V",          V,
        "--yes",       "--quiet",
        "--max-error", "1",
        "--report",    (dir / "report.dat").string(),
        "--json",      (dir / "results.json").string()};
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    for (auto _ : state) {
        std::istringstream in;
        std::ostringstream out, err;
        const int status = velta::cli::RunCli(static_cast<int>(argv.size()), argv.data(),
                                              {in, out, err, false}, {});
        benchmark::DoNotOptimize(status);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_CliWholeRun)->Arg(250)->Arg(184756)->Unit(benchmark::kMillisecond);

}  // namespace
