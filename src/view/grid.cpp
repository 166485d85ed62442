#include "view/grid.h"

#include <algorithm>

#include "base/errors.h"
#include "base/numbers.h"

namespace velta {

namespace {
const std::string kEmpty;
}

int32_t Grid::DataRowCount(int32_t col) const {
    if (col < 0 || col >= static_cast<int32_t>(cols_.size())) return 0;
    const auto& c = cols_[col];
    for (int32_t r = static_cast<int32_t>(c.size()) - 1; r >= 1; --r)
        if (!c[r].empty()) return r;
    return 0;
}

int32_t Grid::DataRowCount() const {
    int32_t n = 0;
    for (int32_t col = 1; col < static_cast<int32_t>(cols_.size()); ++col)
        n = std::max(n, DataRowCount(col));
    return n;
}

const std::string& Grid::CellText(int32_t col, int32_t row) const {
    if (col < 0 || row < 0 || col >= static_cast<int32_t>(cols_.size())) return kEmpty;
    const auto& c = cols_[col];
    return row < static_cast<int32_t>(c.size()) ? c[row] : kEmpty;
}

void Grid::SetCell(int32_t col, int32_t row, const std::string& text) {
    if (col < 0 || row < 0) throw SubscriptOutOfRange("Grid::SetCell");
    if (col >= static_cast<int32_t>(cols_.size())) {
        if (text.empty()) return;
        cols_.resize(col + 1);
    }
    auto& c = cols_[col];
    if (row >= static_cast<int32_t>(c.size())) {
        if (text.empty()) return;
        c.resize(row + 1);
    }
    c[row] = text;
    if (col > maxCols_) maxCols_ = col;
    if (row > maxRows_) maxRows_ = row;
    revision_ = NextRevision();
}

void Grid::SetCell(int32_t col, int32_t row, double value) {
    SetCell(col, row, FormatGeneral(value));
}

void Grid::InsertRows(int32_t row, int32_t count) {
    if (row < 1 || count < 0) throw SubscriptOutOfRange("Grid::InsertRows");
    if (count == 0) return;
    for (auto& c : cols_)
        if (row < static_cast<int32_t>(c.size())) c.insert(c.begin() + row, count, std::string());
    maxRows_ = std::max(maxRows_, DataRowCount());
    revision_ = NextRevision();
}

void Grid::DeleteRows(int32_t row, int32_t count) {
    if (row < 1 || count < 0) throw SubscriptOutOfRange("Grid::DeleteRows");
    if (count == 0) return;
    for (auto& c : cols_) {
        const auto size = static_cast<int32_t>(c.size());
        if (row >= size) continue;
        c.erase(c.begin() + row, c.begin() + std::min(size, row + count));
    }
    revision_ = NextRevision();
}

std::string ColumnLetters(int32_t col) {
    std::string s;
    for (int32_t c = col; c > 0; c = (c - 1) / 26)
        s.insert(s.begin(), static_cast<char>('A' + (c - 1) % 26));
    return s;
}

void Grid::ClearAll() {
    cols_.clear();
    colWidths_.clear();
    rowHeights_.clear();
    revision_ = NextRevision();
}

}  // namespace velta
