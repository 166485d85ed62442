#pragma once
// One analysis of one column: the window's commands run in the window's
// order on a fresh session, through the command table, with the batch
// platform. What each command did is recorded for the JSON document and the
// exit status.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/batch_platform.h"
#include "cli/options.h"
#include "data/spreadsheet_commands.h"
#include "view/session.h"
#include "view/chart_picture.h"

namespace velta::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = 2;

struct StepRecord {
    std::string command;  // "Open", "Generate", "Trim", ...
    // "done"; "failed" (the command ran and did not produce its result);
    // "refused" (the window would not run it now); "unavailable" (not in
    // this build); "skipped" (an earlier step failed).
    std::string status;
    std::vector<ShownMessage> messages;
};

struct ColumnRun {
    Session session;
    std::string file;    // input file, "" for values typed or piped in
    std::string sheet;   // name of the sheet read, "" when not known
    int32_t column = 0;  // 0-based column of the sheet
    std::string header;  // the column's header text, "" when none
    // Cells skipped as missing values when the column was accepted: how many,
    // and the names of the first ones (see ReadPilotColumn).
    int64_t missingCount = 0;
    std::vector<std::string> missingCells;
    std::vector<StepRecord> steps;
    int exitStatus = kExitOk;
    std::map<std::string, std::string> outputs;  // "report", "chartMeans", ... -> path written

    void Fail(int status) { exitStatus = std::max(exitStatus, status); }
    const StepRecord* Step(const std::string& command) const;
};

// Draws one chart as the bytes of a "png", "svg" or "pdf" file; false with
// the reason when it cannot. The bytes are written like every other output.
using ChartRenderer =
    std::function<bool(const ChartPicture& chart, const std::string& format, int width,
                       int height, std::string& bytes, std::string& why)>;

// The image format of a chart output: its extension in lower case; PNG for
// standard output.
std::string ChartFormat(const std::string& path);

// Accepts the pre-sample: the column read from a sheet (accepted as Open
// accepts column 1), or typed values. Returns false when it was refused.
bool AcceptSheetColumn(ColumnRun& a, BatchPlatform& ui, const ImportedSheet& sheet);
bool AcceptValues(ColumnRun& a, BatchPlatform& ui, const std::vector<std::string>& values);

// Generate, Trim, Automatic, the manual size, Student-t and the report, as
// the options ask; `suffix` is added to per-analysis output names (before
// the extension) when several columns are sized in one run.
void RunAnalysis(ColumnRun& a, BatchPlatform& ui, const Options& o, const std::string& suffix,
                 const ChartRenderer& renderChart, std::ostream& err);

// `path` with `suffix` inserted before its extension; standard output stays
// standard output.
std::string WithSuffix(const std::string& path, const std::string& suffix);

}  // namespace velta::cli
