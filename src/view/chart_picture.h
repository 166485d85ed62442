#pragma once
// What one chart shows: the cloud (a view onto a table of the analysis, never
// a copy) and typed overlays on it: the fitted lines of the automatic
// procedure and the vertical marks of the automatic, manual and Student-t
// sizes. Category c (from 1) is table row c - 1, sample size c + 1.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/automatic_size.h"
#include "analysis/generation.h"
#include "base/table.h"

namespace velta {

struct SizeMark {
    enum class Kind { Automatic, Manual, StudentT };
    Kind kind = Kind::Manual;
    int32_t category = 0;
    // The mark spans the chart's value range.
    friend bool operator==(const SizeMark&, const SizeMark&) = default;
};

// One line of a chart's legend: what is drawn and its words.
struct LegendEntry {
    enum class Kind { Cloud, FittedLines, Automatic, Manual, StudentT };
    Kind kind = Kind::Cloud;
    std::string text;
    friend bool operator==(const LegendEntry&, const LegendEntry&) = default;
};

struct ChartPicture {
    std::string caption;
    // Rows 0 .. categories - 1, columns 0 .. samples - 1 of this table; none
    // before a generation.
    std::shared_ptr<const Table2D> cloud;
    int32_t samples = 0;
    int32_t categories = 1;
    // Categories that hold data and get markers: step, 2 * step, ... up to
    // lastPoint (the last category gets none).
    int32_t step = 1;
    int32_t lastPoint = 0;
    // The fixed value range; none before a generation.
    std::optional<AxisRange> axis;
    // The four fitted lines in the sample size: category c shows size c + 1.
    std::optional<FittedLines> lines;
    std::vector<SizeMark> marks;
    // An older picture shown while a generation replaces it.
    bool greyed = false;
    // For a picture that leaves the window (an exported chart): the line
    // under the caption naming the pilot, V, P and the seed, and the legend
    // of what is drawn, in the order drawn.
    std::string subtitle;
    std::vector<LegendEntry> legend;

    bool HasCloud() const { return cloud && samples > 0; }
    std::string CategoryLabel(int32_t category) const { return std::to_string(category + 1); }
};

}  // namespace velta
