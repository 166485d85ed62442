#include "analysis/student_t.h"

#include <cmath>

#include "base/errors.h"

namespace velta {

const double StudentTable::values[3][31] = {
    {6.31, 2.92, 2.35, 2.13, 2.01, 1.94, 1.89, 1.86, 1.83, 1.81, 1.79, 1.78, 1.77, 1.76, 1.75, 1.74,
     1.74, 1.73, 1.73, 1.72, 1.72, 1.72, 1.71, 1.71, 1.71, 1.70, 1.70, 1.70, 1.70, 1.70, 1.64},
    {12.71, 4.30, 3.18, 2.78, 2.57, 2.45, 2.36, 2.31, 2.26, 2.23, 2.20,
     2.18,  2.16, 2.14, 2.13, 2.12, 2.11, 2.10, 2.09, 2.08, 2.08, 2.07,
     2.07,  2.06, 2.06, 2.05, 2.05, 2.05, 2.04, 2.04, 1.96},
    {63.66, 9.92, 5.84, 4.60, 4.03, 3.71, 3.50, 3.35, 3.25, 3.17, 3.10,
     3.04,  3.01, 2.98, 2.95, 2.92, 2.90, 2.88, 2.86, 2.84, 2.83, 2.82,
     2.81,  2.80, 2.79, 2.78, 2.77, 2.76, 2.76, 2.75, 2.57},
};

double TableQuantile(std::string_view alpha, int32_t N) {
    if (N < 1 || N > 32) throw SubscriptOutOfRange("TableQuantile");
    int row = -1;
    if (alpha == "0.10")
        row = 0;
    else if (alpha == "0.05")
        row = 1;
    else if (alpha == "0.01")
        row = 2;
    if (row < 0 || N == 1) return 0.0;
    return StudentTable::values[row][N - 2];
}

int32_t StudentTSize(double s, double d, std::string_view alpha) {
    for (int32_t n = 2; n <= kLastStudentSize; ++n) {
        const double e = s / std::pow(static_cast<double>(n), 0.5) * TableQuantile(alpha, n);
        if (e <= d) return n;
    }
    return kNoStudentSize;
}

}  // namespace velta
