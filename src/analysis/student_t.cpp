#include "analysis/student_t.h"

#include <cmath>
#include <numbers>

#include "analysis/f_distribution.h"

namespace velta {

namespace {

// Up to here the exact series costs a few thousand operations a quantile;
// beyond, the expansion's first omitted term is below 1e-17 of t.
constexpr int64_t kLastExactDf = 1000;

// Cornish-Fisher expansion of the t quantile in powers of 1 / df around the
// normal quantile z (Abramowitz and Stegun 26.7.5).
double CornishFisher(double z, double df) {
    const double z2 = z * z;
    const double g1 = (z2 + 1) * z / 4;
    const double g2 = ((5 * z2 + 16) * z2 + 3) * z / 96;
    const double g3 = (((3 * z2 + 19) * z2 + 17) * z2 - 15) * z / 384;
    const double g4 = ((((79 * z2 + 776) * z2 + 1482) * z2 - 1920) * z2 - 945) * z / 92160;
    const double g5 =
        (((((27 * z2 + 339) * z2 + 930) * z2 - 1782) * z2 - 765) * z2 + 17955) * z / 368640;
    return z + (g1 + (g2 + (g3 + (g4 + g5 / df) / df) / df) / df) / df;
}

}  // namespace

std::optional<double> AlphaOf(std::string_view text) {
    if (text == "0.01") return 0.01;
    if (text == "0.05") return 0.05;
    if (text == "0.10") return 0.10;
    return std::nullopt;
}

double NormalUpperQuantile(double p) {
    // Newton's method on P(Z > z) = erfc(z / sqrt 2) / 2, from a start on
    // the right side of the root (the tail is convex there for p < 1/2).
    const double sign = p > 0.5 ? -1.0 : 1.0;
    const double q = p > 0.5 ? 1.0 - p : p;
    double z = 0.0;
    for (int i = 0; i < 100; ++i) {
        const double tail = 0.5 * std::erfc(z / std::numbers::sqrt2);
        const double density = std::exp(-0.5 * z * z) / std::sqrt(2 * std::numbers::pi);
        const double step = (tail - q) / density;
        z += step;
        if (std::fabs(step) <= 1e-17 * std::fabs(z)) break;
    }
    return sign * z;
}

double StudentQuantile(double alpha, int64_t df) {
    const double z = NormalUpperQuantile(alpha / 2);
    if (df > kLastExactDf) return CornishFisher(z, static_cast<double>(df));
    // P(|T| > t) falls as t grows and t lies above z: bisect between z and a
    // bound found by doubling, down to adjacent doubles.
    const auto tail = [&](double t) {
        const long double t2 = static_cast<long double>(t) * t;
        return FUpperTail(t2, 1, static_cast<int32_t>(df));
    };
    double lo = z, hi = 2 * z;
    while (tail(hi) > alpha) lo = hi, hi *= 2;
    for (;;) {
        const double mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi) break;
        (tail(mid) > alpha ? lo : hi) = mid;
    }
    // The closer of the two to the root.
    return alpha - tail(hi) <= tail(lo) - alpha ? hi : lo;
}

std::optional<int32_t> StudentTSize(double s, double d, double alpha) {
    // The half-width falls as n grows (t and 1 / sqrt(n) both do), so the
    // smallest sufficient n is found by bisection.
    const auto enough = [&](int32_t n) {
        return s / std::sqrt(static_cast<double>(n)) * StudentQuantile(alpha, n - 1) <= d;
    };
    if (!enough(kLargestStudentSize)) return std::nullopt;
    int32_t lo = 1, hi = kLargestStudentSize;  // enough(hi); lo is below every size
    while (hi - lo > 1) {
        const int32_t mid = lo + (hi - lo) / 2;
        (enough(mid) ? hi : lo) = mid;
    }
    return hi;
}

}  // namespace velta
