#pragma once
// The classical sample size for estimating a mean: the smallest n whose
// two-sided Student-t half-width t(alpha, n-1) * s / sqrt(n) does not exceed
// the maximum accepted difference d.
#include <cstdint>
#include <string_view>

namespace velta {

// What StudentTSize gives when no size is found.
inline constexpr int32_t kNoStudentSize = 9999;
// The search stops at this n; the table's last entry (infinite degrees of
// freedom) is never used by it.
inline constexpr int32_t kLastStudentSize = 31;

// Two-sided critical values with two decimals, as printed in the usual
// tables, for n = 2 .. 32 (degrees of freedom 1 .. 31, the last entry the
// limit for infinite degrees of freedom). Rows: alpha 0.10, 0.05, 0.01.
struct StudentTable {
    static const double values[3][31];
};

// t for sample size N at the alpha named by `alpha` ("0.10", "0.05" or
// "0.01"; any other text gives 0). N = 1 gives 0; N outside 1 .. 32:
// SubscriptOutOfRange.
double TableQuantile(std::string_view alpha, int32_t N);
// The smallest n in 2 .. 31 with s / sqrt(n) * t(n) <= d, or kNoStudentSize.
int32_t StudentTSize(double s, double d, std::string_view alpha);

}  // namespace velta
