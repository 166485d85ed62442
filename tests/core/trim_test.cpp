// Trimming: the fast TrimTable against the plain pass loop that rescans the
// row at every pass, and "Trim the generated samples" driven headless.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "analysis/trimming.h"
#include "road.h"

using namespace velta;

namespace {

// The pass loop as documented, on x(1 .. V): a scan for the first largest
// and first smallest value, the mean from scratch, then both replaced. A
// scan that finds no position (NaN in x(1)) writes x(0), outside the row.
std::vector<double> ReferenceTrim(std::vector<double> row, int32_t P) {
    const auto V = static_cast<int32_t>(row.size());
    std::vector<double> x(static_cast<size_t>(V) + 1);
    std::copy(row.begin(), row.end(), x.begin() + 1);
    const auto passes = static_cast<int32_t>(std::floor(P / 100.0 * V)) + 1;
    for (int32_t pass = 0; pass < passes; ++pass) {
        double mx = x[1], mn = x[1], sum = 0.0;
        for (int32_t i = 1; i <= V; ++i) {
            mx = x[i] > mx ? x[i] : mx;
            mn = x[i] < mn ? x[i] : mn;
            sum += x[i];
        }
        int32_t a = 0, b = 0;
        for (int32_t i = V; i >= 1; --i) {
            if (x[i] == mx) a = i;
            if (x[i] == mn) b = i;
        }
        const double m = sum / V;
        x[a] = m;
        x[b] = m;
    }
    return {x.begin() + 1, x.end()};
}

std::vector<double> FastTrim(const std::vector<double>& row, int32_t P) {
    const auto V = static_cast<int32_t>(row.size());
    Table2D src(1, V + 1), dst;
    std::copy(row.begin(), row.end(), src.Row(0));
    TrimTable(1, V, P, src, dst);
    // Trimmed where it is (the repeats' way), bit for bit the same.
    TrimTableInPlace(1, V, P, src);
    EXPECT_TRUE(std::equal(src.Row(0), src.Row(0) + V, dst.Row(0), [](double a, double b) {
        return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
    }));
    return {dst.Row(0), dst.Row(0) + V};
}

// Same positions replaced, in the same order: every value equal up to the
// rounding of the means (the plain loop sums from scratch in doubles, the
// fast one keeps an extended-precision running sum). A position replaced in
// one and not the other shows as an original value against a mean.
void ExpectSameTrim(const std::vector<double>& row, int32_t P, const std::string& what,
                    std::vector<double> fast = {}) {
    if (fast.empty()) fast = FastTrim(row, P);
    const std::vector<double> ref = ReferenceTrim(row, P);
    ASSERT_EQ(fast.size(), ref.size());
    for (size_t i = 0; i < ref.size(); ++i) {
        const double x = fast[i], y = ref[i];
        ASSERT_TRUE(std::isnan(y) ? std::isnan(x)
                                  : x == y || std::abs(x - y) <= 1e-13 * std::max(1.0, std::abs(y)))
            << what << " P=" << P << " at " << i << ": " << x << " against " << y;
    }
}

// V values drawn from [lo, hi); whole numbers (many ties) when `whole`.
std::vector<double> RandomRow(int32_t V, std::mt19937_64& g, double lo, double hi,
                              bool whole = false) {
    std::uniform_real_distribution<double> u(lo, hi);
    std::vector<double> r(static_cast<size_t>(V));
    for (double& x : r) x = whole ? std::floor(u(g)) : u(g);
    return r;
}

}  // namespace

TEST(TrimTable, EqualsThePassLoop) {
    std::mt19937_64 g(7);
    for (int32_t P : {0, 5, 9}) {
        // Random doubles, rows short and long.
        for (int32_t V : {1, 2, 12, 1001})
            ExpectSameTrim(RandomRow(V, g, -3.0, 50.0), P, "random V=" + std::to_string(V));
        // Small integers: many ties (the second of two largest values waits
        // for a later pass), and the replaced means soon become extremes.
        for (int32_t V : {5, 777})
            for (double levels : {2.0, 10.0})
                ExpectSameTrim(RandomRow(V, g, 0.0, levels, true), P, "ties");
        // Far outliers: after two passes their means outrank the originals.
        std::vector<double> outliers = RandomRow(300, g, 0.0, 1.0);
        outliers[17] = 1e6, outliers[40] = 5e5, outliers[41] = -3e5;
        ExpectSameTrim(outliers, P, "outliers");
    }
    // Beyond the 16-bit positions of the shared array routines.
    ExpectSameTrim(RandomRow(40000, g, 10.0, 11.0), 1, "V=40000");
    // NaN first: no position is ever found; NaN or infinite means spread.
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    for (const std::vector<double>& row :
         std::vector<std::vector<double>>{{nan, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                                          {1, nan, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                                          {1, -inf, 2, inf, 4, 5, 6, 7, 8, 9, 10, 11}})
        for (int32_t P : {0, 9}) ExpectSameTrim(row, P, "non-finite");
    // Constant rows, the all-zero rows of the generation among them, are
    // unchanged (the running sum is exact enough for their mean).
    for (double c : {0.0, 0.1, 123456.789})
        EXPECT_EQ(FastTrim(std::vector<double>(5000, c), 9), std::vector<double>(5000, c)) << c;
}

TEST(TrimCommand, RefusesAnInvalidPValue) {
    test::Road r(10, "60");
    r.Generate();
    for (const char* p : {"11", "2.5", ""}) {
        r.s.inputs.trimPercent = p;
        ASSERT_TRUE(r.Run(Command::Trim));
        test::ExpectOnlyMessage(
            r.ui, "The specified P value is not valid: type a whole number from 0 to 10",
            MsgIcon::Critical, p);
    }
}
