#include "analysis/f_distribution.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velta {

// Summed in extended precision and rounded once by the caller: 1 - (1 - x)
// then gives back x exactly, so probabilities that land on a limit (F = 19
// with 2 and 2 degrees of freedom: 0.05) are not pushed across it. A term
// loop stops early once its term is exactly 0: every later term would be 0
// as well.
long double FUpperTail(long double F, int32_t d1, int32_t d2) {
    using Real = long double;
    if (std::isnan(F)) return F;
    if (F <= 0) return 1;
    if (std::isinf(F)) return 0;
    const Real n1 = d1;
    const Real n2 = d2;
    Real P;
    const Real x = 1 / (1 + F * n1 / n2);
    const bool d1Even = d1 % 2 == 0;
    const bool d2Even = d2 % 2 == 0;
    if (d1Even && (!d2Even || d2 < d1)) {
        Real t = 1, s = 1, c = n2;
        for (Real i = 1; i <= n1 / 2 - 1 && t != 0; i += 1) {
            t = t * (Real(0.5) / i) * (1 - x) * c;
            s += t;
            c += 2;
        }
        P = std::pow(x, n2 / 2) * s;
    } else if (d2Even) {
        Real t = 1, s = 1, c = n1;
        for (Real i = 1; i <= n2 / 2 - 1 && t != 0; i += 1) {
            t = t * (Real(0.5) / i) * x * c;
            s += t;
            c += 2;
        }
        P = 1 - std::pow(1 - x, n1 / 2) * s;
    } else {
        const Real theta = std::atan(std::sqrt(n1 * F / n2));
        const Real sn = std::sin(theta);
        const Real cs = std::cos(theta);
        Real g = theta;
        if (d2 != 1) {
            Real t = cs, s = cs;
            for (Real i = 2; i <= n2 - 3 && t != 0; i += 2) {
                t = t * cs * cs * i / (i + 1);
                s += t;
            }
            g = theta + sn * s;
        }
        if (d1 != 1) {
            Real t = 1;
            for (Real i = 2; i <= n2 - 1; i += 2) t = t * i / (i - 1);
            t = std::pow(cs, n2) * t * sn;
            Real u = 1, s = 1, c = n2 + 1;
            for (Real i = 3; i <= n1 - 2 && u != 0; i += 2) {
                u = u * c * sn * sn / i;
                s += u;
                c += 2;
            }
            g -= s * t;
        }
        P = 1 - 2 * g / std::numbers::pi_v<Real>;
    }
    // Cancellation can leave a few units of rounding outside [0, 1].
    return std::isfinite(P) ? std::clamp(P, Real(0), Real(1)) : P;
}

}  // namespace velta
