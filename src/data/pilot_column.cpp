#include "data/pilot_column.h"

#include <algorithm>

#include "analysis/pilot.h"
#include "base/numbers.h"
#include "data/presample.h"

namespace velta {

bool StartsLikeNumber(std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    if (t.empty()) return false;
    const char c = t.front();
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == ',';
}

bool IsMissingValueMark(std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    return t.empty() || t == "NA" || t == "N/A" || t == kNotAvailableText || t == ".";
}

bool IsHeaderText(std::string_view text) {
    return !IsMissingValueMark(text) && !StartsLikeNumber(text);
}

PilotColumn ReadPilotColumn(const SheetColumn& column) {
    PilotColumn p;
    p.endRow = column.rows;
    const int32_t col = column.column;
    auto refuse = [&](int32_t row, std::string detail) {
        p.refusedCell = CellName(row, col);
        p.detail = std::move(detail);
        p.message = std::string(kBadPreSampleMessage) + "\r\r" + p.detail;
        return p;
    };
    auto skip = [&](int32_t from, int32_t to) {  // rows from .. to - 1
        if (to <= from) return;
        p.missingCount += to - from;
        for (int32_t r = from; r < to && p.missingCells.size() < kMaxListedMissingCells; ++r)
            p.missingCells.push_back(CellName(r, col));
    };
    // An empty column is refused as its first cell was before missing values
    // were skipped.
    if (column.cells.empty() && column.notes.empty() && !column.tooManyRows &&
        !column.tooManyMissing)
        return refuse(0, BadCellDetail(CellName(0, col), ""));

    // Cells and notes in row order; the rows between them are empty.
    auto cell = column.cells.begin();
    auto note = column.notes.begin();
    int32_t next = 0;  // the first row not looked at yet
    while (cell != column.cells.end() || note != column.notes.end()) {
        const bool isNote =
            note != column.notes.end() && (cell == column.cells.end() || note->first < cell->first);
        const int32_t row = isNote ? note->first : cell->first;
        skip(next, row);
        next = std::max(next, row + 1);
        if (isNote)
            return refuse(row, "Cell " + CellName(row, col) + " cannot be used: " + note->second + ".");
        const std::string& text = (cell++)->second;
        if (IsMissingValueMark(text)) {
            skip(row, row + 1);
        } else if (const auto v = ParseNumber(text)) {
            p.texts.push_back(text);
            p.values.push_back(*v);
        } else if (row == 0 && IsHeaderText(text)) {
            p.hasHeader = true;
            p.header = text;
        } else {
            return refuse(row, BadCellDetail(CellName(row, col), text));
        }
    }
    // A limit of the reader, reached below every cell checked above.
    if (column.tooManyRows) {
        p.message = "The pre-sample holds more than " + FormatInteger(kMaxSamplingUnits) +
                    " sampling units; VELTA handles at most " + FormatInteger(kMaxSamplingUnits) +
                    ".";
        p.detail = p.message;
        return p;
    }
    if (column.tooManyMissing) {
        p.message = "Column " + ColumnName(col) + " holds more than " +
                    FormatInteger(kMaxMissingMarks) +
                    " cells marked as missing values (NA, N/A, #N/A or .); VELTA skips at most " +
                    FormatInteger(kMaxMissingMarks) + ".";
        p.detail = p.message;
        return p;
    }
    p.accepted = true;
    return p;
}

std::string MissingValuesMessage(const PilotColumn& pilot) {
    if (pilot.missingCount == 0) return "";
    std::string s = pilot.missingCount == 1
                        ? std::string("1 cell was skipped as a missing value")
                        : FormatInteger(pilot.missingCount) + " cells were skipped as missing values";
    s += " (empty, NA, N/A, #N/A or .): ";
    const size_t shown = std::min(pilot.missingCells.size(), kMissingCellsInMessage);
    for (size_t i = 0; i < shown; ++i) s += (i ? ", " : "") + pilot.missingCells[i];
    if (pilot.missingCount > static_cast<int64_t>(shown))
        s += " and " + FormatInteger(pilot.missingCount - static_cast<int64_t>(shown)) + " more";
    return s + ".";
}

}  // namespace velta
