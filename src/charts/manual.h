#pragma once
// The slider between the charts and the movable lines: a sample size chosen
// by hand (or handed over by the automatic procedure) drawn as a vertical
// line on both charts, with the statistics of the virtual samples at it.
//
// Sizes travel as row values s, as the slider handler passes them: sample
// size S is passed as s = S - 1 and drawn in table row s - 1.
#include <cstdint>
#include <vector>

#include "analysis/size_statistics.h"
#include "base/table.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kNotTrimmedSliderMessage =
    "You have to trim the data before trying to manually select a sample size";

// Loads a chart's data grid from a table: N - 2 rows by `cols` columns, the
// whole block, so every line already stored in the table shows with it. The
// grid is resized (and its category labels set to the sample sizes 2 ..
// N - 1) only when its shape changes, so that reloading the same cloud with
// moved lines leaves the cloud's revision alone.
void ReloadChart(ChartModel& chart, const Table2D& table, int32_t N, int32_t cols);

// The trimmed means a(1 .. V) and standard deviations b(1 .. V) (position 0
// unused) of the virtual samples at row value s. When the generation has no
// row for that size (Jump >= 2) the values are interpolated linearly between
// the generated rows around it; below the first generated row they are that
// row's, and above the last one (only empty rows follow it) the last one's.
// V is the tables' own. SubscriptOutOfRange for s < 1 or no trimmed tables.
void VectorsAtSize(const Workspace& ws, int32_t s, std::vector<double>& a, std::vector<double>& b);

// sprRep column `col` (1 manual, 2 automatic, 3 Student-t), rows 1 .. 6:
// mean, maximum and minimum of a; mean, maximum and non-zero minimum of b.
void WriteStatisticsColumn(Workspace& ws, int32_t col, const std::vector<double>& a,
                           const std::vector<double>& b);
void WriteStatisticsColumn(Workspace& ws, int32_t col, const SizeStatistics& stats);

// Re-arms the slider (2 .. N-1, N of the trimmed tables, step Jump) and
// marks max(ds, m) + 1 on its track; the position does not change.
void SpostaRighe(Workspace& ws, int32_t SampleSizeDS, int32_t SampleSizeM);

// Draws the manual line at row values (SampleSizeDS, SampleSizeM) on both
// charts and fills Text4, the manual coefficients of variation, sprRep
// column 1 (auto0or1 = 0) or 2 (auto0or1 = 1) and the average labels. N and
// V are the trimmed tables' own. The markers of the line at its previous
// size are hidden (its values there are cleared to 0). Run-time errors
// reach the caller: DivisionByZero when the means average 0.
void DisegnaRigheMobili(Workspace& ws, Platform& ui, int32_t SampleSizeDS, int32_t SampleSizeM,
                        int32_t auto0or1);

// The slider was moved to ws.Slider1.value. Refuses with a message before a
// trimming; errors of the drawing are ignored, as the slider must stay usable.
void Slider1_Change(Workspace& ws, Platform& ui);

// The Student-t mark shares its chart columns with the manual line, so a
// manual drawing brings it back by re-running the Student-t command while
// StudentMarkDrawn is "1". The command table installs that command here.
using StudentMarkRedraw = void (*)(Workspace&, Platform&);
void SetStudentMarkRedraw(StudentMarkRedraw redraw);

}  // namespace velta
