#include "cli/analysis.h"

#include <cctype>
#include <filesystem>
#include <ostream>

#include "commands/command_table.h"
#include "commands/pilot_commands.h"
#include "commands/repeats.h"
#include "base/numbers.h"
#include "cli/output_file.h"
#include "cli/tables.h"
#include "analysis/random.h"
#include "data/pilot_column.h"
#include "view/window_view.h"

namespace velta::cli {

namespace fs = std::filesystem;

const StepRecord* ColumnRun::Step(const std::string& command) const {
    for (const StepRecord& s : steps)
        if (s.command == command) return &s;
    return nullptr;
}

namespace {

// Runs one step: `run` returns the step's status.
template <typename Run>
StepRecord& Record(ColumnRun& a, BatchPlatform& ui, const std::string& command, Run run) {
    ui.BeginStep(command, &a.session);
    std::string status = run();
    ui.EndStep();
    a.steps.push_back({command, std::move(status), ui.StepMessages()});
    return a.steps.back();
}

// Runs a command of the table; "unavailable" or "refused" when it did not run.
std::string RunTableCommand(ColumnRun& a, BatchPlatform& ui, Command c) {
    return RunCommand(a.session, ui, c) ? "ran" : "refused";
}

void Skip(ColumnRun& a, const std::string& command) {
    a.steps.push_back({command, "skipped", {}});
}

// Reports a step that did not produce its result, with the exit status it
// means. Messages the command showed have been printed already.
void StepFailed(ColumnRun& a, const StepRecord& s, int status, std::ostream& err) {
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
    if (suffix.empty() || IsStandardOutput(path)) return path;
    const fs::path p(path);
    return (p.parent_path() / (p.stem().string() + suffix + p.extension().string())).string();
}

std::string ChartFormat(const std::string& path) {
    if (IsStandardOutput(path)) return "png";
    std::string ext = fs::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool AcceptSheetColumn(ColumnRun& a, BatchPlatform& ui, const ImportedSheet& sheet) {
    a.session = Session();
    a.file = sheet.fileName;
    a.column = sheet.data.column;
    const PilotColumn pilot = ReadPilotColumn(sheet.data);
    if (pilot.hasHeader) a.header = pilot.header;
    const StepRecord& s = Record(
        a, ui, "Open", [&] { return AcceptSheet(a.session, ui, sheet) ? "done" : "failed"; });
    if (s.status != "done") {
        a.Fail(kExitBadInput);
        return false;
    }
    a.missingCount = pilot.missingCount;
    a.missingCells = pilot.missingCells;
    return true;
}

bool AcceptValues(ColumnRun& a, BatchPlatform& ui, const std::vector<std::string>& values) {
    a.session = Session();
    // Typed values, as "Pre-sampling results" accepts them (without saving
    // them as .xls first).
    for (size_t i = 0; i < values.size(); ++i)
        a.session.units.SetCell(1, static_cast<int32_t>(i + 1), values[i]);
    const StepRecord& s = Record(a, ui, "Open", [&] {
        return AcceptUnits(a.session, ui, PilotSource()) ? "done" : "failed";
    });
    if (s.status != "done") a.Fail(kExitBadInput);
    return s.status == "done";
}

void RunAnalysis(ColumnRun& a, BatchPlatform& ui, const Options& o, const std::string& suffix,
                 const ChartRenderer& renderChart, std::ostream& err) {
    Session& s = a.session;
    const Analysis& analysis = s.analysis;

    // Generate, from the chosen seed.
    if (!o.virtualSamples.empty()) s.inputs.virtualSamples = o.virtualSamples;
    s.repeats = o.replicates;
    s.inputs.seed = std::to_string(o.seed);
    const StepRecord& gen = Record(a, ui, "Generate", [&] {
        const std::string ran = RunTableCommand(a, ui, Command::Generate);
        if (ran != "ran") return ran;
        return analysis.generation() ? std::string("done") : std::string("failed");
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
        s.inputs.trimPercent = o.trim;
        const StepRecord& step = Record(a, ui, "Trim", [&] {
            const std::string ran = RunTableCommand(a, ui, Command::Trim);
            if (ran != "ran") return ran;
            return analysis.trimming() ? std::string("done") : std::string("failed");
        });
        ok = step.status == "done";
        if (!ok) StepFailed(a, step, kExitFailed, err);
    } else {
        Skip(a, "Trim");
    }

    // Automatic: its failure does not stop a manual size or Student-t.
    if (ok) {
        const StepRecord& step = Record(a, ui, "Automatic", [&] {
            const std::string ran = RunTableCommand(a, ui, Command::Automatic);
            if (ran != "ran") return ran;
            return analysis.automatic() && analysis.automatic()->succeeded ? std::string("done")
                                                                           : std::string("failed");
        });
        if (step.status != "done") StepFailed(a, step, kExitFailed, err);
    } else {
        Skip(a, "Automatic");
    }

    // Manual: the slider moved to the asked size.
    if (o.manual) {
        if (ok) {
            const StepRecord& step = Record(a, ui, "Manual", [&] {
                MoveSlider(s, ui, *o.manual);
                return analysis.manual() && analysis.manual()->size == *o.manual ? "done"
                                                                                 : "failed";
            });
            if (step.status != "done") StepFailed(a, step, kExitFailed, err);
        } else {
            Skip(a, "Manual");
        }
    }

    // Student-t, only when a maximum difference is given.
    if (o.maxError) {
        if (ok) {
            s.inputs.alpha = o.alpha;
            s.inputs.maxError = *o.maxError;
            if (o.sd) s.inputs.studentSd = *o.sd;
            const StepRecord& step = Record(a, ui, "Student-t", [&] {
                const std::string ran = RunTableCommand(a, ui, Command::StudentT);
                if (ran != "ran") return ran;
                return analysis.studentT() ? std::string("done") : std::string("failed");
            });
            if (step.status != "done") StepFailed(a, step, kExitFailed, err);
        } else {
            Skip(a, "Student-t");
        }
    }

    // The repeats of the automatic size ran beside the steps above; the
    // report and the JSON state them.
    WaitForRepeats(s);

    // The report, written by the window's command (the batch platform sends
    // "-" to standard output).
    if (!o.report.empty()) {
        const std::string path = WithSuffix(o.report, suffix);
        const StepRecord& step = Record(a, ui, "Configuration and Results", [&] {
            ui.files = {path};
            const std::string ran = RunTableCommand(a, ui, Command::WriteReport);
            ui.files.clear();
            if (ran != "ran") return ran;
            bool critical = false;
            for (const ShownMessage& m : ui.StepMessages()) critical |= m.kind == "critical";
            return critical ? std::string("failed") : std::string("done");
        });
        if (step.status == "done")
            a.outputs["report"] = path;
        else
            StepFailed(a, step, kExitFailed, err);
    }

    // The tables as CSV.
    if (!o.tablesDir.empty()) {
        if (!analysis.generation()) {
            a.Fail(kExitFailed);
            err << "velta-cli: no tables to write: the generation did not complete\n";
        } else {
            std::string why;
            if (!WriteTables(analysis, o.tablesDir, suffix.empty() ? "" : suffix.substr(1) + "-",
                             a.outputs, why)) {
                a.Fail(kExitFailed);
                err << "velta-cli: " << why << '\n';
            }
        }
    }

    // The charts, drawn as the window draws them.
    const WindowView view = WindowViewOf(s);
    const std::tuple<const std::string*, const ChartPicture*, const char*> charts[] = {
        {&o.chartMeans, &view.meansChart, "chartMeans"},
        {&o.chartSds, &view.sdsChart, "chartSds"}};
    for (const auto& [name, chart, key] : charts) {
        if (name->empty()) continue;
        const std::string path = WithSuffix(*name, suffix);
        std::string why, bytes;
        if (!renderChart) {
            why = "chart export is not available in this build";
        } else if (renderChart(*chart, ChartFormat(path), o.chartWidth, o.chartHeight, bytes,
                               why)) {
            why = ui.WriteFile(path, bytes);
            if (why.empty()) {
                a.outputs[key] = path;
                continue;
            }
        } else if (why.empty()) {
            why = "the chart could not be exported";
        }
        a.Fail(kExitFailed);
        err << "velta-cli: " << path << ": " << why << '\n';
    }
}

}  // namespace velta::cli
