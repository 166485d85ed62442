#include "analysis/line_finding.h"

#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "base/numeric.h"
#include "analysis/least_squares.h"

namespace velta {

namespace {

// Largest or smallest of C(row, 0 .. V-1), through the shared array routines
// so that their limits and errors apply.
double RowExtreme(bool upper, int32_t V, const Table2D& C, int32_t row) {
    if (V < 0 || row < 0 || row >= C.Rows() || V > C.Cols()) throw SubscriptOutOfRange("Envelope");
    std::vector<double> w(static_cast<size_t>(V) + 1, 0.0);
    for (int32_t j = 1; j <= V; ++j) w[static_cast<size_t>(j)] = C(row, j - 1);
    return upper ? ArrayMax(w) : ArrayMin(w, false, 0.0);
}

}  // namespace

void Envelope(bool upper, int32_t V, int32_t K, const Table2D& C, Table2D& Env, bool sloped,
               int32_t N, int32_t Jump) {
    if (sloped) {
        if (K < 0) throw SubscriptOutOfRange("Envelope");
        Env.Resize(K + 1, 2);
        for (int32_t i = 1; i <= K; ++i) Env(i, 1) = RowExtreme(upper, V, C, i);
        return;
    }
    if (C.Rows() < 1) throw SubscriptOutOfRange("Envelope");
    Env.Resize(C.Rows(), 2);
    if (Jump == 0) throw DivisionByZero("Envelope");
    const int32_t L = RoundToInt32(static_cast<double>(N) / static_cast<double>(Jump) - 1.0);
    for (int64_t i = K; i <= L; ++i) {
        const int64_t r = i - K;
        if (r >= Env.Rows()) throw SubscriptOutOfRange("Envelope");
        Env(static_cast<int32_t>(r), 1) = RowExtreme(upper, V, C, static_cast<int32_t>(r));
    }
}

double FitLine(const Table2D& Env, int32_t ma, std::span<double> a, bool sloped,
                   int32_t breakpoint, double level) {
    std::vector<double> order{0, 1, 2, 3, 4, 5};
    Table2D covar(6, 6);
    LeastSquares fit;

    if (Env.Rows() < 1 || Env.Cols() < 2) throw SubscriptOutOfRange("FitLine");
    const int32_t U = Env.Rows() - 1;
    std::vector<double> X(static_cast<size_t>(U) + 1, 0.0);
    std::vector<double> Y(X.size(), 0.0);
    std::vector<double> sig(X.size(), 0.0);

    if (sloped) {
        for (int32_t j = 0; j <= U; ++j) {
            X[static_cast<size_t>(j)] = j;
            Y[static_cast<size_t>(j)] = Env(j, 1);
        }
        fit.SetDataCount(X);
        fit.SetDataCount(Y);
        fit.SetDataCount(sig);
        fit.SetDataCount(a);
        double chisq = 0.0;
        fit.Fit(X, Y, sig, U, a, ma, order, ma, covar, chisq);
    } else {
        // The points sit in positions 1 .. U: x from the breakpoint on.
        for (int32_t k = 1; k <= U; ++k) {
            X[static_cast<size_t>(k)] = static_cast<double>(breakpoint) + (k - 1);
            Y[static_cast<size_t>(k)] = Env(k - 1, 1);
        }
        fit.SetDataCount(X);
        fit.SetDataCount(Y);
        fit.SetDataCount(sig);
        fit.SetDataCount(a);
    }
    return fit.AnalyseVariance(X, Y, ma, a, sloped, level).R2;
}

}  // namespace velta
