#pragma once
// What one column read from a sheet means as a pilot sample: the header in
// row 1, the values in row order, the missing-value cells skipped and where
// the column ends; or the cell (or the limit) that refuses it. A pure
// function of the column read, without workspace or dialogs, so that Open,
// the command line and typed values can share the rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/spreadsheet.h"

namespace velta {

// The text, after leading blanks, starts with a digit, a sign or a decimal
// separator ('.' or ','): it was meant as a number, even when it is not one
// ("12..5", "1O.5", "-").
bool StartsLikeNumber(std::string_view text);
// A missing-value mark: an empty or blank text, "NA", "N/A", "#N/A" or "."
// (blanks around allowed; the letters as written).
bool IsMissingValueMark(std::string_view text);
// A text that names a column ("CO2 flux", "Weight (g)"): not a missing-value
// mark and not starting like a number (so not a number either).
bool IsHeaderText(std::string_view text);

// How many skipped cells a result names, and how many of them the message does.
inline constexpr size_t kMaxListedMissingCells = 1000;
inline constexpr size_t kMissingCellsInMessage = 5;

struct PilotColumn {
    bool accepted = false;
    // Row 1 holds a header text (IsHeaderText) rather than a value.
    bool hasHeader = false;
    std::string header;
    // The values as the cells hold them and as numbers, in row order.
    std::vector<std::string> texts;
    std::vector<double> values;
    // Cells skipped as missing values (empty, or holding a missing-value
    // mark) between row 1 and the end of the column, and the names of the
    // first kMaxListedMissingCells of them ("A4").
    int64_t missingCount = 0;
    std::vector<std::string> missingCells;
    // 1 + the last 0-based row that holds anything (a number, a text, a
    // formula, an error, a date): the column ends there.
    int32_t endRow = 0;
    // When refused: the cell that refuses the column ("" when a limit does),
    // the detail line, and the whole text of the message box.
    std::string refusedCell;
    std::string detail;
    std::string message;
};

// Reads the column from row 1 to its end. Refuses it at the first cell that
// is not a number, a missing-value mark or (in row 1) a header, naming that
// cell, and when the reader stopped at one of its limits. The values and the
// skipped cells are complete only when the column is accepted.
PilotColumn ReadPilotColumn(const SheetColumn& column);

// The information message that names the skipped cells; "" when none was.
std::string MissingValuesMessage(const PilotColumn& pilot);

}  // namespace velta
