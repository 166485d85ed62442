#pragma once
// "Trim the generated samples": the two clouds with their most extreme
// values replaced by the row's running mean, row by row.
#include <cstdint>
#include <string>

#include "base/table.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kInvalidPMessage = "The specified P value is not valid";

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

// The number of passes less one: Int(P / 100 * V), P divided first.
int32_t TrimCutCount(int32_t P, int32_t V);

// The P value of txtPerc when it is valid (a whole number 0 .. 9), else -1.
int32_t ParsePValue(const std::string& text);

void cmdFilter_Click(Workspace& ws, Platform& ui);

}  // namespace velta
