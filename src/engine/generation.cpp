#include "engine/generation.h"

#include <cmath>

#include "engine/errors.h"
#include "engine/progress.h"

namespace velta {

int32_t JumpFor(int32_t n) {
    return n <= 0 ? 1 : (n + 19) / 20;
}

void DrawVirtualSamples(Table2D& table, int32_t N, int32_t V, Workspace& ws, Platform& ui,
                        RandomSource& rng) {
    if (table.Rows() < N + 1 || table.Cols() < V + 1)
        throw SubscriptOutOfRange("DrawVirtualSamples");
    if (!ws.frmAvanzamento.shown) ShowProgressWindow(ws, V);
    ws.frmAvanzamento.Label2 = {true, true};

    // taken[u] == j marks unit u as placed in virtual sample j, so the marks
    // never need clearing between samples.
    std::vector<int32_t> taken(static_cast<size_t>(N), 0);
    EventPacer pacer(ws, ui);
    for (int32_t j = 1; j <= V; ++j) {
        if (pacer.Offer()) return;
        ws.DrawProgress = j;
        for (int32_t i = 1; i <= N; ++i) {
            int32_t u = rng.Below(N);
            while (taken[static_cast<size_t>(u)] == j) u = rng.Below(N);
            taken[static_cast<size_t>(u)] = j;
            table(i, j) = u;
        }
    }
    ws.frmAvanzamento.Label2.blue = false;
}

bool GenerateVirtualSamples(const std::vector<double>& preSample, int32_t V, StatsTables& out,
                            Workspace& ws, Platform& ui, RandomSource& rng) {
    const auto N = static_cast<int32_t>(preSample.size()) - 1;
    if (N < 1 || V < 1) throw SubscriptOutOfRange("GenerateVirtualSamples");
    const int32_t J = ws.Jump;
    if (J < 1) throw SubscriptOutOfRange("GenerateVirtualSamples: Jump");

    Table2D draws(N + 1, V + 1);
    DrawVirtualSamples(draws, N, V, ws, ui, rng);
    if (ws.AbortRequested == "1") return false;

    // Phase 2, straight into fresh tables: the previous ones survive an abort.
    ws.frmAvanzamento.Label1 = {true, true};
    StatsTables fresh;
    fresh.means.Resize(N, V + 1);
    fresh.sds.Resize(N, V + 1);
    std::vector<double> x(static_cast<size_t>(N));
    EventPacer pacer(ws, ui);
    for (int32_t j = 1; j <= V; ++j) {
        if (pacer.Offer()) return false;
        ws.StatsProgress = j;
        for (int32_t i = 1; i <= N; ++i) {
            const auto u = static_cast<size_t>(draws(i, j));
            x[static_cast<size_t>(i - 1)] = preSample[u + 1];
        }
        // Row q*J - 1 takes the prefix of the first q*J + 2 values; a prefix
        // longer than N was never computed and leaves the row at 0. The
        // running sum adds the values in the same order as a sum from scratch
        // (MeanOf), so the means are bit for bit the same; the deviance needs
        // its own pass around each prefix's mean.
        double sum = 0.0;
        int32_t summed = 0;
        for (int32_t q = 1; q * J + 2 <= N; ++q) {
            const int32_t c = q * J + 2;
            for (; summed < c; ++summed) sum += x[static_cast<size_t>(summed)];
            const double mean = sum / static_cast<double>(c);
            double dev = 0.0;
            for (int32_t i = 0; i < c; ++i) {
                const double e = x[static_cast<size_t>(i)] - mean;
                dev += e * e;
            }
            fresh.means(q * J - 1, j - 1) = mean;
            fresh.sds(q * J - 1, j - 1) = std::sqrt(dev / (c - 1));
        }
    }
    ws.frmAvanzamento.Label1.blue = false;
    ws.frmAvanzamento.Label3 = {true, true};
    out = std::move(fresh);
    return true;
}

}  // namespace velta
