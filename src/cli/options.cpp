#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>

#include "base/numbers.h"
#include "base/version.h"
#include "analysis/random.h"
#include "cli/output_file.h"
#include "commands/generate.h"
#include "commands/student_t.h"
#include "commands/trim.h"
#include "data/spreadsheet.h"


namespace velta::cli {

namespace {

CLI::Validator Check(std::string (*test)(const std::string&), const char* name) {
    return CLI::Validator([test](std::string& s) { return test(s); }, "", name);
}

// The commands' own checks, with their messages.
std::string CheckV(const std::string& s) {
    return ParseVirtualSamples(s) == 0 ? kInvalidVirtualSamplesMessage : "";
}

std::string CheckP(const std::string& s) {
    return ParsePercent(s) < 0 ? kInvalidPMessage : "";
}

std::string CheckSd(const std::string& s) {
    return ParseStudentSd(s) ? "" : kInvalidStudentSdMessage;
}

std::string CheckDifference(const std::string& s) {
    return ParseMaxError(s) ? "" : kInvalidStudentDifferenceMessage;
}

std::string CheckSeed(const std::string& s) {
    return ParseSeed(s) ? "" : kInvalidSeedMessage;
}

std::string CheckReplicates(const std::string& s) {
    const auto v = ParseNumber(s);
    return v && IsWholeNumber(s) && *v >= 0 && *v <= kMaxReplicates
               ? ""
               : "a number of repeats is a whole number from 0 to " +
                     FormatInteger(kMaxReplicates);
}

std::string CheckAlpha(const std::string& s) {
    return s == "0.01" || s == "0.05" || s == "0.10" ? "" : "alpha must be 0.01, 0.05 or 0.10";
}

std::string CheckColumn(const std::string& s) {
    return ColumnFromText(s) >= 0 ? "" : "a column is a letter (A, B, ... AB) or a number from 1";
}

// "-q" or "--quiet" given where a value belongs: the option before it has
// swallowed it. "-" alone (standard output) and negative numbers are values.
bool LooksLikeOption(const std::string& s) {
    return s.size() >= 2 && s[0] == '-' && !std::isdigit(static_cast<unsigned char>(s[1])) &&
           s[1] != '.';
}

CLI::Validator NotAnOption() {
    return CLI::Validator(
        [](std::string& s) {
            return LooksLikeOption(s)
                       ? "the value \"" + s + "\" looks like an option: give this option its value"
                       : std::string();
        },
        "", "");
}

// The same for a file name, which may start with "-" when written ./-q.
CLI::Validator NotAnOptionFile() {
    return CLI::Validator(
        [](std::string& s) {
            return LooksLikeOption(s) ? "the value \"" + s +
                                            "\" looks like an option, not a file name (a file "
                                            "of that name is written ./" +
                                            s + ")"
                                      : std::string();
        },
        "", "");
}

std::string CheckChartPath(const std::string& s) {
    if (IsStandardOutput(s)) return "";
    std::string ext;
    if (const size_t dot = s.rfind('.'); dot != std::string::npos) ext = s.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".png" || ext == ".svg" || ext == ".pdf"
               ? ""
               : "a chart file ends in .png, .svg or .pdf (- writes PNG to standard output)";
}

}  // namespace

int32_t ColumnFromText(const std::string& text) {
    return ColumnFromName(text);
}

std::string ColumnLetter(int32_t column) {
    return ColumnName(column);
}

ParseOutcome ParseOptions(int argc, const char* const* argv, Options& o, std::ostream& out,
                          std::ostream& err) {
    o.seed = kDefaultSeed;
    CLI::App app{
        "velta-cli: sample-size determination of a pilot sample without a window.\n"
        "Runs the window's commands in order: Open, Generate, Trim, Automatic, the manual\n"
        "size, Student-t, Configuration and Results.",
        "velta-cli"};
    app.footer(
        "Outputs: a file is written whole under a temporary name and renamed over the old\n"
        "one (its permissions kept; through a symbolic link to the file it points to); a\n"
        "device or a named pipe is written in place. A folder, a read-only file or a\n"
        "missing folder is refused before any work. - means standard output (a chart as\n"
        "PNG); only one output can go there.\n"
        "\n"
        "Standard output: the output named -, otherwise a table of one line per column.\n"
        "Standard error: every message the window would show, as TITLE (KIND): TEXT,\n"
        "velta-cli's own errors, and a progress bar on a terminal; with --all-columns each\n"
        "line starts with its column.\n"
        "\n"
        "Exit status:\n"
        "  0  every requested result was produced and written;\n"
        "  1  a procedure could not succeed (Automatic, the manual size, Student-t, a\n"
        "     report without a manual size) or an output could not be written; the\n"
        "     other results are still written;\n"
        "  2  bad options or input: an invalid value, an output that cannot be written,\n"
        "     an unreadable file, values that are not a pre-sample, or a question\n"
        "     answered No because --yes was not given.");
    app.set_version_flag("--version", std::string("velta-cli ") + kVersion);
    app.get_formatter()->column_width(32);

    auto* input = app.add_option("INPUT", o.input,
                                 "Spreadsheet (.xls, .xlsx, .ods, .csv), or - for numbers on "
                                 "standard input, one per line");
    app.add_option("--values", o.values, "The pre-sample's values on the command line")
        ->excludes(input);
    app.add_option("--sheet", o.sheet, "Sheet of a workbook, by name or number (default 1)")
        ->check(NotAnOption());
    auto* column = app.add_option("--column", o.column,
                                  "Column holding the values, letter or number (default A)")
                       ->check(NotAnOption())
                       ->check(Check(CheckColumn, "COLUMN"));
    app.add_flag("--all-columns", o.allColumns,
                 "Size every column of the sheet: one result per column")
        ->excludes(column);
    app.add_option("--virtual-samples,-V", o.virtualSamples,
                   "Number of virtual samples V (default 30000, or the number of distinct "
                   "samples when smaller)")
        ->check(NotAnOption())
        ->check(Check(CheckV, "V"));
    app.add_option("--trim,-P", o.trim, "P value of the trimming, 0 .. 10 (%)")
        ->check(NotAnOption())
        ->check(Check(CheckP, "P"))
        ->capture_default_str();
    int32_t manual = 0;
    auto* manualOpt =
        app.add_option("--manual", manual,
                       "Manual sample size, 2 .. N-1 (default: the automatic size, if any)")
            ->check(NotAnOption());
    app.add_option("--alpha", o.alpha, "Alpha of the Student-t size: 0.01, 0.05 or 0.10")
        ->check(NotAnOption())
        ->check(Check(CheckAlpha, "ALPHA"))
        ->capture_default_str();
    std::string maxError, sd;
    auto* maxErrorOpt =
        app.add_option("--max-error", maxError,
                       "Maximum accepted difference between sample and population means; "
                       "the Student-t size is computed only when given")
            ->check(NotAnOption())
            ->check(Check(CheckDifference, "D"));
    auto* sdOpt = app.add_option("--sd", sd,
                                 "Standard deviation of the Student-t size (default: the pilot's)")
                      ->check(NotAnOption())
                      ->check(Check(CheckSd, "S"));
    std::string seed = std::to_string(kDefaultSeed);
    app.add_option("--seed", seed,
                   "Seed of the random source, as the window's Seed box (every generation "
                   "starts from it; the same pilot, V and seed give the window's clouds)")
        ->check(NotAnOption())
        ->check(Check(CheckSeed, "SEED"))
        ->capture_default_str();
    app.add_option("--replicates", o.replicates,
                   "How many times a successful Automatic is repeated on independent "
                   "generations (seeds derived from --seed) to show how much its size moves; "
                   "0 for none")
        ->check(NotAnOption())
        ->check(Check(CheckReplicates, "R"))
        ->capture_default_str();
    app.add_option("--report", o.report,
                   "Write the .dat report to this file, or - for "
                   "standard output")
        ->check(NotAnOptionFile());
    app.add_option("--json", o.json,
                   "Write every result as JSON to this file, or - for standard output")
        ->check(NotAnOptionFile());
    app.add_option("--tables", o.tablesDir,
                   "Write the virtual-sample and trimmed tables of means and standard "
                   "deviations as CSV files into this folder")
        ->check(NotAnOptionFile());
    app.add_option("--chart-means", o.chartMeans,
                   "Export the means chart (.png, .svg, .pdf; - for PNG on standard output)")
        ->check(NotAnOptionFile())
        ->check(Check(CheckChartPath, "FILE"));
    app.add_option("--chart-sds", o.chartSds,
                   "Export the standard-deviations chart (.png, .svg, .pdf; - for PNG on "
                   "standard output)")
        ->check(NotAnOptionFile())
        ->check(Check(CheckChartPath, "FILE"));
    app.add_option("--chart-width", o.chartWidth, "Chart width in pixels (points for PDF)")
        ->check(NotAnOption())
        ->check(CLI::Range(100, 10000))
        ->capture_default_str();
    app.add_option("--chart-height", o.chartHeight, "Chart height in pixels (points for PDF)")
        ->check(NotAnOption())
        ->check(CLI::Range(100, 10000))
        ->capture_default_str();
    app.add_flag("--yes,-y", o.yes,
                 "Answer the generation's questions (many or redundant virtual samples) "
                 "with Yes; without it a question stops the run");
    app.add_flag("--quiet,-q", o.quiet, "No progress bar, no information messages");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        app.exit(e, out, err);
        return ParseOutcome::Exit0;
    } catch (const CLI::CallForVersion& e) {
        app.exit(e, out, err);
        return ParseOutcome::Exit0;
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return ParseOutcome::Exit2;
    }
    o.seed = ParseSeed(seed).value_or(kDefaultSeed);
    if (manualOpt->count() > 0) o.manual = manual;
    if (maxErrorOpt->count() > 0) o.maxError = maxError;
    if (sdOpt->count() > 0) o.sd = sd;
    if (o.input.empty() && o.values.empty()) {
        err << "velta-cli: give an INPUT file, - for standard input, or --values\n"
            << "Run with --help for more information.\n";
        return ParseOutcome::Exit2;
    }
    if (o.allColumns && (o.input.empty() || o.input == "-")) {
        err << "velta-cli: --all-columns needs a spreadsheet file\n";
        return ParseOutcome::Exit2;
    }
    return ParseOutcome::Run;
}

}  // namespace velta::cli
