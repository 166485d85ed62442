#include "commands/pilot_commands.h"

#include "base/numbers.h"
#include "commands/messages.h"
#include "data/presample.h"
#include "data/spreadsheet_commands.h"

namespace velta {

namespace {

// The texts and numbers of column 1; false after naming a bad cell.
bool ReadUnits(const Grid& grid, Platform& ui, std::vector<std::string>& texts,
               std::vector<double>& values) {
    const int32_t n = grid.DataRowCount();
    for (int32_t r = 1; r <= n; ++r) {
        const std::string& text = grid.CellText(1, r);
        const auto v = ParseNumber(text);
        if (!v) {
            // A value with a thousands separator gets its two readings; other
            // texts the plain message.
            ShowCritical(ui, IsAmbiguousComma(text) ? std::string(kBadPreSampleMessage) + "\r\r" +
                                                          BadCellDetail("A" + std::to_string(r), text)
                                                    : std::string(kBadPreSampleMessage));
            return false;
        }
        texts.push_back(text);
        values.push_back(*v);
    }
    return true;
}

}  // namespace

bool AcceptUnits(Session& s, Platform& ui, const PilotSource& source) {
    std::vector<std::string> texts;
    std::vector<double> values;
    if (!ReadUnits(s.units, ui, texts, values)) return false;
    const auto n = static_cast<int32_t>(values.size());
    if (n < kMinSamplingUnits) {
        ShowCritical(ui, "At least 3 sampling units are needed: the pre-sample holds " +
                             FormatInteger(n) + ".");
        return false;
    }
    if (n > kMaxSamplingUnits) {
        ShowCritical(ui, "The pre-sample holds " + FormatInteger(n) +
                             " sampling units; VELTA handles at most 1000.");
        return false;
    }
    s.unitsChanged = false;
    // The same values again: everything computed from them still holds.
    if (const Pilot* current = s.analysis.pilot(); current && current->texts == texts) return true;

    bool finite = false;
    Pilot pilot = MakePilot(std::move(texts), std::move(values), source, finite);
    if (!finite) {
        ShowCritical(ui,
                     "The statistics of these values exceed the range of the numbers VELTA "
                     "can compute with. Please, check the values.");
        return false;
    }
    s.inputs.studentSd = Format2(pilot.stats.sd);
    if (const auto limit = ParseNumber(s.inputs.virtualSamples);
        limit && *limit > pilot.maximumVirtualSamples)
        s.inputs.virtualSamples = FormatGeneral(pilot.maximumVirtualSamples);
    s.analysis.SetPilot(std::move(pilot));
    return true;
}

void UnitsEdited(Session& s) {
    s.unitsUnsaved = true;
    if (s.analysis.pilot()) s.unitsChanged = true;
}

void Open(Session& s, Platform& ui) {
    ImportedSheet sheet;
    if (ImportSpreadsheet(ui, sheet) != ImportStatus::Imported) return;
    AcceptSheet(s, ui, sheet);
}

bool AcceptSheet(Session& s, Platform& ui, const ImportedSheet& sheet) {
    Grid grid;
    if (!CheckedSheetGrid(sheet, ui, grid)) return false;

    // Work on a candidate so that a refused pilot leaves everything as it was.
    // A session that held a pilot starts afresh, as New leaves it.
    Session next = s.analysis.pilot() ? Session() : s;
    next.units = std::move(grid);
    // A file of units of its own: nothing typed in it yet, nothing to undo.
    next.unitsUnsaved = false;
    next.unitsHistory.Clear();
    PilotSource source;
    source.file = sheet.fileName;
    source.sheet = sheet.sheetName;
    source.column = sheet.data.column;
    if (IsColumnHeader(sheet.data)) source.header = sheet.data.Text(0);
    if (!AcceptUnits(next, ui, source)) return false;
    FormatOpenedGrid(next.units);
    s = std::move(next);
    return true;
}

void SaveTypedValues(Session& s, Platform& ui) {
    if (s.units.CellText(1, 1).empty()) return;
    if (SaveGridAsXls(s.units, ui)) {
        s.typedValuesSaved = true;
        s.unitsUnsaved = false;
    }
    if (!s.typedValuesSaved) return;
    AcceptUnits(s, ui, PilotSource());
}

}  // namespace velta
