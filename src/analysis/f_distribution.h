#pragma once
// The upper tail of the F distribution, which also gives Student's t:
// P(|T| > t) with df degrees of freedom is FUpperTail(t * t, 1, df).
#include <cstdint>

namespace velta {

// P(F' > F) for the F distribution with d1 and d2 degrees of freedom (both
// >= 1) by the exact finite series for whole degrees of freedom (Abramowitz
// and Stegun 26.6.4, 26.6.5, 26.6.8), summed in extended precision: 1 for
// F <= 0, 0 for an infinite F, within [0, 1] otherwise. The work grows with
// the degrees of freedom (about (d1 + d2) / 2 terms). NaN in, NaN out.
long double FUpperTail(long double F, int32_t d1, int32_t d2);

}  // namespace velta
