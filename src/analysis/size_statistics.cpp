#include "analysis/size_statistics.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "base/numeric.h"

namespace velta {

namespace {

// Where the values of row value s lie: one generated row, or two around it
// to interpolate between (abscissae lo and hi).
struct SizeRows {
    int32_t row = 0;
    bool interpolated = false;
    int32_t lo = 0, hi = 0;
};

SizeRows RowsOf(int32_t N, int32_t J, int32_t s) {
    const int32_t q = s / J;
    // The rows the generation fills: q*J - 1 while the prefix size q*J + 1
    // does not exceed N.
    const int32_t lastQ = (N - 1) / J;
    if (q * J == s) return {s - 1};
    // Below the first generated row there is nothing to interpolate from,
    // and above the last one only empty rows: take the nearest generated row.
    if (q == 0) return {J - 1};
    if (q >= lastQ) return {std::min(q, lastQ) * J - 1};
    return {0, true, q * J, (q + 1) * J};
}

const double* RowAt(const Table2D& t, int32_t r) {
    if (r < 0 || r >= t.Rows()) throw SubscriptOutOfRange("statistics at a size");
    return t.Row(r);
}

}  // namespace

void VectorsAtSize(const Table2D& means, const Table2D& sds, int32_t V, int32_t J, int32_t s,
                   std::vector<double>& a, std::vector<double>& b) {
    if (means.Empty() || V < 1 || J < 1 || s < 1 || means.Cols() < V || sds.Cols() < V)
        throw SubscriptOutOfRange("VectorsAtSize");
    a.assign(static_cast<size_t>(V) + 1, 0.0);
    b.assign(static_cast<size_t>(V) + 1, 0.0);
    const SizeRows at = RowsOf(means.Rows(), J, s);
    if (!at.interpolated) {
        std::copy_n(RowAt(means, at.row), V, a.begin() + 1);
        std::copy_n(RowAt(sds, at.row), V, b.begin() + 1);
        return;
    }
    const double *mLo = RowAt(means, at.lo - 1), *mHi = RowAt(means, at.hi - 1);
    const double *sLo = RowAt(sds, at.lo - 1), *sHi = RowAt(sds, at.hi - 1);
    for (int32_t j = 1; j <= V; ++j) {
        a[static_cast<size_t>(j)] = Interpolate(at.lo, at.hi, mLo[j - 1], mHi[j - 1], s);
        b[static_cast<size_t>(j)] = Interpolate(at.lo, at.hi, sLo[j - 1], sHi[j - 1], s);
    }
}

namespace {

// One pass over the values a(j), b(j), j = 1 .. n.
template <class A, class B>
SizeStatistics StatisticsOf(size_t n, A a, B b) {
    SizeStatistics st;
    st.maxA = st.minA = a(1);
    st.maxB = st.minB = b(1);
    // Sums from 0 in position order, as the array mean adds them.
    double sumA = 0.0, sumB = 0.0;
    bool nonZeroSeen = false;
    for (size_t i = 1; i <= n; ++i) {
        const double x = a(i), y = b(i);
        sumA += x;
        sumB += y;
        if (x > st.maxA) st.maxA = x;
        if (x < st.minA) st.minA = x;
        if (y > st.maxB) st.maxB = y;
        if (y < st.minB) st.minB = y;
        if (y != 0.0) {
            if (!nonZeroSeen) {
                st.minNonZeroB = y;
                nonZeroSeen = true;
            } else if (y < st.minNonZeroB) {
                st.minNonZeroB = y;
            }
        }
    }
    st.meanA = sumA / static_cast<double>(n);
    st.meanB = sumB / static_cast<double>(n);
    return st;
}

}  // namespace

SizeStatistics StatisticsAtSize(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() < 2 || a.size() != b.size()) throw SubscriptOutOfRange("StatisticsAtSize");
    return StatisticsOf(
        a.size() - 1, [&](size_t i) { return a[i]; }, [&](size_t i) { return b[i]; });
}

SizeStatistics StatisticsAtSize(const CloudTables& t, int32_t jump, int32_t size) {
    // The rows around the size, read where they lie: a copy of V values per
    // cloud would cost more than the statistics.
    const int32_t V = t.samples, s = size - 1;
    if (t.Empty() || V < 1 || jump < 1 || s < 1 || t.means.Cols() < V || t.sds.Cols() < V)
        throw SubscriptOutOfRange("StatisticsAtSize");
    const auto n = static_cast<size_t>(V);
    const SizeRows at = RowsOf(t.Rows(), jump, s);
    // Position j (from 1) is column j - 1.
    if (!at.interpolated) {
        const double* a = RowAt(t.means, at.row) - 1;
        const double* b = RowAt(t.sds, at.row) - 1;
        return StatisticsOf(n, [&](size_t i) { return a[i]; }, [&](size_t i) { return b[i]; });
    }
    const double *aLo = RowAt(t.means, at.lo - 1) - 1, *aHi = RowAt(t.means, at.hi - 1) - 1;
    const double *bLo = RowAt(t.sds, at.lo - 1) - 1, *bHi = RowAt(t.sds, at.hi - 1) - 1;
    return StatisticsOf(
        n, [&](size_t i) { return Interpolate(at.lo, at.hi, aLo[i], aHi[i], s); },
        [&](size_t i) { return Interpolate(at.lo, at.hi, bLo[i], bHi[i], s); });
}

std::optional<CoefficientsOfVariation> CoefficientsAt(const SizeStatistics& s, bool skipZeroSds) {
    const double mean = std::fabs(s.meanA);
    if (mean == 0.0 || mean <= 1e-9 * std::max(std::fabs(s.maxA), std::fabs(s.minA)))
        return std::nullopt;
    const double lower = skipZeroSds ? s.minNonZeroB : s.minB;
    return CoefficientsOfVariation{lower / mean * 100.0, s.maxB / mean * 100.0};
}

}  // namespace velta
