#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>

#include "base/numbers.h"
#include "charts/trim.h"
#include "data/spreadsheet.h"
#include "engine/generation_command.h"
#include "engine/random.h"

#ifndef VELTA_VERSION
#define VELTA_VERSION "unknown"
#endif

namespace velta::cli {

namespace {

// The Student-t command's own checks: a standard deviation that is a number
// and not negative, a difference that is a number above 0.
constexpr const char* kBadSdMessage = "The specified standard deviation is not valid";
constexpr const char* kBadDifferenceMessage =
    "The specified maximum difference between sample and population means is not valid";

CLI::Validator Check(std::string (*test)(const std::string&), const char* name) {
    return CLI::Validator([test](std::string& s) { return test(s); }, "", name);
}

std::string CheckV(const std::string& s) {
    if (!IsNumeric(s) || !IsWholeNumber(s) || *ParseNumber(s) < 1)
        return kInvalidVirtualSamplesMessage;
    return "";
}

std::string CheckP(const std::string& s) {
    if (!IsNumeric(s) || !IsWholeNumber(s) || *ParseNumber(s) < 0 || *ParseNumber(s) >= 10)
        return kInvalidPMessage;
    return "";
}

std::string CheckSd(const std::string& s) {
    return IsNumeric(s) && *ParseNumber(s) >= 0 ? "" : kBadSdMessage;
}

std::string CheckDifference(const std::string& s) {
    return IsNumeric(s) && *ParseNumber(s) > 0 ? "" : kBadDifferenceMessage;
}

std::string CheckSeed(const std::string& s) {
    uint64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size()
               ? ""
               : "a seed is a whole number from 0 to 18446744073709551615";
}

std::string CheckAlpha(const std::string& s) {
    return s == "0.01" || s == "0.05" || s == "0.10" ? "" : "alpha must be 0.01, 0.05 or 0.10";
}

std::string CheckColumn(const std::string& s) {
    return ColumnFromText(s) >= 0 ? "" : "a column is a letter (A, B, ... AB) or a number from 1";
}

std::string CheckChartPath(const std::string& s) {
    std::string ext;
    if (const size_t dot = s.rfind('.'); dot != std::string::npos) ext = s.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".png" || ext == ".svg" || ext == ".pdf"
               ? ""
               : "a chart file ends in .png, .svg or .pdf";
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
        "size, Student-t, Configuration and Results; messages go to standard error.\n"
        "Exit status: 0 every requested result produced, 1 a procedure could not succeed,\n"
        "2 bad input or options.",
        "velta-cli"};
    app.set_version_flag("--version", std::string("velta-cli ") + VELTA_VERSION);
    app.get_formatter()->column_width(32);

    auto* input = app.add_option("INPUT", o.input,
                                 "Spreadsheet (.xls, .xlsx, .ods, .csv), or - for numbers on "
                                 "standard input, one per line");
    app.add_option("--values", o.values, "The pre-sample's values on the command line")
        ->excludes(input);
    app.add_option("--sheet", o.sheet, "Sheet of a workbook, by name or number (default 1)");
    auto* column = app.add_option("--column", o.column,
                                  "Column holding the values, letter or number (default A)")
                       ->check(Check(CheckColumn, "COLUMN"));
    app.add_flag("--all-columns", o.allColumns,
                 "Size every column of the sheet: one result per column")
        ->excludes(column);
    app.add_option("--virtual-samples,-V", o.virtualSamples,
                   "Number of virtual samples V (default 250, or the number of distinct "
                   "samples when smaller)")
        ->check(Check(CheckV, "V"));
    app.add_option("--trim,-P", o.trim, "P value of the trimming, 0 .. 9 (%)")
        ->check(Check(CheckP, "P"))
        ->capture_default_str();
    int32_t manual = 0;
    auto* manualOpt = app.add_option(
        "--manual", manual, "Manual sample size, 2 .. N-1 (default: the automatic size, if any)");
    app.add_option("--alpha", o.alpha, "Alpha of the Student-t size: 0.01, 0.05 or 0.10")
        ->check(Check(CheckAlpha, "ALPHA"))
        ->capture_default_str();
    std::string maxError, sd;
    auto* maxErrorOpt =
        app.add_option("--max-error", maxError,
                       "Maximum accepted difference between sample and population means; "
                       "the Student-t size is computed only when given")
            ->check(Check(CheckDifference, "D"));
    auto* sdOpt = app.add_option("--sd", sd,
                                 "Standard deviation of the Student-t size (default: the pilot's)")
                      ->check(Check(CheckSd, "S"));
    std::string seed = std::to_string(kDefaultSeed);
    app.add_option("--seed", seed,
                   "Seed of the random source (default: the window's fixed start, so a "
                   "plain run repeats the window's first generation)")
        ->check(Check(CheckSeed, "SEED"))
        ->capture_default_str();
    app.add_option("--report", o.report, "Write the .dat report to this file");
    app.add_option("--json", o.json,
                   "Write every result as JSON to this file, or - for "
                   "standard output");
    app.add_option("--tables", o.tablesDir,
                   "Write the virtual-sample and trimmed tables of means and standard "
                   "deviations as CSV files into this folder");
    app.add_option("--chart-means", o.chartMeans, "Export the means chart (.png, .svg, .pdf)")
        ->check(Check(CheckChartPath, "FILE"));
    app.add_option("--chart-sds", o.chartSds,
                   "Export the standard-deviations chart (.png, .svg, .pdf)")
        ->check(Check(CheckChartPath, "FILE"));
    app.add_option("--chart-width", o.chartWidth, "Chart width in pixels (points for PDF)")
        ->check(CLI::Range(100, 10000))
        ->capture_default_str();
    app.add_option("--chart-height", o.chartHeight, "Chart height in pixels (points for PDF)")
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
    std::from_chars(seed.data(), seed.data() + seed.size(), o.seed);
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
