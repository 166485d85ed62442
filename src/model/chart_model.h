#pragma once
// What one chart holds: a data grid of rows (sample sizes, the category axis)
// by columns (series), category labels, a fixed value-axis scale, the
// markers of the data points and the connecting lines of the series.
//
// Series 1 .. V are the cloud (one per virtual sample, markers only); the
// series after them carry the fitted lines and the vertical marker lines, in
// the table columns V .. V+34 (the LineColumns):
//   V .. V+3     four fitted lines
//   V+4 .. V+19  vertical line of the automatic sample size (16 series)
//   V+19 .. V+34 vertical line of the manual or Student-t size (16 series)
// A vertical line is a ladder of 16 single markers at one category.
//
// Markers are stored compactly: the cloud's markers follow one rule (series
// 1 .. s show a marker on every step-th point up to a last point), and any
// other marker is a sparse per-point entry. A cloud of 185,000 virtual
// samples thus costs a few bytes of formatting, not one object per point.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/revision.h"
#include "base/table.h"

namespace velta {

struct ValueAxis {
    bool autoScale = true;
    double minimum = 0.0;
    double maximum = 0.0;
    std::string labelFormat;
    friend bool operator==(const ValueAxis&, const ValueAxis&) = default;
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Marker {
    bool visible = false;
    int16_t style = 0;
    int16_t size = 0;
    Rgb border, fill;
    friend bool operator==(const Marker&, const Marker&) = default;
};

// Series 1 .. series show a visible marker of `size` on the points step,
// 2*step, ... <= lastPoint.
struct CloudMarkers {
    int32_t series = 0;
    int32_t step = 1;
    int32_t lastPoint = 0;
    int16_t size = 5;
    friend bool operator==(const CloudMarkers&, const CloudMarkers&) = default;
};

// Colours and shape of the vertical lines.
inline constexpr Rgb kAutoLineColour{50, 0, 255};
inline constexpr Rgb kManualLineColour{255, 0, 100};
inline constexpr Rgb kStudentLineColour{0, 255, 0};
inline constexpr Rgb kFittedLineColour{255, 255, 255};
inline constexpr int16_t kLineMarkerStyle = 10;
inline constexpr int16_t kLineMarkerSize = 7;
inline constexpr int16_t kCloudMarkerSize = 5;
inline constexpr int32_t kLineColumnCount = 35;

class ChartModel {
  public:
    explicit ChartModel(std::string caption = {}) : caption_(std::move(caption)) {}

    const std::string& Caption() const { return caption_; }

    // Sizes the data grid; every value becomes 0 and every label empty. The
    // formatting of series and points that still exist is kept, the rest is
    // dropped with them.
    void SetDataGrid(int32_t rows, int32_t cols);
    // The load and reset placeholder: one row of four zeros, label empty.
    void LoadPlaceholder() { SetDataGrid(1, 4); }
    // Copies table elements (0 .. rows-1, 0 .. cols-1) into grid cells
    // (1 .. rows, 1 .. cols). SubscriptOutOfRange when either is too small.
    void LoadBlock(const Table2D& table, int32_t rows, int32_t cols);

    int32_t RowCount() const { return data_.Rows(); }
    int32_t ColumnCount() const { return data_.Cols(); }
    // Cells are addressed from 1 like the chart component's data grid.
    double Value(int32_t row, int32_t col) const { return data_(row - 1, col - 1); }
    void SetValue(int32_t row, int32_t col, double v);
    // Grid row r (from 0) is data row r + 1; a row is contiguous over series.
    const Table2D& Data() const { return data_; }

    const std::string& RowLabel(int32_t row) const { return labels_[row - 1]; }
    void SetRowLabel(int32_t row, std::string label);

    ValueAxis& Axis() { return axis_; }
    const ValueAxis& Axis() const { return axis_; }

    // Series 1 .. n form the cloud: markers only, never a connecting line.
    int32_t CloudSeries() const { return cloudSeries_; }
    void SetCloudSeries(int32_t n);
    // Extends the cloud rule to series 1 .. through.
    void MarkCloudSeries(int32_t through, int32_t step, int32_t lastPoint, int16_t size);
    const CloudMarkers& CloudRule() const { return cloud_; }

    // The marker of data point `point` of series `series` (both from 1).
    Marker PointMarker(int32_t series, int32_t point) const;
    void SetPointMarker(int32_t series, int32_t point, const Marker& m);
    const std::map<std::pair<int32_t, int32_t>, Marker>& MarkerOverrides() const {
        return overrides_;
    }

    // Connecting line of a series: off until a writer switches it on (only
    // the series after the cloud can draw one), in white, 1 pixel wide. A
    // ladder loaded but not formatted thus draws no spike from 0.
    bool ShowLine(int32_t series) const;
    void SetShowLine(int32_t series, bool show);
    Rgb PenColour(int32_t series) const;
    void SetPenColour(int32_t series, Rgb c);
    int16_t PenWidth(int32_t series) const;
    void SetPenWidth(int32_t series, int16_t w);

    // Any change at all.
    uint64_t Revision() const { return revision_; }
    // Changes that touch the cloud: its data, its markers, the rows, labels
    // and cloud size. A view redraws the cloud only when this moves.
    uint64_t CloudRevision() const { return cloudRevision_; }
    void Touch() { revision_ = cloudRevision_ = NextRevision(); }

  private:
    struct SeriesStyle {
        bool showLine = false;
        Rgb pen = kFittedLineColour;
        int16_t width = 1;
    };
    SeriesStyle StyleOf(int32_t series) const;
    // The series' own style entry, created from StyleOf when missing.
    SeriesStyle& EditStyle(int32_t series);
    void ChangedLines() { revision_ = NextRevision(); }
    void ChangedCloud() { revision_ = cloudRevision_ = NextRevision(); }
    void CheckSeries(int32_t series, int32_t point, const char* where) const;

    std::string caption_;
    Table2D data_;
    std::vector<std::string> labels_;
    ValueAxis axis_;
    int32_t cloudSeries_ = 0;
    CloudMarkers cloud_;
    std::map<std::pair<int32_t, int32_t>, Marker> overrides_;
    std::map<int32_t, SeriesStyle> styles_;
    uint64_t revision_ = NextRevision();
    uint64_t cloudRevision_ = revision_;
};

// Widens a table to `cols` columns, keeping every value already present.
void WidenTable(Table2D& t, int32_t cols);

// The vertical-line ladder in table row `row`, columns firstCol .. firstCol+15:
// 0, lower, lower + step, ..., upper - step, with step = (upper - lower) / 15.
void StoreLadder(Table2D& t, int32_t row, int32_t firstCol, double lower, double upper);
// Shows the last 16 series' markers at `point` as a vertical line of `colour`
// (style 10, size 7, no connecting line).
void FormatVerticalLine(ChartModel& chart, int32_t point, Rgb colour);
// Hides the last 16 series' markers at `point` and their connecting lines.
void RemoveVerticalLine(ChartModel& chart, int32_t point);

}  // namespace velta
