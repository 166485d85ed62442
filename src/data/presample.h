#pragma once
// The pre-sample: the values of sprMain column 1, their descriptive and
// jackknife statistics, and their acceptance into the workspace.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/pilot.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kBadPreSampleMessage =
    "There is something wrong with the file you are trying to open. Please, check";

// Reads sprMain column 1, rows 1 .. DataRowCount, into a 1-based vector;
// nullopt when a cell is not a number, whose row goes to `badRow` if given.
std::optional<std::vector<double>> ReadPreSample(const Grid& grid, int32_t* badRow = nullptr);

// The detail line that names a cell whose text is not a number; for an
// ambiguous "1,234" it gives both readings.
std::string BadCellDetail(const std::string& cellName, const std::string& text);

inline constexpr const char* kUnitsEditedNote =
    "The sampling units have changed: accept them with File > Save > Pre-sampling results "
    "before generating.";

// The user edited, pasted or deleted cells of sprMain column 1. An accepted
// pre-sample no longer matches the grid, so the statistics shown would not
// be those of the values a generation reads: the pre-sample becomes
// unaccepted (PreSampleReady "0", Generate disabled) until "Pre-sampling
// results" accepts it again, and the status bar says so.
void UnitsEdited(Workspace& ws);

// Accepts the pre-sample in sprMain: fills the statistics fields, Label17,
// Text2, caps txtLimite and sets PreSampleReady. Refuses a bad cell or a size
// outside 3 .. 1000 with a message and leaves every field and flag as it was.
// Returns true when the pre-sample was accepted.
bool ComputePreSampleStats(Workspace& ws, Platform& ui);

}  // namespace velta
