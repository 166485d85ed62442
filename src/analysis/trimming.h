#pragma once
// Trimming of the clouds: in every row the most extreme values are replaced
// by the row's running mean, a number of passes set by P.
#include <cstdint>

#include "analysis/cloud_tables.h"
#include "base/table.h"

namespace velta {

// Trims every row r = 0 .. N-1 of `source` (its columns 0 .. V-1) into
// `destination`, which is sized N by V + 1 with column V at 0. Each of the
// Int(P / 100 * V) + 1 passes replaces the first occurrence of the current
// largest and then of the current smallest value by the current row mean.
//
// The result is that of rescanning the row at every pass, without the
// rescans: the extremes come from the row's values ranked once (or, for
// ties and means that become extremes, from tournament trees at O(log V) a
// pass), and the mean from a running sum kept in extended precision, so the
// means agree with a sum from scratch to rounding. SubscriptOutOfRange when
// `source` is smaller than N by V, or N or V is below 1.
void TrimTable(int32_t N, int32_t V, int32_t P, const Table2D& source, Table2D& destination);

// The same, each row of `table` trimmed where it is.
void TrimTableInPlace(int32_t N, int32_t V, int32_t P, Table2D& table);

// The number of passes less one: Int(P / 100 * V), P divided first.
int32_t TrimCutCount(int32_t P, int32_t V);

// Both clouds trimmed at P, each on its own.
CloudTables TrimClouds(const CloudTables& source, int32_t P);

}  // namespace velta
