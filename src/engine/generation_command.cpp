#include "engine/generation_command.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <optional>

#include "base/errors.h"
#include "base/numbers.h"
#include "base/numeric.h"
#include "data/presample.h"
#include "engine/generation.h"
#include "engine/progress.h"

namespace velta {

namespace {

void StampStart(Workspace& ws, Platform& ui) {
    auto& p = ws.StatusBar1;
    p[7].enabled = false;
    p[8] = {"", false};
    p[4].enabled = false;
    p[5] = {"", false};
    p[4].enabled = true;
    p[5] = {ui.TimeText(), true};
}

// Bytes a generation of V virtual samples holds at its peak over the whole
// analysis: the unit numbers (2 bytes per value), the two tables and the two
// charts' copies (8 bytes each), and the two trimmed tables that follow.
double GenerationBytes(int32_t N, int32_t V) {
    return (2.0 + 4 * 8.0 + 2 * 8.0) * N * (static_cast<double>(V) + kLineColumnCount);
}

// Refuses a V whose tables would not fit comfortably in the memory the
// machine has free: the system would otherwise end the program, and the
// typed pre-sample with it.
bool EnoughMemory(Workspace& ws, Platform& ui, int32_t V) {
    const int32_t N = ws.sprMain.DataRowCount();
    const double need = GenerationBytes(std::max(N, 3), V);
    const double available = static_cast<double>(ui.AvailableMemory());
    if (available <= 0.0 || need <= 0.75 * available) return true;
    auto mb = [](double bytes) {
        return FormatInteger(static_cast<int64_t>(bytes / 1048576.0 + 0.5));
    };
    ui.MessageBox("There is not enough memory for " + FormatInteger(V) +
                      " virtual samples: they need about " + mb(need) + " MB, and " +
                      mb(available) + " MB are available." + "\r" +
                      "Please, specify a lower number of virtual samples.",
                  MsgButtons::Ok, MsgIcon::Critical, "VELTA");
    return false;
}

// Returns V, or 0 when the entry is refused or a question is answered No.
int32_t AskForV(Workspace& ws, Platform& ui) {
    const std::string& t = ws.txtLimite.text;
    if (!IsNumeric(t) || !IsWholeNumber(t) || RoundToInt32(*ParseNumber(t)) < 1) {
        ui.MessageBox(kInvalidVirtualSamplesMessage, MsgButtons::Ok, MsgIcon::Critical, "VELTA");
        return 0;
    }
    const int32_t v = RoundToInt32(*ParseNumber(t));
    // The line columns follow the V virtual samples in the tables.
    if (v > std::numeric_limits<int32_t>::max() - kLineColumnCount) {
        ui.MessageBox(kInvalidVirtualSamplesMessage, MsgButtons::Ok, MsgIcon::Critical, "VELTA");
        return 0;
    }
    if (!EnoughMemory(ws, ui, v)) return 0;
    // The exact maximum, kept beside the caption, which shows it rounded to
    // three digits: a V between the two is not redundant.
    const std::optional<double> m =
        ws.maxVirtualSamples > 0.0
            ? std::optional<double>(ws.maxVirtualSamples)
            : ParseNumber(ws.Label17.text.size() > 16 ? ws.Label17.text.substr(16) : std::string());
    if (!m) throw TypeMismatch("maximum number of virtual samples");
    if (v > *m) {
        if (ui.MessageBox(kRedundantSamplesQuestion, MsgButtons::YesNo, MsgIcon::None, "VELTA") ==
            MsgAnswer::No)
            return 0;
    } else if (v > kRecommendedVirtualSamples) {
        if (ui.MessageBox(kHighSamplesQuestion, MsgButtons::YesNo, MsgIcon::None, "VELTA") ==
            MsgAnswer::No)
            return 0;
    }
    return v;
}

void ResetPreviousResults(Workspace& ws) {
    for (ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
        c->LoadPlaceholder();
        c->SetCloudSeries(0);
        c->MarkCloudSeries(0, 1, 0, kCloudMarkerSize);
    }
    ws.Slider1.min = 2;
    ws.Slider1.max = 4;
    ws.Slider1.step = 1;
    ws.Slider1.selStart = 3;
    EmptyResultFields(ws, true);
    ws.DataTrimmed = false;
    ws.cmdFilter.enabled = false;
    ws.cmdAutoSampleSize.enabled = false;
}

int32_t ToInt32(double v, const char* where) {
    if (!(v >= -2147483648.0 && v <= 2147483647.0)) throw OverflowError(where);
    return static_cast<int32_t>(v);
}

// Bounds of one chart over the rows that hold data. The row maxima and
// minima are taken over all V values directly: V may exceed the 16-bit
// bound of the shared array routines.
void ValueRange(const Table2D& t, int32_t N, int32_t V, int32_t J, bool needsSumForLower,
                int32_t& lower, int32_t& upper) {
    bool first = true;
    for (int32_t r = J - 1; r <= N - 2; r += J) {
        const double* x = t.Row(r);
        double mx = x[0], mn = x[0], sum = x[0];
        for (int32_t i = 1; i < V; ++i) {
            if (x[i] > mx) mx = x[i];
            if (x[i] < mn) mn = x[i];
            sum = x[i] + sum;
        }
        const int32_t hi = CheckedAdd32(ToInt32(IntPart(mx), "axis maximum"), 1, "axis maximum");
        const int32_t lo = ToInt32(IntPart(mn), "axis minimum");
        if (first) {
            upper = hi;
            lower = lo;
            first = false;
            continue;
        }
        if (hi > upper) upper = hi;
        if ((!needsSumForLower || sum != 0.0) && lo < lower) lower = lo;
    }
}

void SetFixedAxis(ChartModel& c, int32_t lower, int32_t upper) {
    ValueAxis& a = c.Axis();
    a.autoScale = false;
    a.maximum = upper;
    a.minimum = lower;
    a.labelFormat = "##0.0##";
    c.Touch();
}

void AbortEnding(Workspace& ws) {
    ws.AbortRequested = "0";
    CloseProgressWindow(ws);
    ws.DrawProgress = ws.StatsProgress = 0;
    ws.mioI = ws.mioI1 = 0;
}

// Clears the running mark however the command ends.
struct RunningMark {
    Workspace& ws;
    explicit RunningMark(Workspace& w) : ws(w) { ws.generationRunning = true; }
    ~RunningMark() { ws.generationRunning = false; }
};

void Generate(Workspace& ws, Platform& ui, RandomSource& rng) {
    HideAverageLabels(ws);
    StampStart(ws, ui);
    const int32_t V = AskForV(ws, ui);
    if (V == 0) return;
    ResetPreviousResults(ws);

    const auto preSample = ReadPreSample(ws.sprMain);
    if (!preSample) throw TypeMismatch("pre-sample cell");
    const auto N = static_cast<int32_t>(preSample->size()) - 1;
    // The charts need at least one category; accepted pre-samples have three
    // units or more, but the grid may have been edited since.
    if (N < 3) throw SubscriptOutOfRange("pre-sample size");
    ws.Jump = JumpFor(N);
    const int32_t J = ws.Jump;

    RunningMark running(ws);
    ws.AbortRequested = "0";
    ShowProgressWindow(ws, V);
    if (!GenerateVirtualSamples(*preSample, V, ws.VirtualSampleTable, ws, ui, rng)) {
        AbortEnding(ws);
        return;
    }

    const StatsTables& t = ws.VirtualSampleTable;
    const int32_t rows = N - 2;
    ws.VtChart1.SetDataGrid(rows, V);
    ws.VtChart1.LoadBlock(t.means, rows, V);
    ws.VtChart2.SetDataGrid(rows, V);
    ws.VtChart2.LoadBlock(t.sds, rows, V);
    for (ChartModel* c : {&ws.VtChart1, &ws.VtChart2}) {
        c->SetCloudSeries(V);
        for (int32_t q = 1; q <= rows; ++q) c->SetRowLabel(q, FormatInteger(q + 1));
    }
    ValueRange(t.means, N, V, J, true, ws.MeansLower, ws.MeansUpper);
    SetFixedAxis(ws.VtChart1, ws.MeansLower, ws.MeansUpper);
    ValueRange(t.sds, N, V, J, false, ws.SDsLower, ws.SDsUpper);
    SetFixedAxis(ws.VtChart2, ws.SDsLower, ws.SDsUpper);

    // Phase 3: the markers on the rows that hold data, series by series. The
    // last chart row gets none (the points stop one short of it).
    ws.TotI = ws.VtChart1.ColumnCount();
    ws.TotI1 = ws.VtChart2.ColumnCount();
    const int32_t lastPoint = rows - 1;
    EventPacer pacer(ws, ui);
    for (int32_t s = 1; s <= ws.TotI; ++s) {
        if (s % 20 == 0 && pacer.Offer()) {
            AbortEnding(ws);
            return;
        }
        ws.mioI = s;
        ws.mioI1 = s;
        ws.VtChart1.MarkCloudSeries(s, J, lastPoint, kCloudMarkerSize);
        ws.VtChart2.MarkCloudSeries(s, J, lastPoint, kCloudMarkerSize);
    }

    ws.frmAvanzamento.Label3.blue = false;
    CloseProgressWindow(ws);
    ws.StatusBar1[7].enabled = true;
    ws.StatusBar1[8] = {ui.TimeText(), true};
    ws.cmdFilter.enabled = true;
    ws.DrawProgress = ws.StatsProgress = 0;
    ws.mioI = ws.mioI1 = 0;
}

}  // namespace

void RunGeneration(Workspace& ws, Platform& ui, RandomSource& rng) {
    try {
        Generate(ws, ui, rng);
    } catch (const RuntimeError&) {
        EmptyResultFields(ws, false);
        CloseProgressWindow(ws);
        ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, "VELTA");
    } catch (const std::bad_alloc&) {
        // Too many virtual samples for the memory at hand.
        EmptyResultFields(ws, false);
        CloseProgressWindow(ws);
        ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, "VELTA");
    }
}

void cmdEsegui_Click(Workspace& ws, Platform& ui) {
    RunGeneration(ws, ui, ProcessRandomSource());
}

}  // namespace velta
