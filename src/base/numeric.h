#pragma once
// Small shared numeric routines.
//
// Array convention: a one-dimensional array holds its data in positions
// 1 .. n and position 0 is never read, so n = size() - 1. A std::vector
// converts to the span implicitly. An empty span counts as n = 0.
#include <cstdint>
#include <span>

namespace velta {

using Array1 = std::span<const double>;

// n! in doubles. Negative n: SubscriptOutOfRange; n >= 171: OverflowError.
double Factorial(int32_t n);
// n! / ((n-k)! k!) from factorials, so any n >= 171 overflows even when the
// coefficient would fit; k > n or k < 0: SubscriptOutOfRange.
double Combinations(int32_t n, int32_t k);

// Mean of x(1..n). n = 0: DivisionByZero.
double ArrayMean(Array1 x);
// Sum of squared deviations from the mean, two passes; n = 0 gives 0.
double ArrayDeviance(Array1 x);
// Largest of x(1..n). n = 0: SubscriptOutOfRange; n > 32767: OverflowError.
double ArrayMax(Array1 x);
// Smallest of x(1..n); with ignoreFlag the values equal to ignoreValue are
// skipped (result 0 when every value equals it). Limits as ArrayMax.
double ArrayMin(Array1 x, bool ignoreFlag = false, double ignoreValue = 0.0);
// x(1) + ... + x(n). n = 0: SubscriptOutOfRange.
double ArraySum(Array1 x);
// First position holding ArrayMax / ArrayMin(x, false, 0); 0 when none does
// (a NaN maximum). Positions above 32767: OverflowError.
int16_t IndexOfMax(Array1 x);
int16_t IndexOfMin(Array1 x);

// Value at x on the line through (x1, y1) and (x2, y2). Equal y values return
// y1 without dividing; x1 == x2 otherwise: DivisionByZero.
double Interpolate(int32_t x1, int32_t x2, double y1, double y2, int32_t x);

// Raw-pointer forms of the two hot-path routines for data in p[0 .. n-1]
// (no 1-based padding); the generation uses them on table slices.
double MeanOf(const double* p, int64_t n);
double DevianceOf(const double* p, int64_t n);

// Checked 32-bit and 16-bit integer arithmetic (OverflowError on leaving the range).
int32_t CheckedSub32(int64_t a, int64_t b, const char* where);
int32_t CheckedAdd32(int64_t a, int64_t b, const char* where);
int32_t CheckedMul32(int64_t a, int64_t b, const char* where);
int16_t ToInt16(int64_t v, const char* where);

}  // namespace velta
