#include "charts/trim.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "base/errors.h"
#include "base/numbers.h"
#include "charts/manual.h"
#include "model/messages.h"

namespace velta {

namespace {

// Sets the busy pointer for the life of the object.
class BusyPointer {
  public:
    explicit BusyPointer(Platform& ui) : ui_(ui) { ui_.SetBusy(true); }
    ~BusyPointer() { ui_.SetBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    Platform& ui_;
};

}  // namespace

int32_t ParsePValue(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !IsWholeNumber(text) || *v < 0.0) return -1;
    const int32_t p = RoundToInt32(*v);
    return p < 10 ? p : -1;
}

namespace {

void Filter(Workspace& ws, Platform& ui) {
    HideAverageLabels(ws);
    const int32_t P = ParsePValue(ws.txtPerc.text);
    if (P < 0) {
        ui.MessageBox(kInvalidPMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return;
    }
    BusyPointer busy(ui);
    ws.DataTrimmed = true;
    // N and V as the tables were generated: the fields may have been edited
    // since the generation.
    const StatsTables& source = ws.VirtualSampleTable;
    const int32_t N = source.means.Rows();
    const int32_t V = source.V;
    if (source.Empty() || N < 3 || V < 1) throw SubscriptOutOfRange("trimming: no virtual samples");

    StatsTables trimmed;
    TrimTable(N, V, P, source.means, trimmed.means);
    TrimTable(N, V, P, source.sds, trimmed.sds);
    trimmed.V = V;
    trimmed.P = P;  // the report names the P the results came from
    ws.TrimmedTable = std::move(trimmed);
    ReloadChart(ws.VtChart1, ws.TrimmedTable.means, N, V);
    ReloadChart(ws.VtChart2, ws.TrimmedTable.sds, N, V);

    ws.cmdAutoSampleSize.enabled = true;
    ws.AutoSizeDone = "0";
    EmptyResultFields(ws, true);
    ws.Slider1.min = 2;
    ws.Slider1.max = N - 1;
    ws.Slider1.step = ws.Jump;
    ws.Slider1.value = N / 2;
    ws.tStudentSampleSize.enabled = true;
}

}  // namespace

void cmdFilter_Click(Workspace& ws, Platform& ui) {
    try {
        Filter(ws, ui);
        return;
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
        // Two more tables of the clouds' size did not fit.
    }
    EmptyResultFields(ws, true);
    ui.MessageBox(kUnexpectedErrorMessage, MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
}

}  // namespace velta
