#pragma once
// The automatic sample size: the size at which the trimmed cloud of means
// settles.
//
// The upper and the lower envelope of the cloud are each modelled as a broken
// stick: a sloped line up to a breakpoint and, after it, a horizontal line at
// the height the sloped line reaches there. Every candidate breakpoint is
// scored by the sum of the R2 of its four pieces (the quality sum); the first
// candidate at which that sum rises is the result. The standard-deviations
// cloud gets its own broken stick at the same breakpoint.
//
// Envelope abscissae: a candidate breakpoint is a whole number K >= 3 in
// units of jump (table row K * jump). Envelope point k is read from table row
// k * jump + jump - 1, the row the generation fills for that step (with
// jump = 1, row k). Coefficient arrays hold the intercept in position 1 and
// the slope in position 2 (position 0 unused).
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/cloud_tables.h"
#include "analysis/size_statistics.h"
#include "base/table.h"

namespace velta {

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
// each envelope fitted and judged by the line finding. Envelope rows past the
// table read as 0. Errors of the line finding (too few points, a perfect
// fit) propagate.
BrokenStick FitBrokenStick(const RowExtremes& cloud, int32_t K, int32_t N, int32_t J);

// Breakpoint search over the quality sums B(0 .. n): the first i >= 2 with
// B(i) > B(i - 1) gives the breakpoint i + 2; 0 when the sum never rises.
int32_t FirstStrictRise(const std::vector<double>& B);

// The four lines of one chart at the breakpoint, in the sample size n:
// y = intercept + slope * n for the two sloped lines, and the two levels
// where they meet the horizontal ones.
struct FittedLines {
    double upperIntercept = 0, upperSlope = 0;
    double lowerIntercept = 0, lowerSlope = 0;
    double upperLevel = 0, lowerLevel = 0;
    friend bool operator==(const FittedLines&, const FittedLines&) = default;
};
// The fit of breakpoint K, made in the abscissa x = (n - 1) / jump, as lines in n.
FittedLines LinesAt(const BrokenStick& f, int32_t K, int32_t jump);

struct AutomaticAnswer {
    bool succeeded = false;
    int32_t breakpoint = 0;  // K, in steps of jump
    int32_t size = 0;        // K * jump + 1, the number of values behind it
    FittedLines means, sds;
    // At the size: coefficients of variation with the smallest non-zero
    // standard deviation (none when the means average 0), and the
    // statistics of the virtual samples.
    std::optional<CoefficientsOfVariation> cv;
    SizeStatistics statistics;
};

// Searches the breakpoint in the trimmed means; on success fits the
// standard-deviations cloud there and takes the statistics at the size.
// Too few sizes (fewer than five steps of jump) give no success.
AutomaticAnswer FindAutomaticSize(const CloudTables& trimmed, int32_t jump);

// Whether a cloud of N rows taken with step J has the two candidate
// breakpoints a rise of the quality sum needs: without them the procedure
// cannot succeed, whatever the draw.
bool HasCandidateBreakpoints(int32_t N, int32_t J);

// The sample size of breakpoint K: the envelopes' point K is row K * J.
inline int32_t SizeAtBreakpoint(int32_t K, int32_t J) {
    return K * J + 1;
}

// The breakpoint K (0: none) of a trimmed means cloud of N rows taken with
// step J, read as its row extremes; `fits` gets each candidate's fit, the
// candidate K at K - 3. What FindAutomaticSize decides by, alone.
int32_t FindBreakpoint(const RowExtremes& means, int32_t N, int32_t J,
                       std::vector<BrokenStick>& fits);

}  // namespace velta
