#include "cli/analysis.h"

#include <filesystem>
#include <ostream>

#include "app/commands.h"
#include "base/numbers.h"
#include "charts/manual.h"
#include "cli/output_file.h"
#include "cli/tables.h"
#include "data/pilot_column.h"
#include "data/presample.h"
#include "engine/random.h"

namespace velta::cli {

namespace fs = std::filesystem;

const StepRecord* Analysis::Step(const std::string& command) const {
    for (const StepRecord& s : steps)
        if (s.command == command) return &s;
    return nullptr;
}

namespace {

// Runs one step: `run` returns the step's status.
template <typename Run>
StepRecord& Record(Analysis& a, BatchPlatform& ui, const std::string& command, Run run) {
    ui.BeginStep(command, &a.ws);
    std::string status = run();
    ui.EndStep();
    a.steps.push_back({command, std::move(status), ui.StepMessages()});
    return a.steps.back();
}

// Runs a command of the table; "unavailable" or "refused" when it did not run.
std::string RunTableCommand(Analysis& a, BatchPlatform& ui, Command c) {
    if (!HandlerOf(c)) return "unavailable";
    return RunCommand(a.ws, ui, c) ? "ran" : "refused";
}

void Skip(Analysis& a, const std::string& command) {
    a.steps.push_back({command, "skipped", {}});
}

// Reports a step that did not produce its result, with the exit status it
// means. Messages the command showed have been printed already.
void StepFailed(Analysis& a, const StepRecord& s, int status, std::ostream& err) {
    a.Fail(status);
    if (s.status == "unavailable")
        err << "velta-cli: " << s.command << " is not available in this build\n";
    else if (s.status == "refused")
        err << "velta-cli: " << s.command << " was refused: an earlier step is missing\n";
    else if (s.messages.empty())
        err << "velta-cli: " << s.command << " did not succeed\n";
}

}  // namespace

std::string WithSuffix(const std::string& path, const std::string& suffix) {
    if (suffix.empty()) return path;
    const fs::path p(path);
    return (p.parent_path() / (p.stem().string() + suffix + p.extension().string())).string();
}

bool AcceptSheetColumn(Analysis& a, BatchPlatform& ui, const ImportedSheet& sheet) {
    ResetWorkspace(a.ws);
    a.file = sheet.fileName;
    a.column = sheet.data.column;
    const PilotColumn pilot = ReadPilotColumn(sheet.data);
    if (pilot.hasHeader) a.header = pilot.header;
    const StepRecord& s = Record(
        a, ui, "Open", [&] { return AcceptImportedSheet(a.ws, ui, sheet) ? "done" : "failed"; });
    if (s.status != "done") {
        a.Fail(kExitBadInput);
        return false;
    }
    a.missingCount = pilot.missingCount;
    a.missingCells = pilot.missingCells;
    return true;
}

bool AcceptValues(Analysis& a, BatchPlatform& ui, const std::vector<std::string>& values) {
    ResetWorkspace(a.ws);
    // Typed values, as "Pre-sampling results" accepts them (without saving
    // them as .xls first).
    for (size_t i = 0; i < values.size(); ++i)
        a.ws.sprMain.SetCell(1, static_cast<int32_t>(i + 1), values[i]);
    const StepRecord& s =
        Record(a, ui, "Open", [&] { return ComputePreSampleStats(a.ws, ui) ? "done" : "failed"; });
    if (s.status != "done") a.Fail(kExitBadInput);
    return s.status == "done";
}

void RunAnalysis(Analysis& a, BatchPlatform& ui, const Options& o, const std::string& suffix,
                 const ChartExporter& exportChart, std::ostream& err) {
    Workspace& ws = a.ws;

    // Generate, from the chosen start of the random source.
    if (!o.virtualSamples.empty()) ws.txtLimite.text = o.virtualSamples;
    SeedProcessRandomSource(o.seed);
    const StepRecord& gen = Record(a, ui, "Generate", [&] {
        const std::string ran = RunTableCommand(a, ui, Command::Generate);
        if (ran != "ran") return ran;
        return ws.cmdFilter.enabled && !ws.VirtualSampleTable.Empty() ? std::string("done")
                                                                      : std::string("failed");
    });
    bool ok = gen.status == "done";
    if (!ok) {
        if (ui.unansweredQuestion) {
            a.Fail(kExitBadInput);
            err << "velta-cli: the question above needs an answer: run again with --yes to "
                   "answer Yes\n";
        } else {
            StepFailed(a, gen, kExitFailed, err);
        }
    }

    // Trim.
    if (ok) {
        ws.txtPerc.text = o.trim;
        const StepRecord& s = Record(a, ui, "Trim", [&] {
            const std::string ran = RunTableCommand(a, ui, Command::Trim);
            if (ran != "ran") return ran;
            return ws.DataTrimmed ? std::string("done") : std::string("failed");
        });
        ok = s.status == "done";
        if (!ok) StepFailed(a, s, kExitFailed, err);
    } else {
        Skip(a, "Trim");
    }

    // Automatic: its failure does not stop a manual size or Student-t.
    if (ok) {
        const StepRecord& s = Record(a, ui, "Automatic", [&] {
            const std::string ran = RunTableCommand(a, ui, Command::Automatic);
            if (ran != "ran") return ran;
            return ws.SampleSizeM != 0 && !ws.Text3.text.empty() ? std::string("done")
                                                                 : std::string("failed");
        });
        if (s.status != "done") StepFailed(a, s, kExitFailed, err);
    } else {
        Skip(a, "Automatic");
    }

    // Manual: the slider moved to the asked size.
    if (o.manual) {
        if (ok) {
            const StepRecord& s = Record(a, ui, "Manual", [&] {
                ws.Slider1.value = *o.manual;
                Slider1_Change(ws, ui);
                return ws.Text4.text == FormatInteger(*o.manual) ? "done" : "failed";
            });
            if (s.status != "done") StepFailed(a, s, kExitFailed, err);
        } else {
            Skip(a, "Manual");
        }
    }

    // Student-t, only when a maximum difference is given.
    if (o.maxError) {
        if (ok) {
            ws.cmbAlphaStud.text = o.alpha;
            ws.Text1.text = *o.maxError;
            if (o.sd) ws.Text2.text = *o.sd;
            const StepRecord& s = Record(a, ui, "Student-t", [&] {
                const std::string ran = RunTableCommand(a, ui, Command::StudentT);
                if (ran != "ran") return ran;
                return ws.Text5.text.empty() ? std::string("failed") : std::string("done");
            });
            if (s.status != "done") StepFailed(a, s, kExitFailed, err);
        } else {
            Skip(a, "Student-t");
        }
    }

    // The report, written by the window's command under a temporary name.
    if (!o.report.empty()) {
        const std::string path = WithSuffix(o.report, suffix);
        const std::string temp = TempPathFor(path);
        const StepRecord& s = Record(a, ui, "Configuration and Results", [&] {
            ui.files = {temp};
            const std::string ran = RunTableCommand(a, ui, Command::ConfigurationAndResults);
            ui.files.clear();
            if (ran != "ran") return ran;
            std::error_code ec;
            bool critical = false;
            for (const ShownMessage& m : ui.StepMessages()) critical |= m.kind == "critical";
            return fs::is_regular_file(temp, ec) && !critical ? std::string("done")
                                                              : std::string("failed");
        });
        std::string why;
        if (s.status == "done" && CommitTemp(temp, path, why)) {
            a.outputs["report"] = path;
        } else {
            DiscardTemp(temp);
            if (!why.empty()) err << "velta-cli: " << why << '\n';
            StepFailed(a, s, kExitFailed, err);
        }
    }

    // The tables as CSV.
    if (!o.tablesDir.empty()) {
        if (ws.VirtualSampleTable.Empty()) {
            a.Fail(kExitFailed);
            err << "velta-cli: no tables to write: the generation did not complete\n";
        } else {
            std::string why;
            if (!WriteTables(ws, o.tablesDir, suffix.empty() ? "" : suffix.substr(1) + "-",
                             a.outputs, why)) {
                a.Fail(kExitFailed);
                err << "velta-cli: " << why << '\n';
            }
        }
    }

    // The charts, through the window's export.
    const std::pair<const std::string*, const ChartModel*> charts[] = {
        {&o.chartMeans, &ws.VtChart1}, {&o.chartSds, &ws.VtChart2}};
    for (const auto& [name, chart] : charts) {
        if (name->empty()) continue;
        const std::string key = chart == &ws.VtChart1 ? "chartMeans" : "chartSds";
        const std::string path = WithSuffix(*name, suffix);
        std::string why;
        if (!exportChart) {
            why = "chart export is not available in this build";
        } else {
            const std::string temp = TempPathFor(path);
            if (exportChart(*chart, temp, o.chartWidth, o.chartHeight, why) &&
                CommitTemp(temp, path, why)) {
                a.outputs[key] = path;
                continue;
            }
            DiscardTemp(temp);
            if (why.empty()) why = "the chart could not be exported";
        }
        a.Fail(kExitFailed);
        err << "velta-cli: " << path << ": " << why << '\n';
    }
}

}  // namespace velta::cli
