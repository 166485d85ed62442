#include "analysis/size_statistics.h"

#include <algorithm>

#include "base/errors.h"
#include "base/numeric.h"

namespace velta {

namespace {

// The rows the generation fills: q*jump - 1 for q = 1, 2, ... while the
// prefix size q*jump + 1 does not exceed N.
int32_t LastGeneratedQ(int32_t N, int32_t J) {
    return (N - 1) / J;
}

void CopyRow(const Table2D& means, const Table2D& sds, int32_t row, int32_t V,
             std::vector<double>& a, std::vector<double>& b) {
    if (row < 0 || row >= means.Rows() || row >= sds.Rows())
        throw SubscriptOutOfRange("VectorsAtSize");
    std::copy(means.Row(row), means.Row(row) + V, a.begin() + 1);
    std::copy(sds.Row(row), sds.Row(row) + V, b.begin() + 1);
}

}  // namespace

void VectorsAtSize(const Table2D& means, const Table2D& sds, int32_t V, int32_t J, int32_t s,
                   std::vector<double>& a, std::vector<double>& b) {
    const int32_t N = means.Rows();
    if (means.Empty() || V < 1 || J < 1 || s < 1 || means.Cols() < V || sds.Cols() < V)
        throw SubscriptOutOfRange("VectorsAtSize");
    a.assign(static_cast<size_t>(V) + 1, 0.0);
    b.assign(static_cast<size_t>(V) + 1, 0.0);
    const int32_t q = s / J;
    if (q * J == s) {
        CopyRow(means, sds, s - 1, V, a, b);
        return;
    }
    // Below the first generated row there is nothing to interpolate from,
    // and above the last one only empty rows: take the nearest generated row.
    const int32_t lastQ = LastGeneratedQ(N, J);
    if (q == 0) {
        CopyRow(means, sds, J - 1, V, a, b);
        return;
    }
    if (q >= lastQ) {
        CopyRow(means, sds, std::min(q, lastQ) * J - 1, V, a, b);
        return;
    }
    const int32_t lo = q * J, hi = (q + 1) * J;
    const double* mLo = means.Row(lo - 1);
    const double* mHi = means.Row(hi - 1);
    const double* sLo = sds.Row(lo - 1);
    const double* sHi = sds.Row(hi - 1);
    for (int32_t j = 1; j <= V; ++j) {
        a[static_cast<size_t>(j)] = Interpolate(lo, hi, mLo[j - 1], mHi[j - 1], s);
        b[static_cast<size_t>(j)] = Interpolate(lo, hi, sLo[j - 1], sHi[j - 1], s);
    }
}

SizeStatistics StatisticsAtSize(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() < 2 || a.size() != b.size()) throw SubscriptOutOfRange("StatisticsAtSize");
    const size_t n = a.size() - 1;
    SizeStatistics st;
    st.maxA = st.minA = a[1];
    st.maxB = st.minB = b[1];
    // Sums from 0 in position order, as the array mean adds them.
    double sumA = 0.0, sumB = 0.0;
    bool nonZeroSeen = false;
    for (size_t i = 1; i <= n; ++i) {
        const double x = a[i], y = b[i];
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

SizeStatistics StatisticsAtSize(const CloudTables& t, int32_t jump, int32_t size) {
    std::vector<double> a, b;
    VectorsAtSize(t.means, t.sds, t.samples, jump, size - 1, a, b);
    return StatisticsAtSize(a, b);
}

std::optional<CoefficientsOfVariation> CoefficientsAt(const SizeStatistics& s, bool skipZeroSds) {
    if (s.meanA == 0.0) return std::nullopt;
    const double lower = skipZeroSds ? s.minNonZeroB : s.minB;
    return CoefficientsOfVariation{lower / s.meanA * 100.0, s.maxB / s.meanA * 100.0};
}

}  // namespace velta
