#pragma once
// Line finding: a piece of a cloud reduced to one of its envelopes, and the
// line fitted to (or laid over) that envelope with its R2.
//
// A cloud piece C is a Table2D of rows (sample-size slots, x = row in units of
// Jump) by columns (column c = virtual sample c + 1; columns 0 .. V - 1 are
// read, column V never). An envelope Env is a Table2D of rows 0 .. R by
// columns 0 .. 1 whose value of row r is Env(r, 1). Coefficient arrays hold
// the intercept in position 1 and the slope in position 2.
#include <cstdint>
#include <span>

#include "base/table.h"

namespace velta {

// Envelope of a cloud piece: for each row the largest (upper) or smallest
// value over the V virtual samples.
// Left piece (sloped): Env gets rows 0 .. K; rows 1 .. K of C are read and
// row 0 of Env stays 0.
// Right piece: Env gets as many rows as C; row i - K of C gives row i - K of
// Env for i = K .. round(N / Jump - 1), the later rows stay 0.
// V = 0 or rows missing from C raise SubscriptOutOfRange; V > 32767 raises
// OverflowError; Jump = 0 raises DivisionByZero.
void Envelope(bool upper, int32_t V, int32_t K, const Table2D& C, Table2D& Env, bool sloped,
               int32_t N, int32_t Jump);

// R2 of a line against an envelope.
// sloped: fits the sloped line a(1) + a(2) x by least squares to the
// envelope rows 1 .. R at x = 1 .. R and writes it into a.
// Otherwise: judges the horizontal line at level against the rows
// 0 .. R at x = breakpoint .. breakpoint + R; a is not touched.
// Too few points for ma coefficients, or a perfect left fit, raise
// DivisionByZero (see LeastSquares::AnalyseVariance).
double FitLine(const Table2D& Env, int32_t ma, std::span<double> a, bool sloped,
                   int32_t breakpoint, double level);

}  // namespace velta
