#pragma once
// The options of velta-cli and their parsing. Values the window takes as
// typed text (V, P, the Student-t inputs) are kept as text and checked here
// with the same rules the commands apply, so a bad value stops the run
// before any work, with the window's own message.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace velta::cli {

// The most repeats of the automatic procedure velta-cli runs.
inline constexpr int32_t kMaxReplicates = 1000;

struct Options {
    std::string input;                // file, "-" for standard input, "" with --values
    std::vector<std::string> values;  // --values
    std::string sheet;                // name or 1-based number; "" = the first
    std::string column;               // letter or 1-based number; "" = the first
    bool allColumns = false;
    // "" keeps the window's own: 30000, capped by the acceptance to the
    // number of distinct samples.
    std::string virtualSamples;
    std::string trim = "5";
    std::optional<int32_t> manual;
    std::string alpha = "0.05";
    std::optional<std::string> maxError;
    std::optional<std::string> sd;
    uint64_t seed = 0;  // set to the window's start by ParseOptions
    int32_t replicates = 20;  // repeats of a successful Automatic; 0: none
    std::string report;
    std::string json;
    std::string tablesDir;
    std::string chartMeans;
    std::string chartSds;
    int32_t chartWidth = 1600;
    int32_t chartHeight = 1000;
    bool yes = false;
    bool quiet = false;
};

enum class ParseOutcome { Run, Exit0, Exit2 };

// Parses argv; help and version are printed to `out`, errors to `err`.
ParseOutcome ParseOptions(int argc, const char* const* argv, Options& o, std::ostream& out,
                          std::ostream& err);

// The 0-based column of "A", "b", "AB" or "3"; -1 when it names no column.
int32_t ColumnFromText(const std::string& text);
// "A", "B", ... "Z", "AA" for a 0-based column.
std::string ColumnLetter(int32_t column);

}  // namespace velta::cli
