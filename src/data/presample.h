#pragma once
// How a cell that cannot be a sampling unit is named to the user.
#include <string>

namespace velta {

inline constexpr const char* kBadPreSampleMessage =
    "There is something wrong with the file you are trying to open. Please, check";
inline constexpr const char* kBadTypedValuesMessage =
    "The typed values cannot be used as the pre-sample. Please, check";

// The detail line that names a cell whose text is not a number; for an
// ambiguous "1,234" it gives both readings.
std::string BadCellDetail(const std::string& cellName, const std::string& text);

}  // namespace velta
