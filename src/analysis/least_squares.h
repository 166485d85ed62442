#pragma once
// LeastSquares: general linear least squares by the normal equations (Gauss-Jordan
// elimination with full pivoting, the lfit/gaussj/covsrt scheme with an index
// list of fitted parameters) and the analysis of variance of a fitted line.
//
// Array convention: one-dimensional arrays hold their data in positions
// 1 .. n, position 0 is never read (n = size() - 1); matrices are Table2D
// addressed (row, column) with row 0 and column 0 unused. Every index is
// checked: one outside its array raises SubscriptOutOfRange. Parameter
// numbers in `order` are doubles, rounded half to even when used.
//
// Errors are the run-time errors of engine/errors.h and are never caught here.
// A floating-point result that does not fit a double, or is not a number,
// raises OverflowError.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/table.h"

namespace velta {


// Results of AnalyseVariance.
struct AnovaResult {
    std::string sign;              // significance mark of F: "ns", " +" or "++"
    double R2 = 0.0;               // explained share of the variation
    double F = 0.0;                // F statistic of the regression
    double probability = 0.0;              // upper-tail probability of F
    double fittedDeviance = 0.0;  // sum of squares of the fitted values about their mean
    double residualDeviance = 0.0;           // residual sum of squares, SStot * (1 - R2)
};

// Result of UpperTailF.
struct FProbability {
    double probability = 0.0;
    std::string sign;
};

class LeastSquares {
  public:
    // Where the one message of the class goes ("Improper set in LISTA");
    // nowhere by default.
    using MessageSink = std::function<void(const std::string&)>;
    explicit LeastSquares(MessageSink onMessage = {}) : onMessage_(std::move(onMessage)) {}

    // Stores the array's upper bound as the data count.
    void SetDataCount(std::span<const double> values);
    // Stores values(1 .. 5); a shorter array raises SubscriptOutOfRange.
    void SetCoefficients(std::span<const double> values);

    // Powers of x: basis(1) = 1, basis(j) = basis(j-1) * x for j = 2 .. ma.
    void PowerBasis(double x, std::span<double> basis, int32_t ma) const;
    // Sum of Gaussians a(i) * exp(-((z - a(i+1)) / a(i+2))^2), i = 1, 4, ...:
    // writes each value and its two derivatives into the member basis.
    void GaussianBasis(double z, std::span<const double> a, int32_t count);
    // Solves a * x = b (N x N, N x m) in place: a becomes its inverse and b the
    // solution. Returns false on a singular matrix, leaving a and b as far as
    // they were reduced.
    bool SolveGaussJordan(Table2D& a, int32_t N, Table2D& b, int32_t m) const;
    // Spreads the mfit x mfit covariance block over the ma x ma matrix in
    // parameter order.
    void SortCovariance(Table2D& covar, int32_t ma, std::span<const double> order, int32_t mfit) const;
    // Weighted least-squares fit of y = sum a(j) * x^(j-1), j = 1 .. ma, to the
    // points 1 .. count. The parameters order(1 .. mfit) are fitted, the others
    // keep their values in a. A zero sig(i) is replaced by 0.0001 in the
    // caller's array. A order that names a parameter twice or misses one shows
    // "Improper set in LISTA" and returns without fitting. A singular system
    // (for instance fewer distinct x than fitted parameters) raises
    // DivisionByZero; ma > 5 raises SubscriptOutOfRange.
    void Fit(std::span<const double> X, std::span<const double> Y, std::span<double> sig,
              int32_t count, std::span<double> a, int32_t ma, std::span<double> order, int32_t mfit,
              Table2D& covar, double& chisq);

    // Mean of values(1 .. n); n = 0 raises DivisionByZero.
    double Mean(std::span<const double> values) const;
    // Sum of squared deviations from the mean; n = 0 gives 0.
    double Deviance(std::span<const double> values) const;
    // Sum of squared deviations from a given mean m.
    double DevianceAbout(std::span<const double> values, double m) const;
    // Analysis of variance of the line a(1) + a(2) x (sloped true) or of the
    // horizontal line at level (sloped false) over the points
    // 1 .. n of X and Y. No residual degrees of freedom (n <= ma) or ma = 1
    // raise DivisionByZero; a perfect fit gives R2 = 0.999999 (the stand-in
    // below 1), an infinite F and probability 0. Also stores 1 - R2 and its root.
    AnovaResult AnalyseVariance(std::span<const double> X, std::span<const double> Y, int32_t ma,
                            std::span<const double> a, bool sloped, double level);
    // Upper-tail probability P(F' > F) of the F distribution with numeratorDf and denominatorDf
    // degrees of freedom (rounded half to even), by the exact finite series,
    // and its mark: "ns" above 0.05, " +" from 0.01 to 0.05, "++" below 0.01.
    // Degrees of freedom below 1 raise DivisionByZero; a negative F has
    // probability 1.
    FProbability UpperTailF(double F, double numeratorDf, double denominatorDf) const;

    int32_t dataCount() const { return dataCount_; }
    const std::array<double, 6>& coefficients() const { return coefficients_; }
    const std::array<double, 6>& basis() const { return basis_; }
    double oneMinusR2() const { return oneMinusR2_; }
    double rootOneMinusR2() const { return rootOneMinusR2_; }

    // The basis has at most this many functions.
    static constexpr int32_t kMaxCoefficients = 5;

  private:
    MessageSink onMessage_;
    std::array<double, 6> coefficients_{};  // positions 1 .. 5
    int32_t dataCount_ = 0;
    std::array<double, 6> basis_{};  // positions 1 .. 5
    double oneMinusR2_ = 0.0;
    double rootOneMinusR2_ = 0.0;
};

}  // namespace velta
