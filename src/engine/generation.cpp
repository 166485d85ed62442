#include "engine/generation.h"

#include <cmath>

#include "base/errors.h"
#include "engine/progress.h"

namespace velta {

int32_t JumpFor(int32_t n) {
    return n <= 0 ? 1 : (n + 19) / 20;
}

namespace {

// Phase 1 for any storage of the unit numbers: store(i, j, u) puts unit u at
// position i of virtual sample j. Returns false on abort.
template <class Store>
bool DrawPhase(int32_t N, int32_t V, Workspace& ws, Platform& ui, RandomSource& rng,
               Store&& store) {
    if (!ws.frmAvanzamento.shown) ShowProgressWindow(ws, V);
    ws.frmAvanzamento.Label2 = {true, true};
    // taken[u] == j marks unit u as placed in virtual sample j, so the marks
    // never need clearing between samples.
    std::vector<int32_t> taken(static_cast<size_t>(N), 0);
    int32_t* mark = taken.data();
    EventPacer pacer(ws, ui);
    for (int32_t j = 1; j <= V; ++j) {
        if (pacer.Offer()) return false;
        ws.DrawProgress = j;
        // A rejected draw is stored too but leaves the position where it is,
        // so the next draw overwrites it: the loop has no branch on the
        // draw, which random outcomes would keep mispredicting.
        for (int32_t i = 1; i <= N;) {
            const int32_t u = rng.Below(N);
            const bool fresh = mark[u] != j;
            mark[u] = j;
            store(i, j, u);
            i += fresh ? 1 : 0;
        }
    }
    ws.frmAvanzamento.Label2.blue = false;
    return true;
}

}  // namespace

void DrawVirtualSamples(Table2D& table, int32_t N, int32_t V, Workspace& ws, Platform& ui,
                        RandomSource& rng) {
    if (table.Rows() < N + 1 || table.Cols() < V + 1)
        throw SubscriptOutOfRange("DrawVirtualSamples");
    DrawPhase(N, V, ws, ui, rng, [&](int32_t i, int32_t j, int32_t u) { table(i, j) = u; });
}

bool GenerateVirtualSamples(const std::vector<double>& preSample, int32_t V, StatsTables& out,
                            Workspace& ws, Platform& ui, RandomSource& rng) {
    const auto N = static_cast<int32_t>(preSample.size()) - 1;
    if (N < 1 || V < 1) throw SubscriptOutOfRange("GenerateVirtualSamples");
    const int32_t J = ws.Jump;
    if (J < 1) throw SubscriptOutOfRange("GenerateVirtualSamples: Jump");

    // The unit numbers sample by sample, compactly: a generation of 185,000
    // virtual samples keeps them in a few megabytes.
    if (N > 65535) throw OverflowError("GenerateVirtualSamples: N");
    std::vector<uint16_t> draws(static_cast<size_t>(N) * static_cast<size_t>(V));
    const bool drawn = DrawPhase(N, V, ws, ui, rng, [&](int32_t i, int32_t j, int32_t u) {
        draws[static_cast<size_t>(j - 1) * static_cast<size_t>(N) + static_cast<size_t>(i - 1)] =
            static_cast<uint16_t>(u);
    });
    if (!drawn || ws.AbortRequested == "1") return false;

    // Phase 2, straight into fresh tables: the previous ones survive an abort.
    ws.frmAvanzamento.Label1 = {true, true};
    StatsTables fresh;
    fresh.means.Resize(N, V + 1);
    fresh.sds.Resize(N, V + 1);
    fresh.V = V;
    // Row q*J - 1 takes the prefix of the first q*J + 2 values; a prefix
    // longer than N was never computed and leaves the row at 0.
    std::vector<int32_t> size;
    for (int32_t q = 1; q * J + 2 <= N; ++q) size.push_back(q * J + 2);
    const auto prefixes = static_cast<int32_t>(size.size());
    std::vector<double> x(static_cast<size_t>(N)), mean(size.size()), dev(size.size());
    EventPacer pacer(ws, ui);
    for (int32_t j = 1; j <= V; ++j) {
        if (pacer.Offer()) return false;
        ws.StatsProgress = j;
        const uint16_t* units = draws.data() + static_cast<size_t>(j - 1) * static_cast<size_t>(N);
        for (int32_t i = 0; i < N; ++i) x[static_cast<size_t>(i)] = preSample[units[i] + 1u];
        // The running sum adds the values in the same order as a sum from
        // scratch, so the means are bit for bit those of MeanOf.
        double sum = 0.0;
        int32_t summed = 0;
        for (int32_t q = 0; q < prefixes; ++q) {
            for (; summed < size[static_cast<size_t>(q)]; ++summed)
                sum += x[static_cast<size_t>(summed)];
            mean[static_cast<size_t>(q)] = sum / static_cast<double>(size[static_cast<size_t>(q)]);
            dev[static_cast<size_t>(q)] = 0.0;
        }
        // Each prefix's deviance still adds its squared deviations in
        // position order (as DevianceOf does), but the prefixes advance side
        // by side, which keeps the processor's adders busy.
        int32_t first = 0;
        for (int32_t i = 0; i < N && first < prefixes; ++i) {
            while (first < prefixes && size[static_cast<size_t>(first)] <= i) ++first;
            const double xi = x[static_cast<size_t>(i)];
            double* __restrict d = dev.data();
            const double* __restrict m = mean.data();
            for (int32_t q = first; q < prefixes; ++q) {
                const double e = xi - m[q];
                d[q] += e * e;
            }
        }
        for (int32_t q = 0; q < prefixes; ++q) {
            const int32_t row = (q + 1) * J - 1;
            const double c = size[static_cast<size_t>(q)];
            fresh.means(row, j - 1) = mean[static_cast<size_t>(q)];
            fresh.sds(row, j - 1) = std::sqrt(dev[static_cast<size_t>(q)] / (c - 1));
        }
    }
    ws.frmAvanzamento.Label1.blue = false;
    ws.frmAvanzamento.Label3 = {true, true};
    out = std::move(fresh);
    return true;
}

}  // namespace velta
