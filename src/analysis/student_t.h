#pragma once
// The classical sample size for estimating a mean: the smallest n whose
// two-sided Student-t half-width t(alpha, n-1) * s / sqrt(n) does not exceed
// the maximum accepted difference d.
#include <cstdint>
#include <optional>
#include <string_view>

namespace velta {

// The search stops at this size: a larger one is no survey anybody runs.
inline constexpr int32_t kLargestStudentSize = 10'000'000;

// The alpha of the list ("0.01", "0.05" or "0.10") as a number; nullopt for
// any other text.
std::optional<double> AlphaOf(std::string_view text);

// The upper quantile z with P(Z > z) = p of the standard normal, 0 < p < 1.
double NormalUpperQuantile(double p);

// The two-sided critical value t with P(|T| > t) = alpha for Student's t with
// `df` degrees of freedom (df >= 1, 0 < alpha < 1), to the last digits of a
// double: from the exact finite series of the t distribution up to 1000
// degrees of freedom, from the Cornish-Fisher expansion beyond, where its
// first omitted term is below 1e-17.
double StudentQuantile(double alpha, int64_t df);

// The smallest n in 2 .. kLargestStudentSize with s / sqrt(n) * t(alpha, n-1)
// <= d, for s >= 0, d > 0 and 0 < alpha < 1; nullopt when even
// kLargestStudentSize is not enough.
std::optional<int32_t> StudentTSize(double s, double d, double alpha);

}  // namespace velta
