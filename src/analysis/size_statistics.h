#pragma once
// The virtual samples at one chosen sample size: their means and standard
// deviations, and what the window and the report show of them.
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/cloud_tables.h"

namespace velta {

// The means a(1 .. V) and standard deviations b(1 .. V) (position 0 unused)
// of the virtual samples at row value s = size - 1. When the generation has
// no row for that size (jump >= 2) the values are interpolated linearly
// between the generated rows around it; below the first generated row they
// are that row's, and above the last one (only empty rows follow it) the
// last one's. SubscriptOutOfRange for s < 1 or tables without samples.
void VectorsAtSize(const Table2D& means, const Table2D& sds, int32_t V, int32_t jump, int32_t s,
                   std::vector<double>& a, std::vector<double>& b);

// The statistics of the virtual samples at one size, from one pass over
// a(1 .. V) and b(1 .. V): the means (sums divided by V, summed in position
// order), the maxima and minima as the shared array routines give them, and
// the smallest non-zero b (0 when every b is 0). No 16-bit limit on V.
struct SizeStatistics {
    double meanA = 0, maxA = 0, minA = 0;
    double meanB = 0, maxB = 0, minB = 0, minNonZeroB = 0;
    friend bool operator==(const SizeStatistics&, const SizeStatistics&) = default;
};
// SubscriptOutOfRange when a holds no value or a and b differ in length.
SizeStatistics StatisticsAtSize(const std::vector<double>& a, const std::vector<double>& b);

// The statistics of the clouds at a sample size.
SizeStatistics StatisticsAtSize(const CloudTables& t, int32_t jump, int32_t size);

// Coefficients of variation (percent) of the standard deviations at a size:
// the smallest and the largest standard deviation over the size of the
// average mean (its absolute value, so the smaller bound comes first).
struct CoefficientsOfVariation {
    double lower = 0.0;
    double upper = 0.0;
    friend bool operator==(const CoefficientsOfVariation&,
                           const CoefficientsOfVariation&) = default;
};
// With the plain smallest standard deviation (the manual size's rule) or the
// smallest non-zero one (the automatic size's); nullopt when the average mean
// is 0 within rounding (a billionth of the means' own size), where a
// coefficient of variation means nothing.
std::optional<CoefficientsOfVariation> CoefficientsAt(const SizeStatistics& s, bool skipZeroSds);

}  // namespace velta
