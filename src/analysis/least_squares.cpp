#include "analysis/least_squares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "analysis/f_distribution.h"
#include "base/errors.h"
#include "base/numbers.h"

namespace velta {

namespace {

// The normal equations square the condition number of the data (a quadratic
// in x up to 3e6 reaches 1e25), so they are formed and solved in a wider type
// than double: the coefficients then come out right to the last digits of a
// double, which the F statistic needs (it is built from 1 - R2, where an error
// in the slope is magnified by 1 / (1 - R2)).
#if defined(__x86_64__) || defined(__i386__)
__extension__ typedef __float128 Wide;
#else
typedef long double Wide;  // binary128 on the other 64-bit Linux targets
#endif

template <class T>
bool IsFinite(T v) {
    return v - v == T(0);  // false for infinities and NaN, in any floating type
}

template <class T>
T Abs(T v) {
    return v < T(0) ? -v : v;
}

int64_t UpperBound(std::span<const double> x) {
    return x.empty() ? 0 : static_cast<int64_t>(x.size()) - 1;
}

template <class T>
T& At(std::span<T> v, int64_t i, const char* where) {
    if (i < 0 || i >= static_cast<int64_t>(v.size())) throw SubscriptOutOfRange(where);
    return v[static_cast<size_t>(i)];
}

void CheckShape(const Table2D& t, int64_t lastRow, int64_t lastCol, const char* where) {
    if (lastRow >= t.Rows() || lastCol >= t.Cols()) throw SubscriptOutOfRange(where);
}

double Finite(double v, const char* where) {
    if (!std::isfinite(v)) throw OverflowError(where);
    return v;
}

// Parameter number k of order as an index.
int32_t OrderAt(std::span<const double> order, int64_t k, const char* where) {
    return RoundToInt32(At(order, k, where));
}

// A dense matrix of the wide type addressed like Table2D.
class WideMatrix {
  public:
    WideMatrix(int32_t rows, int32_t cols)
        : cols_(cols), v_(static_cast<size_t>(rows) * static_cast<size_t>(cols), Wide(0)) {}
    Wide& operator()(int32_t r, int32_t c) {
        return v_[static_cast<size_t>(r) * static_cast<size_t>(cols_) + static_cast<size_t>(c)];
    }

  private:
    int32_t cols_;
    std::vector<Wide> v_;
};

// Gauss-Jordan elimination with full pivoting on a(1..n, 1..n) and the right
// sides b(1..n, 1..m). Among pivots of equal magnitude the last one met wins
// (rows, then columns ascending). False on a singular matrix: a pivot column
// met twice, a pivot that is zero in single precision, or no usable pivot.
template <class M>
bool GaussJordan(M& a, int32_t n, M& b, int32_t m) {
    using T = std::remove_cvref_t<decltype(a(1, 1))>;
    std::vector<int32_t> ipiv(static_cast<size_t>(n) + 1, 0);
    std::vector<int32_t> indxr(static_cast<size_t>(n) + 1, 0);
    std::vector<int32_t> indxc(static_cast<size_t>(n) + 1, 0);
    for (int32_t i = 1; i <= n; ++i) {
        T big = T(0);
        int32_t irow = 0;
        int32_t icol = 0;
        for (int32_t j = 1; j <= n; ++j) {
            if (ipiv[j] == 1) continue;
            for (int32_t k = 1; k <= n; ++k) {
                if (ipiv[k] == 0) {
                    if (Abs(a(j, k)) >= big) {
                        big = Abs(a(j, k));
                        irow = j;
                        icol = k;
                    }
                } else if (ipiv[k] > 1) {
                    return false;
                }
            }
        }
        if (icol == 0) return false;  // every candidate was NaN
        ++ipiv[icol];
        if (irow != icol) {
            for (int32_t l = 1; l <= n; ++l) std::swap(a(irow, l), a(icol, l));
            for (int32_t l = 1; l <= m; ++l) std::swap(b(irow, l), b(icol, l));
        }
        indxr[i] = irow;
        indxc[i] = icol;
        if (static_cast<float>(a(icol, icol)) == 0.0f) return false;
        const T pivinv = T(1) / a(icol, icol);
        a(icol, icol) = T(1);
        for (int32_t l = 1; l <= n; ++l) a(icol, l) *= pivinv;
        for (int32_t l = 1; l <= m; ++l) b(icol, l) *= pivinv;
        for (int32_t ll = 1; ll <= n; ++ll) {
            if (ll == icol) continue;
            const T dum = a(ll, icol);
            a(ll, icol) = T(0);
            for (int32_t l = 1; l <= n; ++l) a(ll, l) -= a(icol, l) * dum;
            for (int32_t l = 1; l <= m; ++l) b(ll, l) -= b(icol, l) * dum;
        }
    }
    for (int32_t l = n; l >= 1; --l) {
        if (indxr[l] != indxc[l])
            for (int32_t k = 1; k <= n; ++k) std::swap(a(k, indxr[l]), a(k, indxc[l]));
    }
    return true;
}

const char* Mark(double p) {
    if (p > 0.05) return "ns";
    if (p >= 0.01) return " +";
    return "++";
}

}  // namespace

void LeastSquares::SetDataCount(std::span<const double> values) {
    dataCount_ = static_cast<int32_t>(UpperBound(values));
}

void LeastSquares::SetCoefficients(std::span<const double> values) {
    for (int64_t i = 1; i <= kMaxCoefficients; ++i)
        coefficients_[static_cast<size_t>(i)] = At(values, i, "SetCoefficients");
}

void LeastSquares::PowerBasis(double x, std::span<double> basis, int32_t ma) const {
    At(basis, 1, "PowerBasis") = 1.0;
    for (int32_t j = 2; j <= ma; ++j)
        At(basis, j, "PowerBasis") = Finite(At(basis, j - 1, "PowerBasis") * x, "PowerBasis");
}

void LeastSquares::GaussianBasis(double z, std::span<const double> a, int32_t count) {
    std::span<double> af(basis_);
    for (int32_t i = 1; i <= count - 1; i += 3) {
        const double width = At(a, i + 2, "GaussianBasis");
        if (width == 0.0) throw DivisionByZero("GaussianBasis");
        const double arg = (z - At(a, i + 1, "GaussianBasis")) / width;
        const double ex = std::exp(-arg * arg);
        const double fac = At(a, i, "GaussianBasis") * ex * 2.0 * arg;
        At(af, i, "GaussianBasis") = ex;
        At(af, i + 1, "GaussianBasis") = Finite(fac / width, "GaussianBasis");
        At(af, i + 2, "GaussianBasis") = Finite(fac * arg / width, "GaussianBasis");
    }
}

bool LeastSquares::SolveGaussJordan(Table2D& a, int32_t N, Table2D& b, int32_t m) const {
    CheckShape(a, N, N, "SolveGaussJordan");
    CheckShape(b, N, m, "SolveGaussJordan");
    return GaussJordan(a, N, b, m);
}

void LeastSquares::SortCovariance(Table2D& covar, int32_t ma, std::span<const double> order, int32_t mfit) const {
    const char* where = "SortCovariance";
    CheckShape(covar, std::max(ma, 1), std::max(ma, 1), where);
    for (int32_t j = 1; j <= ma - 1; ++j)
        for (int32_t i = j + 1; i <= ma; ++i) covar(i, j) = 0.0;
    auto cov = [&](int32_t r, int32_t c) -> double& {
        CheckShape(covar, r, c, where);
        if (r < 0 || c < 0) throw SubscriptOutOfRange(where);
        return covar(r, c);
    };
    for (int32_t i = 1; i <= mfit - 1; ++i) {
        for (int32_t j = i + 1; j <= mfit; ++j) {
            const int32_t li = OrderAt(order, i, where);
            const int32_t lj = OrderAt(order, j, where);
            if (lj > li)
                cov(lj, li) = cov(i, j);
            else
                cov(li, lj) = cov(i, j);
        }
    }
    const double swap = cov(1, 1);
    for (int32_t j = 1; j <= ma; ++j) {
        cov(1, j) = cov(j, j);
        cov(j, j) = 0.0;
    }
    const int32_t l1 = OrderAt(order, 1, where);
    cov(l1, l1) = swap;
    for (int32_t j = 2; j <= mfit; ++j) {
        const int32_t lj = OrderAt(order, j, where);
        cov(lj, lj) = cov(1, j);
    }
    for (int32_t j = 2; j <= ma; ++j)
        for (int32_t i = 1; i <= j - 1; ++i) cov(i, j) = cov(j, i);
}

void LeastSquares::Fit(std::span<const double> X, std::span<const double> Y, std::span<double> sig,
                  int32_t count, std::span<double> a, int32_t ma, std::span<double> order,
                  int32_t mfit, Table2D& covar, double& chisq) {
    const char* where = "Fit";
    // Parameters not fitted are appended to order after the fitted ones.
    int32_t kk = mfit + 1;
    for (int32_t j = 1; j <= ma; ++j) {
        int32_t ihit = 0;
        for (int32_t k = 1; k <= mfit; ++k)
            if (OrderAt(order, k, where) == j) ++ihit;
        if (ihit == 0) {
            At(order, kk, where) = j;
            ++kk;
        } else if (ihit > 1) {
            if (onMessage_) onMessage_("Improper set in LISTA");
            return;
        }
    }
    if (kk != ma + 1) {
        if (onMessage_) onMessage_("Improper set in LISTA");
        return;
    }
    // basis has room for five basis functions and no more.
    if (ma > kMaxCoefficients) throw SubscriptOutOfRange("Fit: basis");
    CheckShape(covar, std::max(ma, 1), std::max(ma, 1), where);
    std::vector<int32_t> idx(static_cast<size_t>(std::max(ma, 0)) + 1, 0);
    for (int32_t j = 1; j <= ma; ++j) idx[j] = OrderAt(order, j, where);

    // Normal equations of the fitted parameters.
    const int32_t nf = std::max(mfit, 0);
    WideMatrix alpha(nf + 1, nf + 1);
    WideMatrix beta(nf + 1, 2);
    std::span<double> af(basis_);
    for (int32_t i = 1; i <= count; ++i) {
        PowerBasis(At(X, i, where), af, ma);
        Wide ym = At(Y, i, where);
        for (int32_t j = mfit + 1; j <= ma; ++j)
            ym -= Wide(At(a, idx[j], where)) * Wide(At(af, idx[j], where));
        double& s = At(sig, i, where);
        if (s == 0.0) s = 0.0001;
        const Wide sig2i = Wide(1) / (Wide(s) * Wide(s));
        for (int32_t j = 1; j <= mfit; ++j) {
            const Wide wt = Wide(At(af, idx[j], where)) * sig2i;
            for (int32_t k = 1; k <= j; ++k) alpha(j, k) += wt * Wide(At(af, idx[k], where));
            beta(j, 1) += ym * wt;
        }
    }
    for (int32_t j = 2; j <= mfit; ++j)
        for (int32_t k = 1; k <= j - 1; ++k) alpha(k, j) = alpha(j, k);
    for (int32_t j = 1; j <= mfit; ++j) {
        if (!IsFinite(beta(j, 1))) throw OverflowError(where);
        for (int32_t k = 1; k <= mfit; ++k)
            if (!IsFinite(alpha(j, k))) throw OverflowError(where);
    }

    // A singular system has no unique solution: reported, not guessed at.
    if (!GaussJordan(alpha, mfit, beta, 1)) throw DivisionByZero("Fit: singular matrix");

    for (int32_t j = 1; j <= mfit; ++j) {
        At(a, idx[j], where) = Finite(static_cast<double>(beta(j, 1)), where);
        for (int32_t k = 1; k <= mfit; ++k)
            covar(j, k) = Finite(static_cast<double>(alpha(j, k)), where);
    }

    double sum = 0.0;
    for (int32_t i = 1; i <= count; ++i) {
        PowerBasis(X[static_cast<size_t>(i)], af, ma);
        double s = 0.0;
        for (int32_t j = 1; j <= ma; ++j) s += At(a, j, where) * af[static_cast<size_t>(j)];
        const double r = (Y[static_cast<size_t>(i)] - s) / sig[static_cast<size_t>(i)];
        sum += r * r;
    }
    chisq = Finite(sum, where);

    SortCovariance(covar, ma, order, mfit);
}

// Sums are accumulated in extended precision: the F statistic is built from
// 1 - R2 and so magnifies every rounding of the sums of squares.
double LeastSquares::Mean(std::span<const double> values) const {
    const int64_t n = UpperBound(values);
    if (n == 0) throw DivisionByZero("Mean");
    long double s = 0.0L;
    for (int64_t i = 1; i <= n; ++i) s += values[static_cast<size_t>(i)];
    return Finite(static_cast<double>(s / static_cast<long double>(n)), "Mean");
}

double LeastSquares::Deviance(std::span<const double> values) const {
    const int64_t n = UpperBound(values);
    if (n == 0) return 0.0;
    return DevianceAbout(values, Mean(values));
}

double LeastSquares::DevianceAbout(std::span<const double> values, double m) const {
    const int64_t n = UpperBound(values);
    long double d = 0.0L;
    for (int64_t i = 1; i <= n; ++i) {
        const long double e = static_cast<long double>(values[static_cast<size_t>(i)]) - m;
        d += e * e;
    }
    return Finite(static_cast<double>(d), "Deviance");
}

AnovaResult LeastSquares::AnalyseVariance(std::span<const double> X, std::span<const double> Y, int32_t ma,
                                std::span<const double> a, bool sloped, double level) {
    const char* where = "AnalyseVariance";
    const int64_t n = UpperBound(X);
    std::vector<double> fitted(static_cast<size_t>(n) + 1, 0.0);
    if (sloped) {
        const double a1 = At(a, 1, where);
        const double a2 = At(a, 2, where);
        for (int64_t i = 1; i <= n; ++i)
            fitted[static_cast<size_t>(i)] = Finite(a2 * X[static_cast<size_t>(i)] + a1, where);
    } else {
        for (int64_t i = 1; i <= n; ++i) fitted[static_cast<size_t>(i)] = level;
    }

    AnovaResult r;
    r.fittedDeviance = Deviance(fitted);
    double ssTot = Deviance(Y);
    // Flat data has no variation to explain; a small stand-in keeps R2 defined.
    if (ssTot == 0.0) ssTot = 0.000001;
    r.R2 = Finite(r.fittedDeviance / ssTot, where);
    // The line explains all the variation (or, by rounding, more): the best
    // fit there is. R2 keeps the stand-in below 1 that keeps 1 - R2 usable,
    // and F is infinite, with probability 0.
    const bool perfect = r.R2 >= 1.0;
    if (perfect) r.R2 = 0.999999;
    oneMinusR2_ = 1.0 - r.R2;
    rootOneMinusR2_ = std::sqrt(oneMinusR2_);
    r.residualDeviance = ssTot * (1.0 - r.R2);

    // Negative degrees of freedom (fewer points than coefficients) are as
    // meaningless as none, so they raise the same error.
    if (ma <= 1 || n <= ma) throw DivisionByZero("AnalyseVariance: no degrees of freedom");
    const double meanSquareError = r.residualDeviance / static_cast<double>(n - ma);
    if (perfect || meanSquareError == 0.0) {
        r.F = std::numeric_limits<double>::infinity();
        r.probability = 0.0;
        r.sign = Mark(0.0);
        return r;
    }
    r.F = Finite((r.fittedDeviance / static_cast<double>(ma - 1)) / meanSquareError, where);

    const FProbability p = UpperTailF(r.F, ma - 1, static_cast<double>(n - ma));
    r.probability = p.probability;
    r.sign = p.sign;
    return r;
}

FProbability LeastSquares::UpperTailF(double F, double numeratorDf, double denominatorDf) const {
    const int32_t d1 = RoundToInt32(numeratorDf);
    const int32_t d2 = RoundToInt32(denominatorDf);
    if (d2 == 0 || d1 <= 0 || d2 < 0) throw DivisionByZero("UpperTailF: degrees of freedom");
    if (std::isnan(F)) throw OverflowError("UpperTailF");
    const long double P = FUpperTail(F, d1, d2);
    if (!std::isfinite(P)) throw OverflowError("UpperTailF");
    const double probability = static_cast<double>(P);
    return FProbability{probability, Mark(probability)};
}

}  // namespace velta
