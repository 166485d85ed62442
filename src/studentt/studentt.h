#pragma once
// The classical sample size for estimating a mean: the smallest n whose
// two-sided Student-t half-width t(alpha, n-1) * s / sqrt(n) does not exceed
// the maximum accepted difference d, marked in green on both charts.
#include <cstdint>
#include <string_view>

#include "analysis/student_t.h"
#include "commands/student_t.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

// The "Student-t" button. Also run again by a manual drawing while the mark
// is on the charts, since the two share their chart columns.
// The same with the alpha of cmbAlphaStud.
double tStud(const Workspace& ws, int32_t N);

void tStudentSampleSize_Click(Workspace& ws, Platform& ui);

}  // namespace velta
