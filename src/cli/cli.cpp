#include "cli/cli.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <sstream>
#include <streambuf>

#include "base/numbers.h"
#include "cli/json_output.h"
#include "cli/output_file.h"
#include "cli/tables.h"
#include "view/window_view.h"

namespace velta::cli {

namespace {

namespace fs = std::filesystem;

// Each column is read by its own reader process: a sheet that claims
// thousands of columns is refused rather than read thousands of times.
constexpr int32_t kMaxAllColumns = 256;

// Every output the options name must be writable before any work is done:
// a refusal (a folder, a read-only file, a missing folder...) costs nothing.
// The per-column files of --all-columns are checked under column A's name.
bool CheckOutputs(const Options& o, std::ostream& err) {
    bool ok = true;
    auto refuse = [&](const std::string& option, const std::string& path, const std::string& why) {
        err << "velta-cli: " << option << " " << path << ": " << why << '\n';
        ok = false;
    };
    const std::string suffix = o.allColumns ? "-A" : "";
    const std::pair<std::string, const std::string*> files[] = {{"--report", &o.report},
                                                                {"--json", &o.json},
                                                                {"--chart-means", &o.chartMeans},
                                                                {"--chart-sds", &o.chartSds}};
    int toStandardOutput = 0;
    for (const auto& [option, path] : files) {
        if (path->empty()) continue;
        const bool perColumn = option != "--json";
        if (IsStandardOutput(*path)) {
            ++toStandardOutput;
            if (o.allColumns && perColumn)
                refuse(option, *path, "--all-columns writes one file per column: give a file name");
            continue;
        }
        const std::string name = perColumn ? WithSuffix(*path, suffix) : *path;
        if (const std::string why = CheckOutput(name); !why.empty()) refuse(option, name, why);
    }
    if (toStandardOutput > 1) {
        err << "velta-cli: only one output can go to standard output\n";
        ok = false;
    }
    if (!o.tablesDir.empty()) {
        std::error_code ec;
        const fs::path dir(o.tablesDir);
        const fs::path parent = dir.has_parent_path() ? dir.parent_path() : fs::path(".");
        if (IsStandardOutput(o.tablesDir)) {
            refuse("--tables", o.tablesDir,
                   "it names a folder for four files, not standard output");
        } else if (fs::is_directory(dir, ec)) {
            for (const char* table : kTableNames) {
                const std::string name = TablePath(o.tablesDir, o.allColumns ? "A-" : "", table);
                if (const std::string why = CheckOutput(name); !why.empty())
                    refuse("--tables", name, why);
            }
        } else if (fs::exists(fs::symlink_status(dir, ec))) {
            refuse("--tables", o.tablesDir, "It is not a folder");
        } else if (!fs::is_directory(parent, ec)) {
            refuse("--tables", o.tablesDir, "The folder " + parent.string() + " does not exist");
        }
    }
    return ok;
}

// A stream buffer that starts every line with a prefix before passing it on:
// with --all-columns each line on standard error names its column.
class PrefixedLines : public std::streambuf {
  public:
    PrefixedLines(std::ostream& to, std::string prefix) : to_(to), prefix_(std::move(prefix)) {}

  protected:
    int overflow(int c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        if (lineStart_) to_ << prefix_;
        to_.put(traits_type::to_char_type(c));
        lineStart_ = c == '\n';
        return c;
    }
    int sync() override {
        to_.flush();
        return 0;
    }

  private:
    std::ostream& to_;
    std::string prefix_;
    bool lineStart_ = true;
};

// Numbers typed or piped in: one per line (blank lines skipped), or the
// --values arguments. Texts are kept as typed: the acceptance checks them.
std::vector<std::string> ReadValues(const Options& o, std::istream& in) {
    std::vector<std::string> values;
    auto add = [&](std::string t) {
        const size_t a = t.find_first_not_of(" \t\r\n");
        if (a == std::string::npos) return;
        t = t.substr(a, t.find_last_not_of(" \t\r\n") - a + 1);
        values.push_back(std::move(t));
    };
    if (!o.values.empty()) {
        for (const std::string& v : o.values) add(v);
    } else {
        std::string line;
        while (std::getline(in, line)) add(line);
    }
    return values;
}

struct SummaryRow {
    std::string column, n, mean, sd, automatic, range, manual, student;
};

SummaryRow Summarise(const ColumnRun& a, const Options& o) {
    const WindowView v = WindowViewOf(a.session);
    auto or_dash = [](const std::string& s) { return s.empty() ? std::string("-") : s; };
    SummaryRow r;
    r.column = ColumnLetter(a.column) + (a.header.empty() ? "" : " " + a.header);
    r.n = or_dash(v.n);
    r.mean = or_dash(v.mean);
    r.sd = or_dash(v.sd);
    r.automatic = or_dash(v.automaticSize);
    // Where the automatic size went over the repeats.
    const RepeatsAnswer* repeats = a.session.analysis.repeats();
    r.range = repeats ? RepeatsRangeText(*repeats) : "-";
    if (r.range == "none could succeed") r.range = "none";
    r.manual = or_dash(v.manualSize);
    r.student = o.maxError ? or_dash(v.studentTSize) : "-";
    return r;
}

void PrintSummary(const std::vector<SummaryRow>& rows, std::ostream& out) {
    std::vector<SummaryRow> all = {
        {"column", "N", "mean", "st.dev.", "auto", "range", "manual", "Student-t"}};
    all.insert(all.end(), rows.begin(), rows.end());
    constexpr int kColumns = 8;
    auto fields = [](const SummaryRow& r) {
        return std::array<const std::string*, kColumns>{&r.column,    &r.n,     &r.mean,
                                                        &r.sd,        &r.automatic,
                                                        &r.range,     &r.manual, &r.student};
    };
    size_t w[kColumns] = {};
    for (const SummaryRow& r : all) {
        const auto f = fields(r);
        for (int i = 0; i < kColumns; ++i) w[i] = std::max(w[i], f[i]->size());
    }
    for (const SummaryRow& r : all) {
        const auto f = fields(r);
        std::string line;
        for (int i = 0; i < kColumns; ++i) {
            const std::string& s = *f[i];
            const std::string pad(w[i] - s.size(), ' ');
            line += i == 0 ? s + pad : "  " + pad + s;  // numbers right-aligned
        }
        out << line << '\n';
    }
}

}  // namespace

int RunCli(int argc, const char* const* argv, Streams io, const ChartRenderer& renderChart) {
    Options o;
    switch (ParseOptions(argc, argv, o, io.out, io.err)) {
        case ParseOutcome::Exit0:
            return kExitOk;
        case ParseOutcome::Exit2:
            return kExitBadInput;
        case ParseOutcome::Run:
            break;
    }
    if (!CheckOutputs(o, io.err)) return kExitBadInput;

    BatchPlatform ui(io.err, o.yes, o.quiet, io.errIsTerminal);
    ui.standardOutput = &io.out;
    std::vector<ShownMessage> inputMessages;
    std::vector<Json> results;
    std::vector<SummaryRow> summary;
    int exitStatus = kExitOk;

    // Runs everything after the acceptance and keeps what the document needs,
    // so that each workspace (and its tables) is released after its column.
    auto finish = [&](ColumnRun& a, bool accepted, const std::string& suffix) {
        PrefixedLines prefixed(io.err, ui.messagePrefix);
        std::ostream err(&prefixed);
        if (accepted && o.manual) {
            const int32_t n = a.session.analysis.pilot()->Size();
            if (*o.manual < 2 || *o.manual > n - 1) {
                err << "velta-cli: --manual " << *o.manual
                    << ": the manual sample size lies between 2 and N-1 = " << n - 1 << '\n';
                a.Fail(kExitBadInput);
                accepted = false;
            }
        }
        if (accepted) RunAnalysis(a, ui, o, suffix, renderChart, err);
        err.flush();
        exitStatus = std::max(exitStatus, a.exitStatus);
        results.push_back(AnalysisJson(a, o));
        summary.push_back(Summarise(a, o));
    };

    // A refusal of the input by velta-cli itself: on standard error, and in
    // the JSON beside the messages of the import.
    auto refuse = [&](const std::string& text) {
        io.err << "velta-cli: " << text << '\n';
        inputMessages.push_back({"Open", "velta-cli", "critical", text, ""});
        exitStatus = std::max(exitStatus, kExitBadInput);
    };

    // The Open command's import, its dialogs answered from the options.
    auto analyseFile = [&] {
        const int32_t first = o.column.empty() ? 0 : ColumnFromText(o.column);
        auto import = [&](int32_t column, ImportedSheet& sheet) {
            ui.files = {o.input};
            ui.sheetAnswer = o.sheet;
            ui.columnAnswer = o.allColumns ? "" : o.column;
            ui.BeginStep("Open", nullptr);
            const ImportStatus status = ImportSpreadsheet(ui, sheet, column);
            ui.EndStep();
            ui.files.clear();
            return status;
        };
        ImportedSheet sheet;
        const ImportStatus status = import(o.allColumns ? 0 : first, sheet);
        inputMessages = ui.StepMessages();
        if (status != ImportStatus::Imported) {
            exitStatus = std::max(exitStatus, kExitBadInput);
            if (ui.sheetNotFound) {
                std::string text = "--sheet " + o.sheet + ": no such sheet; the workbook has";
                for (size_t i = 0; i < ui.offeredSheets.size(); ++i)
                    text += (i ? ", " : " ") + std::to_string(i + 1) + ") " + ui.offeredSheets[i];
                refuse(text);
            } else if (inputMessages.empty()) {
                refuse(o.input + " could not be read");
            }
            return;
        }
        std::string sheetName;
        if (!ui.offeredSheets.empty()) {
            const std::string chosen = o.sheet.empty() ? "1" : o.sheet;
            const auto k = ParseNumber(chosen);
            sheetName =
                k && IsWholeNumber(chosen) ? ui.offeredSheets[static_cast<size_t>(*k) - 1] : chosen;
        } else if (!o.sheet.empty() && o.sheet != "1") {
            // A workbook of one sheet asks nothing; only its first sheet exists.
            const auto k = ParseNumber(o.sheet);
            if (k && IsWholeNumber(o.sheet)) {
                refuse("--sheet " + o.sheet + ": the workbook has one sheet");
                return;
            }
            sheetName = o.sheet;
        }

        const int32_t cols = sheet.data.sheetCols;
        if (o.allColumns) {
            if (cols == 0) {
                refuse("the sheet is empty");
                return;
            }
            if (cols > kMaxAllColumns) {
                refuse("--all-columns: the sheet has " + std::to_string(cols) +
                       " columns; choose one with --column (at most " +
                       std::to_string(kMaxAllColumns) + " are sized in one run)");
                return;
            }
            for (int32_t c = 0; c < cols; ++c) {
                ui.messagePrefix = "column " + ColumnLetter(c) + ": ";
                ImportedSheet next;
                if (c > 0 && import(c, next) != ImportStatus::Imported) {
                    exitStatus = std::max(exitStatus, kExitBadInput);
                    continue;
                }
                const ImportedSheet& one = c == 0 ? sheet : next;
                if (one.data.cells.empty() && one.data.notes.empty()) continue;  // a blank column
                auto a = std::make_unique<ColumnRun>();
                a->sheet = sheetName;
                const bool accepted = AcceptSheetColumn(*a, ui, one);
                finish(*a, accepted, "-" + ColumnLetter(c));
            }
            ui.messagePrefix.clear();
        } else {
            if (first >= std::max(cols, 1)) {
                refuse("--column " + o.column + ": the sheet has " + std::to_string(cols) +
                       " column" + (cols == 1 ? "" : "s") + " (A .. " +
                       ColumnLetter(std::max(cols, 1) - 1) + ")");
                return;
            }
            auto a = std::make_unique<ColumnRun>();
            a->sheet = sheetName;
            const bool accepted = AcceptSheetColumn(*a, ui, sheet);
            finish(*a, accepted, "");
        }
    };

    if (o.input.empty() || o.input == "-") {
        auto a = std::make_unique<ColumnRun>();
        const bool accepted = AcceptValues(*a, ui, ReadValues(o, io.in));
        finish(*a, accepted, "");
    } else {
        analyseFile();
    }

    if (!o.json.empty()) {
        const std::string text = DocumentJson(results, o, exitStatus, inputMessages).dump(2) + "\n";
        if (const std::string why = WriteOutput(o.json, text, io.out); !why.empty()) {
            io.err << "velta-cli: --json " << o.json << ": " << why << '\n';
            exitStatus = std::max(exitStatus, kExitFailed);
        }
    }
    // The short table, unless standard output already carries an output.
    if (!summary.empty() && !IsStandardOutput(o.json) && !IsStandardOutput(o.report) &&
        !IsStandardOutput(o.chartMeans) && !IsStandardOutput(o.chartSds))
        PrintSummary(summary, io.out);
    return exitStatus;
}

}  // namespace velta::cli
