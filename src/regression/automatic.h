#pragma once
// "Automatic": the sample size at which the trimmed cloud of means settles.
//
// The upper and the lower envelope of the cloud are each modelled as a broken
// stick: a sloped line up to a breakpoint and, after it, a horizontal line at
// the height the sloped line reaches there. Every candidate breakpoint is
// scored by the sum of the R2 of its four pieces (the QualitySum); the first
// candidate at which that sum rises is the result. The lines, the result and
// a vertical line at it go to the results grid sprReport and to both charts,
// and the movable-line routines then mark the size on the slider and fill the
// automatic statistics.
//
// Envelope abscissae: a candidate breakpoint is a whole number K >= 3 in
// units of Jump (table row K * Jump). Envelope point k is read from table row
// k * Jump + Jump - 1, the row the generation fills for that step (with
// Jump = 1, row k). Coefficient arrays hold the intercept in position 1 and
// the slope in position 2 (position 0 unused).
#include <array>
#include <cstdint>
#include <vector>

#include "analysis/automatic_size.h"
#include "base/table.h"
#include "model/workspace.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kApplyFilterMessage =
    "Please, apply a filter to the generated samples";
inline constexpr const char* kAutomaticFailedMessage = "The automatic procedure cannot succeed.";
inline constexpr const char* kTrySliderMessage =
    "You may try to select alternative sample sizes using the slider between the charts";

// The means chart: searches the breakpoint, writes sprReport rows 2 .. 6,
// the four lines and the automatic vertical line, and the automatic
// coefficients of variation. Sets SampleSizeM to the result's table row
// (0 and the failure message when there is none).
void CalcolaRigheMedie(Workspace& ws, Platform& ui);
// The standard-deviations chart at the means' breakpoint: its own four lines
// fitted there, sprReport rows 1 and 7 .. 10, the automatic vertical line.
// Sets SampleSizeDS (0 when the means gave no result).
void DisegnaRigheDS(Workspace& ws, Platform& ui);

void cmdAutoSampleSize_Click(Workspace& ws, Platform& ui);

}  // namespace velta
