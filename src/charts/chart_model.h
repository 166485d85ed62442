#pragma once
// What one chart holds: a data grid of rows (sample sizes, the category axis)
// by columns (series), category labels and a fixed value-axis scale.
#include <cstdint>
#include <string>
#include <vector>

#include "data/revision.h"
#include "engine/table.h"

namespace velta {

struct ValueAxis {
    bool autoScale = true;
    double minimum = 0.0;
    double maximum = 0.0;
    std::string labelFormat;
};

class ChartModel {
public:
    explicit ChartModel(std::string caption = {}) : caption_(std::move(caption)) {}

    const std::string& Caption() const { return caption_; }

    // Sizes the data grid; every value becomes 0 and every label empty.
    void SetDataGrid(int32_t rows, int32_t cols);
    // The load and reset placeholder: one row of four zeros, label empty.
    void LoadPlaceholder() { SetDataGrid(1, 4); }

    int32_t RowCount() const { return data_.Rows(); }
    int32_t ColumnCount() const { return data_.Cols(); }
    // Cells are addressed from 1 like the chart component's data grid.
    double Value(int32_t row, int32_t col) const { return data_(row - 1, col - 1); }
    void SetValue(int32_t row, int32_t col, double v) { data_(row - 1, col - 1) = v;
        revision_ = NextRevision(); }
    const Table2D& Data() const { return data_; }

    const std::string& RowLabel(int32_t row) const { return labels_[row - 1]; }
    void SetRowLabel(int32_t row, std::string label) { labels_[row - 1] = std::move(label);
        revision_ = NextRevision(); }

    ValueAxis& Axis() { return axis_; }
    const ValueAxis& Axis() const { return axis_; }

    uint64_t Revision() const { return revision_; }
    void Touch() { revision_ = NextRevision(); }

private:
    std::string caption_;
    Table2D data_;
    std::vector<std::string> labels_;
    ValueAxis axis_;
    uint64_t revision_ = NextRevision();
};

}  // namespace velta
