#include "base/numeric.h"

#include <cmath>
#include <limits>

#include "base/errors.h"

namespace velta {

namespace {
int64_t UpperBound(Array1 x) {
    return x.empty() ? 0 : static_cast<int64_t>(x.size()) - 1;
}
}  // namespace

int32_t CheckedAdd32(int64_t a, int64_t b, const char* where) {
    const int64_t r = a + b;
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw OverflowError(where);
    return static_cast<int32_t>(r);
}

int32_t CheckedSub32(int64_t a, int64_t b, const char* where) {
    return CheckedAdd32(a, -b, where);
}

int32_t CheckedMul32(int64_t a, int64_t b, const char* where) {
    const long double r = static_cast<long double>(a) * static_cast<long double>(b);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw OverflowError(where);
    return static_cast<int32_t>(a * b);
}

int16_t ToInt16(int64_t v, const char* where) {
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        throw OverflowError(where);
    return static_cast<int16_t>(v);
}

double Factorial(int32_t n) {
    if (n < 0) throw SubscriptOutOfRange("Factorial");
    double p = 1.0;
    for (int32_t i = 2; i <= n; ++i) {
        p *= static_cast<double>(i);
        if (std::isinf(p)) throw OverflowError("Factorial");
    }
    return p;
}

double Combinations(int32_t n, int32_t k) {
    const double fn = Factorial(n);
    const int32_t d = CheckedSub32(n, k, "Combinations");
    const double fd = Factorial(d);
    const double fk = Factorial(k);
    return fn / (fk * fd);
}

double MeanOf(const double* p, int64_t n) {
    double s = 0.0;
    for (int64_t i = 0; i < n; ++i) s += p[i];
    return s / static_cast<double>(n);
}

double DevianceOf(const double* p, int64_t n) {
    if (n <= 0) return 0.0;
    const double m = MeanOf(p, n);
    double d = 0.0;
    for (int64_t i = 0; i < n; ++i) {
        const double e = p[i] - m;
        d += e * e;
    }
    return d;
}

double ArrayMean(Array1 x) {
    const int64_t n = UpperBound(x);
    if (n == 0) throw DivisionByZero("ArrayMean");
    return MeanOf(x.data() + 1, n);
}

double ArrayDeviance(Array1 x) {
    const int64_t n = UpperBound(x);
    return n == 0 ? 0.0 : DevianceOf(x.data() + 1, n);
}

double ArrayMax(Array1 x) {
    const int16_t n = ToInt16(UpperBound(x), "ArrayMax");
    if (n < 1) throw SubscriptOutOfRange("ArrayMax");
    double m = x[1];
    for (int i = 2; i <= n; ++i)
        if (x[i] > m) m = x[i];
    return m;
}

double ArrayMin(Array1 x, bool ignoreFlag, double ignoreValue) {
    const int16_t n = ToInt16(UpperBound(x), "ArrayMin");
    double m = 0.0;
    if (ignoreFlag) {
        for (int i = 1; i <= n; ++i) {
            if (x[i] != ignoreValue) {
                m = x[i];
                break;
            }
        }
        for (int i = 1; i <= n; ++i)
            if (x[i] < m && x[i] != ignoreValue) m = x[i];
    } else {
        if (n < 1) throw SubscriptOutOfRange("ArrayMin");
        m = x[1];
        for (int i = 1; i <= n; ++i)
            if (x[i] < m) m = x[i];
    }
    return m;
}

double ArraySum(Array1 x) {
    const int64_t n = UpperBound(x);
    if (n < 1) throw SubscriptOutOfRange("ArraySum");
    double s = x[1];
    for (int64_t i = 2; i <= n; ++i) s = x[i] + s;
    return s;
}

int16_t IndexOfMax(Array1 x) {
    const double m = ArrayMax(x);
    const int64_t n = UpperBound(x);
    for (int64_t i = 1; i <= n; ++i)
        if (x[i] == m) return ToInt16(i, "IndexOfMax");
    return 0;
}

int16_t IndexOfMin(Array1 x) {
    const double m = ArrayMin(x, false, 0.0);
    const int64_t n = UpperBound(x);
    for (int64_t i = 1; i <= n; ++i)
        if (x[i] == m) return ToInt16(i, "IndexOfMin");
    return 0;
}

double Interpolate(int32_t x1, int32_t x2, double y1, double y2, int32_t x) {
    if (y1 == y2) return y1;
    const int32_t dx = CheckedSub32(x, x1, "Interpolate");
    const int32_t span = CheckedSub32(x2, x1, "Interpolate");
    if (span == 0) throw DivisionByZero("Interpolate");
    return y1 + (y2 - y1) * static_cast<double>(dx) / static_cast<double>(span);
}

}  // namespace velta
