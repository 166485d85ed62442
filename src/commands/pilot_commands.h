#pragma once
// The commands that bring a pilot in: Open (a sheet of a spreadsheet file)
// and "Pre-sampling results" (the typed values, saved as .xls first), both
// ending in the acceptance of the values in the grid; and what an edit of
// the grid means for the analysis.
#include "analysis/pilot.h"
#include "data/spreadsheet_commands.h"
#include "platform/platform.h"
#include "view/session.h"

namespace velta {

// Significant digits of the Student-t standard deviation filled from a pilot.
inline constexpr int kStudentSdDigits = 6;

// Accepts the values of the grid's column 1 as the pilot, from `source`.
// Refuses a bad cell or a size outside 3 .. 1000 with a message and leaves
// the session as it was. A pilot with other values than the current one
// replaces it, with everything computed from it; the same values keep the
// analysis. Fills the Student-t standard deviation and caps the number of
// virtual samples. True when accepted.
bool AcceptUnits(Session& s, Platform& ui, const PilotSource& source);

// The user edited, pasted or deleted cells of the grid's column 1: an
// accepted pilot no longer matches it, so Generate waits until the values
// are accepted again, and they are unsaved until saved or replaced.
void UnitsEdited(Session& s);

// Open: the file is read first; only a sheet read successfully and accepted
// as a pilot replaces the session (started afresh when it held a pilot).
// Anything else leaves the session as it was.
void Open(Session& s, Platform& ui);

// The second half of Open: puts a sheet read by ImportSpreadsheet into the
// grid and accepts its column as the pilot. True when it was accepted;
// otherwise the session is as it was and the user has been told.
bool AcceptSheet(Session& s, Platform& ui, const ImportedSheet& sheet);

// "Pre-sampling results": saves the typed values as .xls, then accepts
// them (a message names the first bad cell, or says that there are too few).
void SaveTypedValues(Session& s, Platform& ui);

}  // namespace velta
