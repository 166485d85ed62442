#include "model/progress_window.h"

namespace velta {

void ShowProgressWindow(Workspace& ws, int32_t V) {
    ws.frmAvanzamento = ProgressWindowState();
    ws.frmAvanzamento.V = V;
    ws.frmAvanzamento.shown = true;
}

void CloseProgressWindow(Workspace& ws) {
    ws.frmAvanzamento = ProgressWindowState();
}

namespace {
// The quotient in doubles, handed to the bar in single precision.
float Percent(int32_t count, int32_t total) {
    return static_cast<float>(static_cast<double>(count) / static_cast<double>(total) * 100.0);
}
}  // namespace

void TickProgressWindow(Workspace& ws) {
    ProgressWindowState& w = ws.frmAvanzamento;
    if (!w.shown) return;
    if (ws.DrawProgress != 0 && w.V != 0) w.bars[1] = Percent(ws.DrawProgress, w.V);
    if (ws.StatsProgress != 0 && w.V != 0) w.bars[2] = Percent(ws.StatsProgress, w.V);
    if (ws.mioI != 0 && ws.TotI != 0) w.bars[3] = Percent(ws.mioI, ws.TotI);
    if (ws.mioI1 != 0 && ws.TotI1 != 0) w.bars[4] = Percent(ws.mioI1, ws.TotI1);
}

void cmdAbort_Click(Workspace& ws) {
    ws.AbortRequested = "1";
}

}  // namespace velta
