#include "engine/generation.h"

#include <optional>

#include "base/errors.h"
#include "engine/progress.h"

namespace velta {

namespace {

// The progress window of the workspace follows the generation's phases.
class WindowProgress : public Progress {
  public:
    WindowProgress(Workspace& ws, Platform& ui, int32_t V) : ws_(ws), ui_(ui) {
        if (!ws_.frmAvanzamento.shown) ShowProgressWindow(ws_, V);
    }
    // Each phase paces its pauses afresh: its first item always pauses, so
    // an Abort pressed at the end of a phase is seen before the next.
    void Begin(Phase p) override {
        pacer_.emplace(ws_, ui_);
        (p == Phase::Drawing ? ws_.frmAvanzamento.Label2 : ws_.frmAvanzamento.Label1) = {true,
                                                                                         true};
    }
    void End(Phase p) override {
        if (p == Phase::Drawing) {
            ws_.frmAvanzamento.Label2.blue = false;
            return;
        }
        ws_.frmAvanzamento.Label1.blue = false;
        ws_.frmAvanzamento.Label3 = {true, true};
    }
    bool Advance(Phase p, int32_t item) override {
        if (pacer_ && pacer_->Offer()) return true;
        (p == Phase::Drawing ? ws_.DrawProgress : ws_.StatsProgress) = item;
        return false;
    }

  private:
    Workspace& ws_;
    Platform& ui_;
    std::optional<EventPacer> pacer_;
};

}  // namespace

void DrawVirtualSamples(Table2D& table, int32_t N, int32_t V, Workspace& ws, Platform& ui,
                        RandomSource& rng) {
    if (table.Rows() < N + 1 || table.Cols() < V + 1)
        throw SubscriptOutOfRange("DrawVirtualSamples");
    WindowProgress progress(ws, ui, V);
    const auto draws = DrawArrangements(N, V, rng, progress);
    if (!draws) return;
    for (int32_t j = 1; j <= V; ++j)
        for (int32_t i = 1; i <= N; ++i)
            table(i, j) = (*draws)[static_cast<size_t>(j - 1) * static_cast<size_t>(N) +
                                   static_cast<size_t>(i - 1)];
}

bool GenerateVirtualSamples(const std::vector<double>& preSample, int32_t V, StatsTables& out,
                            Workspace& ws, Platform& ui, RandomSource& rng) {
    if (ws.Jump < 1) throw SubscriptOutOfRange("GenerateVirtualSamples: Jump");
    WindowProgress progress(ws, ui, V);
    auto clouds = GenerateClouds(preSample, V, ws.Jump, rng, progress);
    if (!clouds) return false;
    out.means = std::move(clouds->means);
    out.sds = std::move(clouds->sds);
    out.V = V;
    return true;
}

}  // namespace velta
