#include "data/presample.h"

#include <cmath>

#include "base/numbers.h"
#include "base/numeric.h"

namespace velta {

std::optional<std::vector<double>> ReadPreSample(const Grid& grid, int32_t* badRow) {
    const int32_t n = grid.DataRowCount();
    std::vector<double> x(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t r = 1; r <= n; ++r) {
        const auto v = ParseNumber(grid.CellText(1, r));
        if (!v) {
            if (badRow) *badRow = r;
            return std::nullopt;
        }
        x[r] = *v;
    }
    return x;
}

void UnitsEdited(Workspace& ws) {
    if (ws.PreSampleReady != "1") return;
    ws.PreSampleReady = "0";
    ws.cmdEsegui.enabled = false;
    ws.statusNote = kUnitsEditedNote;
}

std::string BadCellDetail(const std::string& cellName, const std::string& text) {
    if (text.empty()) return "Cell " + cellName + " is empty.";
    if (IsAmbiguousComma(text)) {
        std::string t(text.substr(text.find_first_not_of(" \t\r\n")));
        t.erase(t.find_last_not_of(" \t\r\n") + 1);
        std::string thousands = t, decimal = t;
        thousands.erase(thousands.find(','), 1);
        decimal[decimal.find(',')] = '.';
        return "Cell " + cellName + " holds \"" + t + "\", which reads as " + thousands +
               " with a thousands separator or as " + decimal +
               " with a decimal comma: type the number without the separator, or with a point.";
    }
    return "Cell " + cellName + " holds \"" + text.substr(0, 40) + (text.size() > 40 ? "..." : "") +
           "\", which is not a number.";
}

bool ComputePreSampleStats(Workspace& ws, Platform& ui) {
    int32_t badRow = 0;
    const auto x = ReadPreSample(ws.sprMain, &badRow);
    if (!x) {
        // A value with a thousands separator gets its two readings; other
        // texts the plain message.
        const std::string& text = ws.sprMain.CellText(1, badRow);
        ui.MessageBox(IsAmbiguousComma(text) ? std::string(kBadPreSampleMessage) + "\r\r" +
                                                   BadCellDetail("A" + std::to_string(badRow), text)
                                             : std::string(kBadPreSampleMessage),
                      MsgButtons::Ok, MsgIcon::Critical, "VELTA");
        return false;
    }
    const int32_t n = static_cast<int32_t>(x->size()) - 1;
    if (n < kMinSamplingUnits) {
        ui.MessageBox(
            "At least 3 sampling units are needed: the pre-sample holds " + FormatInteger(n) + ".",
            MsgButtons::Ok, MsgIcon::Critical, "VELTA");
        return false;
    }
    if (n > kMaxSamplingUnits) {
        ui.MessageBox("The pre-sample holds " + FormatInteger(n) +
                          " sampling units; VELTA handles at most 1000.",
                      MsgButtons::Ok, MsgIcon::Critical, "VELTA");
        return false;
    }

    const double maxVirtual = MaxVirtualSamples(n);
    const SampleStats s = ComputeSampleStats(*x);
    for (double v : {s.mean, s.sd, s.jackknifeSd, s.jackknifeSeMean, s.jackknifeSeSd}) {
        if (!std::isfinite(v)) {
            ui.MessageBox(
                "The statistics of these values exceed the range of the numbers VELTA "
                "can compute with. Please, check the values.",
                MsgButtons::Ok, MsgIcon::Critical, "VELTA");
            return false;
        }
    }

    ws.Label17.text = std::string(kMaximumNumberPrefix) + FormatScientific(maxVirtual);
    ws.maxVirtualSamples = maxVirtual;
    ws.statusNote.clear();
    ws.txtSampleMean.text = Format3(s.mean);
    ws.txtSampleStDev.text = Format3(s.sd);
    ws.txtSampleN.text = FormatInteger(n);
    ws.txtOrvoStDev.text = Format3(s.jackknifeSd);
    ws.txtOrvoStErr.text = Format3(s.jackknifeSeMean);
    ws.txtOrvoStErrSD.text = Format3(s.jackknifeSeSd);
    ws.Text2.text = Format2(s.sd);
    if (const auto limit = ParseNumber(ws.txtLimite.text); limit && *limit > maxVirtual)
        ws.txtLimite.text = FormatGeneral(maxVirtual);
    ws.PreSampleReady = "1";
    ws.cmdEsegui.enabled = true;
    return true;
}

}  // namespace velta
