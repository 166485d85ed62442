#pragma once
// The virtual samples: random arrangements of the pilot's units and the mean
// and standard deviation of each of their prefixes (layout in
// cloud_tables.h).
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/cloud_tables.h"
#include "analysis/progress.h"
#include "analysis/random.h"

namespace velta {

// The sample-size step: ceil(N / 20), 1 for N <= 20 (and for N <= 0).
int32_t JumpFor(int32_t n);

// Phase 1: for each of V virtual samples one random arrangement of the unit
// numbers 0 .. N-1, each position drawing Int(Rnd * N) until the number
// differs from those already placed; unit i of sample j (both from 1) at
// [(j - 1) * N + i - 1]. nullopt when `progress` stopped it.
std::optional<std::vector<uint16_t>> DrawArrangements(int32_t N, int32_t V, RandomSource& rng,
                                                      Progress& progress);

// Phases 1 and 2 of a generation from the N unit values in positions 1 .. N
// of `units`. Phase 1 draws, for each virtual sample, one random arrangement
// of the unit numbers 0 .. N-1 (each position draws Int(Rnd * N) until the
// number differs from those already placed); phase 2 summarises its
// prefixes. nullopt when `progress` stopped it.
// With threads > 1 the statistics are worked on by two threads; the tables
// are the same. MeansOnly leaves the standard deviations' table empty (what
// the repeats of the automatic size need, in half the memory).
enum class CloudsWanted { Both, MeansOnly };
std::optional<CloudTables> GenerateClouds(const std::vector<double>& units, int32_t V,
                                          int32_t jump, RandomSource& rng, Progress& progress,
                                          int32_t threads = 1,
                                          CloudsWanted wanted = CloudsWanted::Both);

// The fixed value range of a chart: the integer part of the smallest value
// and one more than that of the largest, over the rows that hold data. With
// `skipZeroSums`, a row whose values add up to 0 does not lower the bound.
struct AxisRange {
    int32_t lower = 0;
    int32_t upper = 0;
    friend bool operator==(const AxisRange&, const AxisRange&) = default;
};
AxisRange ValueRangeOf(const Table2D& t, int32_t N, int32_t V, int32_t jump, bool skipZeroSums);

}  // namespace velta
