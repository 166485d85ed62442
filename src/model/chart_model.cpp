#include "model/chart_model.h"

#include <algorithm>
#include <cstring>

#include "base/errors.h"

namespace velta {

void ChartModel::SetDataGrid(int32_t rows, int32_t cols) {
    if (rows < 0 || cols < 0) throw SubscriptOutOfRange("chart data grid");
    data_.Resize(rows, cols);
    labels_.assign(static_cast<size_t>(rows), std::string());
    cloudSeries_ = std::min(cloudSeries_, cols);
    cloud_.series = std::min(cloud_.series, cols);
    cloud_.lastPoint = std::min(cloud_.lastPoint, rows);
    std::erase_if(overrides_,
                  [&](const auto& e) { return e.first.first > cols || e.first.second > rows; });
    std::erase_if(styles_, [&](const auto& e) { return e.first > cols; });
    ChangedCloud();
}

void ChartModel::LoadBlock(const Table2D& table, int32_t rows, int32_t cols) {
    if (rows < 0 || cols < 0 || rows > RowCount() || cols > ColumnCount() || rows > table.Rows() ||
        cols > table.Cols())
        throw SubscriptOutOfRange("chart block load");
    // Reloading the same cloud with new line columns is the common case (a
    // moved line); the cloud keeps its revision then, so views redraw only
    // the lines.
    const auto cloudBytes = static_cast<size_t>(std::min(cloudSeries_, cols)) * sizeof(double);
    bool cloudChanged = false;
    for (int32_t r = 0; r < rows; ++r) {
        double* dst = data_.Row(r);
        const double* src = table.Row(r);
        if (!cloudChanged && std::memcmp(dst, src, cloudBytes) != 0) cloudChanged = true;
        std::memcpy(dst, src, static_cast<size_t>(cols) * sizeof(double));
    }
    if (cloudChanged)
        ChangedCloud();
    else
        ChangedLines();
}

void ChartModel::SetValue(int32_t row, int32_t col, double v) {
    data_(row - 1, col - 1) = v;
    if (col <= cloudSeries_)
        ChangedCloud();
    else
        ChangedLines();
}

void ChartModel::SetRowLabel(int32_t row, std::string label) {
    if (row < 1 || row > RowCount()) throw SubscriptOutOfRange("chart row label");
    labels_[static_cast<size_t>(row - 1)] = std::move(label);
    ChangedCloud();
}

void ChartModel::SetCloudSeries(int32_t n) {
    cloudSeries_ = std::clamp(n, 0, ColumnCount());
    ChangedCloud();
}

void ChartModel::MarkCloudSeries(int32_t through, int32_t step, int32_t lastPoint, int16_t size) {
    if (through < 0 || through > ColumnCount() || step < 1)
        throw SubscriptOutOfRange("chart cloud markers");
    cloud_ = {through, step, std::min(lastPoint, RowCount()), size};
    ChangedCloud();
}

void ChartModel::CheckSeries(int32_t series, int32_t point, const char* where) const {
    if (series < 1 || series > ColumnCount() || point < 1 || point > RowCount())
        throw SubscriptOutOfRange(where);
}

Marker ChartModel::PointMarker(int32_t series, int32_t point) const {
    CheckSeries(series, point, "chart data point");
    if (const auto it = overrides_.find({series, point}); it != overrides_.end()) return it->second;
    Marker m;
    if (series <= cloud_.series && point <= cloud_.lastPoint && point % cloud_.step == 0) {
        m.visible = true;
        m.size = cloud_.size;
    }
    return m;
}

void ChartModel::SetPointMarker(int32_t series, int32_t point, const Marker& m) {
    CheckSeries(series, point, "chart data point");
    overrides_[{series, point}] = m;
    if (series <= cloudSeries_)
        ChangedCloud();
    else
        ChangedLines();
}

ChartModel::SeriesStyle ChartModel::StyleOf(int32_t series) const {
    if (const auto it = styles_.find(series); it != styles_.end()) return it->second;
    return SeriesStyle();
}

bool ChartModel::ShowLine(int32_t series) const {
    return StyleOf(series).showLine;
}
Rgb ChartModel::PenColour(int32_t series) const {
    return StyleOf(series).pen;
}
int16_t ChartModel::PenWidth(int32_t series) const {
    return StyleOf(series).width;
}

ChartModel::SeriesStyle& ChartModel::EditStyle(int32_t series) {
    CheckSeries(series, 1, "chart series");
    // A series without its own entry starts from the default style.
    return styles_.try_emplace(series, StyleOf(series)).first->second;
}

void ChartModel::SetShowLine(int32_t series, bool show) {
    EditStyle(series).showLine = show && series > cloudSeries_;
    ChangedLines();
}

void ChartModel::SetPenColour(int32_t series, Rgb c) {
    EditStyle(series).pen = c;
    ChangedLines();
}

void ChartModel::SetPenWidth(int32_t series, int16_t w) {
    EditStyle(series).width = w;
    ChangedLines();
}

void WidenTable(Table2D& t, int32_t cols) {
    if (cols <= t.Cols()) return;
    Table2D wide(t.Rows(), cols);
    for (int32_t r = 0; r < t.Rows(); ++r) std::copy(t.Row(r), t.Row(r) + t.Cols(), wide.Row(r));
    t = std::move(wide);
}

void StoreLadder(Table2D& t, int32_t row, int32_t firstCol, double lower, double upper) {
    if (row < 0 || row >= t.Rows() || firstCol < 0 || firstCol + 15 >= t.Cols())
        throw SubscriptOutOfRange("vertical line");
    const double step = (upper - lower) / 15.0;
    double w = 0.0;
    t(row, firstCol) = 0.0;
    for (int32_t i = 1; i <= 15; ++i) {
        w = i == 1 ? lower : w + step;
        t(row, firstCol + i) = w;
    }
}

void FormatVerticalLine(ChartModel& chart, int32_t point, Rgb colour) {
    const int32_t count = chart.ColumnCount();
    for (int32_t s = count - 15; s <= count; ++s) {
        chart.SetPointMarker(s, point, {true, kLineMarkerStyle, kLineMarkerSize, colour, colour});
        chart.SetShowLine(s, false);
    }
}

void RemoveVerticalLine(ChartModel& chart, int32_t point) {
    const int32_t count = chart.ColumnCount();
    for (int32_t s = count - 15; s <= count; ++s) {
        Marker m = chart.PointMarker(s, point);
        m.visible = false;
        chart.SetPointMarker(s, point, m);
        chart.SetShowLine(s, false);
    }
}

}  // namespace velta
