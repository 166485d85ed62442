#pragma once
// "Automatic": the sample size at which the trimmed cloud of means settles.
//
// The upper and the lower envelope of the cloud are each modelled as a broken
// stick: a sloped line up to a breakpoint and, after it, a horizontal line at
// the height the sloped line reaches there. Every candidate breakpoint is
// scored by the sum of the R2 of its four pieces (the QualitySum); the first
// candidate at which that sum rises is the result. The lines, the result and
// a vertical line at it go to the results grid sprReport and to both charts,
// and the movable-line routines then mark the size on the slider and fill the
// automatic statistics.
//
// Envelope abscissae: a candidate breakpoint is a whole number K >= 3 in
// units of Jump (table row K * Jump). Envelope point k is read from table row
// k * Jump + Jump - 1, the row the generation fills for that step (with
// Jump = 1, row k). Coefficient arrays hold the intercept in position 1 and
// the slope in position 2 (position 0 unused).
#include <array>
#include <cstdint>
#include <vector>

#include "base/table.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kApplyFilterMessage =
    "Please, apply a filter to the generated samples";
inline constexpr const char* kAutomaticFailedMessage = "The automatic procedure cannot succeed.";
inline constexpr const char* kTrySliderMessage =
    "You may try to select alternative sample sizes using the slider between the charts";

// Largest and smallest of each table row over its V virtual samples (columns
// 0 .. V-1), for any V >= 1. The envelopes of every piece of a cloud depend
// on nothing else, so the cloud is read once however many candidates follow.
struct RowExtremes {
    std::vector<double> max, min;
};
// V < 1 or more than the table's columns: SubscriptOutOfRange.
RowExtremes CloudRowExtremes(const Table2D& t, int32_t V);

// The fit of one candidate breakpoint K.
struct BrokenStick {
    std::array<double, 3> upper{};  // upper-left line: intercept, slope
    std::array<double, 3> lower{};  // lower-left line
    std::array<double, 5> r2{};     // 1 upper-left, 2 lower-left, 3 upper-right, 4 lower-right
    // Levels of the right lines: the left lines at x = K.
    double UpperLevel(int32_t K) const { return upper[1] + upper[2] * K; }
    double LowerLevel(int32_t K) const { return lower[1] + lower[2] * K; }
};

// The four pieces of candidate K of a cloud of N rows taken with step J,
// each envelope fitted and judged by the line finding (Inviluppo and
// AdattaRetta). Envelope rows past the table read as 0. Errors of the line
// finding (too few points, a perfect fit) propagate.
BrokenStick FitBrokenStick(const RowExtremes& cloud, int32_t K, int32_t N, int32_t J, Platform& ui);

// Breakpoint search over the QualitySum B(0 .. n): the first i >= 2 with
// B(i) > B(i - 1) gives the breakpoint i + 2; 0 when the sum never rises.
int32_t FirstStrictRise(const std::vector<double>& B);

// The means chart: searches the breakpoint, writes sprReport rows 2 .. 6,
// the four lines and the automatic vertical line, and the automatic
// coefficients of variation. Sets SampleSizeM to the result's table row
// (0 and the failure message when there is none).
void CalcolaRigheMedie(Workspace& ws, Platform& ui);
// The standard-deviations chart at the means' breakpoint: its own four lines
// fitted there, sprReport rows 1 and 7 .. 10, the automatic vertical line.
// Sets SampleSizeDS (0 when the means gave no result).
void DisegnaRigheDS(Workspace& ws, Platform& ui);

void cmdAutoSampleSize_Click(Workspace& ws, Platform& ui);

}  // namespace velta
