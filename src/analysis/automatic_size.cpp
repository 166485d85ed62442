#include "analysis/automatic_size.h"

#include <algorithm>

#include "base/errors.h"
#include "base/numbers.h"
#include "base/numeric.h"
#include "analysis/line_finding.h"

namespace velta {

namespace {

// A piece of the cloud as Envelope reads it, reduced to what its envelopes
// depend on: row k holds the largest (column 0) and the smallest (column 1)
// value of table row tableRow(k); column 2 is the unread column after the
// samples. A table row outside the table reads as zeros.
template <class RowOf>
Table2D Piece(const RowExtremes& cloud, int32_t rows, RowOf tableRow) {
    Table2D p(rows, 3);
    const auto n = static_cast<int64_t>(cloud.max.size());
    for (int32_t k = 0; k < rows; ++k) {
        const int64_t r = tableRow(k);
        if (r < 0 || r >= n) continue;
        p(k, 0) = cloud.max[static_cast<size_t>(r)];
        p(k, 1) = cloud.min[static_cast<size_t>(r)];
    }
    return p;
}

constexpr int32_t kPieceSamples = 2;

}  // namespace

RowExtremes CloudRowExtremes(const Table2D& t, int32_t V) {
    if (V < 1 || V > t.Cols()) throw SubscriptOutOfRange("CloudRowExtremes");
    RowExtremes e;
    e.max.resize(static_cast<size_t>(t.Rows()));
    e.min.resize(static_cast<size_t>(t.Rows()));
    for (int32_t r = 0; r < t.Rows(); ++r) {
        const double* x = t.Row(r);
        double hi = x[0], lo = x[0];
        for (int32_t j = 1; j < V; ++j) {
            hi = x[j] > hi ? x[j] : hi;
            lo = x[j] < lo ? x[j] : lo;
        }
        e.max[static_cast<size_t>(r)] = hi;
        e.min[static_cast<size_t>(r)] = lo;
    }
    return e;
}

BrokenStick FitBrokenStick(const RowExtremes& cloud, int32_t K, int32_t N, int32_t J) {
    if (K < 1 || J < 1) throw SubscriptOutOfRange("FitBrokenStick");
    const int64_t S = static_cast<int64_t>(K) * J;
    // Left piece: points k = 0 .. K (row 0 is never read).
    const Table2D left =
        Piece(cloud, K + 1, [&](int32_t k) { return static_cast<int64_t>(k) * J + J - 1; });
    // Right piece: from the breakpoint on, as long as the step's first row
    // lies in the table; the breakpoint belongs to both pieces.
    const int32_t rightRows = RoundToInt32(static_cast<double>(N) / J - static_cast<double>(K)) + 1;
    if (rightRows < 1) throw SubscriptOutOfRange("FitBrokenStick: right piece");
    const Table2D right = Piece(cloud, rightRows, [&](int32_t k) -> int64_t {
        const int64_t first = S + static_cast<int64_t>(k) * J;
        return first <= N - 1 ? first + J - 1 : -1;
    });

    BrokenStick f;
    Table2D env;
    Envelope(true, kPieceSamples, K, left, env, true, N, J);
    f.r2[1] = FitLine(env, 2, f.upper, true, K, 0.0);
    Envelope(false, kPieceSamples, K, left, env, true, N, J);
    f.r2[2] = FitLine(env, 2, f.lower, true, K, 0.0);
    // A right piece judges a given level and leaves its coefficients alone.
    std::array<double, 3> unused{};
    Envelope(true, kPieceSamples, K, right, env, false, N, J);
    f.r2[3] = FitLine(env, 2, unused, false, K, f.UpperLevel(K));
    Envelope(false, kPieceSamples, K, right, env, false, N, J);
    f.r2[4] = FitLine(env, 2, unused, false, K, f.LowerLevel(K));
    return f;
}

int32_t FirstStrictRise(const std::vector<double>& B) {
    for (size_t i = 2; i < B.size(); ++i)
        if (B[i] > B[i - 1]) return static_cast<int32_t>(i) + 2;
    return 0;
}

FittedLines LinesAt(const BrokenStick& f, int32_t K, int32_t jump) {
    // a + b x with x = (n - 1) / jump is (a - b / jump) + (b / jump) n.
    const double J = jump;
    return {f.upper[1] - f.upper[2] / J, f.upper[2] / J, f.lower[1] - f.lower[2] / J,
            f.lower[2] / J,              f.UpperLevel(K), f.LowerLevel(K)};
}

bool HasCandidateBreakpoints(int32_t N, int32_t J) {
    return J >= 1 && RoundToInt32(static_cast<double>(N) / J - 5.0) >= 2 &&
           7LL * J <= static_cast<int64_t>(N);
}

int32_t FindBreakpoint(const RowExtremes& cloud, int32_t N, int32_t J,
                       std::vector<BrokenStick>& fits) {
    if (J < 1) throw DivisionByZero("automatic sample size: jump");
    fits.clear();
    const double steps = static_cast<double>(N) / J;
    // The R2 table A(0 .. round(N/J), 1 .. 4) and the quality sums
    // B(0 .. round(N/J - 5)); too few steps leave no room for B.
    const int32_t aUpper = RoundToInt32(steps);
    const int32_t bUpper = RoundToInt32(steps - 5.0);
    // Too few sizes for a breakpoint with three steps on either side.
    if (bUpper < 0) return 0;
    Table2D A(aUpper + 1, 5);
    std::vector<double> B(static_cast<size_t>(bUpper) + 1, 0.0);

    for (int64_t S = 3LL * J; S <= static_cast<int64_t>(N) - 3LL * J; S += J) {
        const auto K = static_cast<int32_t>(S / J);
        fits.push_back(FitBrokenStick(cloud, K, N, J));
        if (K - 2 > aUpper) throw SubscriptOutOfRange("R2 table");
        for (int32_t c = 1; c <= 4; ++c) A(K - 2, c) = fits.back().r2[static_cast<size_t>(c)];
    }
    for (size_t k = 1; k <= fits.size(); ++k) {
        if (k >= B.size()) throw SubscriptOutOfRange("QualitySum");
        const std::array<double, 5> w{0.0, A(static_cast<int32_t>(k), 1),
                                      A(static_cast<int32_t>(k), 2), A(static_cast<int32_t>(k), 3),
                                      A(static_cast<int32_t>(k), 4)};
        B[k] = ArraySum(w);
    }

    int32_t K = FirstStrictRise(B);
    if (static_cast<int64_t>(J) * K > N) K = 0;
    // A quality sum slot past the last candidate holds 0 and cannot rise
    // above a sum of R2, so the chosen candidate always has its fit.
    if (K != 0 && static_cast<size_t>(K - 3) >= fits.size())
        throw SubscriptOutOfRange("QualitySum");
    return K;
}

AutomaticAnswer FindAutomaticSize(const CloudTables& trimmed, int32_t jump) {
    const int32_t N = trimmed.Rows(), V = trimmed.samples, J = jump;
    if (J < 1) throw DivisionByZero("automatic sample size: jump");
    if (N < 3 || V < 1 || trimmed.sds.Rows() != N || trimmed.means.Cols() < V ||
        trimmed.sds.Cols() < V)
        throw SubscriptOutOfRange("automatic sample size: trimmed tables");
    std::vector<BrokenStick> fits;
    const int32_t K = FindBreakpoint(CloudRowExtremes(trimmed.means, V), N, J, fits);
    AutomaticAnswer answer;
    if (K == 0) return answer;

    answer.succeeded = true;
    answer.breakpoint = K;
    answer.size = SizeAtBreakpoint(K, J);
    answer.means = LinesAt(fits[static_cast<size_t>(K - 3)], K, J);
    // The standard deviations' own broken stick at the means' breakpoint.
    answer.sds = LinesAt(FitBrokenStick(CloudRowExtremes(trimmed.sds, V), K, N, J), K, J);
    answer.statistics = StatisticsAtSize(trimmed, J, answer.size);
    answer.cv = CoefficientsAt(answer.statistics, true);
    return answer;
}

}  // namespace velta
