#include "analysis/pilot.h"

#include <cmath>

#include "base/numeric.h"

namespace velta {

std::vector<double> Pilot::OneBased() const {
    std::vector<double> x(values.size() + 1, 0.0);
    std::copy(values.begin(), values.end(), x.begin() + 1);
    return x;
}

SampleStats ComputeSampleStats(const std::vector<double>& x) {
    const int32_t n = static_cast<int32_t>(x.size()) - 1;
    SampleStats s;
    s.n = n;
    s.mean = ArrayMean(x);
    s.sd = std::sqrt(ArrayDeviance(x) / (n - 1));

    std::vector<double> leaveOut(static_cast<size_t>(n - 1));
    std::vector<double> psd(static_cast<size_t>(n) + 1), pm(static_cast<size_t>(n) + 1);
    for (int32_t i = 1; i <= n; ++i) {
        size_t k = 0;
        for (int32_t j = 1; j <= n; ++j)
            if (j != i) leaveOut[k++] = x[j];
        const double mi = MeanOf(leaveOut.data(), n - 1);
        const double sdi = std::sqrt(DevianceOf(leaveOut.data(), n - 1) / (n - 2));
        psd[i] = n * s.sd - (n - 1) * sdi;
        pm[i] = n * s.mean - (n - 1) * mi;
    }
    const double denom = static_cast<double>(n - 1) * n;
    s.jackknifeSd = ArrayMean(psd);
    s.jackknifeSeMean = std::sqrt(ArrayDeviance(pm) / denom);
    s.jackknifeSeSd = std::sqrt(ArrayDeviance(psd) / denom);
    return s;
}

double MaxVirtualSamples(int32_t n) {
    const int32_t k = n / 2;
    // C(n - k + i, i) for i = 1 .. k: every step is a whole number, and in
    // extended precision an exact one while the product fits 64 bits, so
    // every maximum the window can show in full is exact.
    long double c = 1.0L;
    for (int32_t i = 1; i <= k; ++i) c = c * static_cast<long double>(n - k + i) / i;
    return static_cast<double>(c);
}

Pilot MakePilot(std::vector<std::string> texts, std::vector<double> values, PilotSource source,
                bool& finite) {
    Pilot p;
    p.texts = std::move(texts);
    p.values = std::move(values);
    p.source = std::move(source);
    p.stats = ComputeSampleStats(p.OneBased());
    p.maximumVirtualSamples = MaxVirtualSamples(p.Size());
    finite = true;
    for (double v : {p.stats.mean, p.stats.sd, p.stats.jackknifeSd, p.stats.jackknifeSeMean,
                     p.stats.jackknifeSeSd})
        finite = finite && std::isfinite(v);
    return p;
}

}  // namespace velta
