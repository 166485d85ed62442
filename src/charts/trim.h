#pragma once
// "Trim the generated samples": the two clouds with their most extreme
// values replaced by the row's running mean, row by row.
#include <cstdint>
#include <string>

#include "analysis/trimming.h"
#include "base/table.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kInvalidPMessage = "The specified P value is not valid";

// The P value of txtPerc when it is valid (a whole number 0 .. 9), else -1.
int32_t ParsePValue(const std::string& text);

void cmdFilter_Click(Workspace& ws, Platform& ui);

}  // namespace velta
