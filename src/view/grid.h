#pragma once
// A spreadsheet grid (the sampling units, the result grids): cells of text
// addressed by column and row from 1, with row 0 the header row and column 0
// the row-number column. Views render from it; file reading and writing live
// in the spreadsheet module.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/revision.h"

namespace velta {

// The letters of a column counted from 1: "A", ... "Z", "AA".
std::string ColumnLetters(int32_t col);

class Grid {
  public:
    Grid(int32_t maxCols = 26, int32_t maxRows = 500) : maxCols_(maxCols), maxRows_(maxRows) {}

    // Number of the last row (>= 1) holding a non-empty cell in any column;
    // empty cells between values do not shorten it.
    int32_t DataRowCount() const;
    // Last non-empty row of one column.
    int32_t DataRowCount(int32_t col) const;

    const std::string& CellText(int32_t col, int32_t row) const;
    void SetCell(int32_t col, int32_t row, const std::string& text);
    void SetCell(int32_t col, int32_t row, double value);  // general number format
    void ClearAll();

    int32_t MaxCols() const { return maxCols_; }
    int32_t MaxRows() const { return maxRows_; }
    void SetMaxCols(int32_t n) {
        maxCols_ = n;
        revision_ = NextRevision();
    }
    void SetMaxRows(int32_t n) {
        maxRows_ = n;
        revision_ = NextRevision();
    }

    void SetColWidth(int32_t col, double width) {
        colWidths_[col] = width;
        revision_ = NextRevision();
    }
    void SetRowHeight(int32_t row, double height) {
        rowHeights_[row] = height;
        revision_ = NextRevision();
    }
    const std::map<int32_t, double>& ColWidths() const { return colWidths_; }
    const std::map<int32_t, double>& RowHeights() const { return rowHeights_; }

    // Views repaint when the revision changes; Redraw forces one.
    void Redraw() { revision_ = NextRevision(); }
    uint64_t Revision() const { return revision_; }

    // Columns that hold at least one cell (row 0 included), for views.
    int32_t UsedCols() const { return static_cast<int32_t>(cols_.size()) - 1; }

    // Inserts `count` empty rows before `row` (>= 1) in every column, moving
    // the rows from there down; the header row stays.
    void InsertRows(int32_t row, int32_t count);
    // Deletes rows row .. row + count - 1 (row >= 1) of every column, moving
    // the rows below up.
    void DeleteRows(int32_t row, int32_t count);

  private:
    // cols_[col][row]; column vectors grow on demand.
    std::vector<std::vector<std::string>> cols_;
    int32_t maxCols_;
    int32_t maxRows_;
    std::map<int32_t, double> colWidths_;
    std::map<int32_t, double> rowHeights_;
    uint64_t revision_ = NextRevision();
};

}  // namespace velta
