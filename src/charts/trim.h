#pragma once
// "Trim the generated samples": the two clouds with their most extreme
// values replaced by the row's running mean, row by row.
#include <cstdint>

#include "base/table.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kInvalidPMessage = "The specified P value is not valid";

// Trims every row r = 0 .. N-1 of `source` (its columns 0 .. V-1) into
// `destination`, which is sized N by V + 1 with column V at 0. Each of the
// Int(P / 100 * V) + 1 passes replaces the first occurrence of the current
// largest and then of the current smallest value by the current row mean.
void TrimTable(int32_t N, int32_t V, int32_t P, const Table2D& source, Table2D& destination);

void cmdFilter_Click(Workspace& ws, Platform& ui);

}  // namespace velta
