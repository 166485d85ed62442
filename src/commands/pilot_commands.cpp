#include "commands/pilot_commands.h"

#include <optional>

#include "base/numbers.h"
#include "commands/messages.h"
#include "data/presample.h"
#include "data/spreadsheet_commands.h"

namespace velta {

namespace {

// The texts and numbers of column 1; false after naming a bad cell, under
// `heading`.
bool ReadUnits(const Grid& grid, Platform& ui, const char* heading,
               std::vector<std::string>& texts, std::vector<double>& values) {
    const int32_t n = grid.DataRowCount();
    for (int32_t r = 1; r <= n; ++r) {
        const std::string& text = grid.CellText(1, r);
        const auto v = ParseNumber(text);
        if (!v) {
            ShowCritical(ui, std::string(heading) + "\r\r" +
                                 BadCellDetail("A" + std::to_string(r), text));
            return false;
        }
        texts.push_back(text);
        values.push_back(*v);
    }
    return true;
}

// The pilot of the grid's column 1, or nullopt after a message that says
// what is wrong.
std::optional<Pilot> PilotOfUnits(const Grid& grid, Platform& ui, const PilotSource& source,
                                  const char* badCellHeading) {
    std::vector<std::string> texts;
    std::vector<double> values;
    if (!ReadUnits(grid, ui, badCellHeading, texts, values)) return std::nullopt;
    const auto n = static_cast<int32_t>(values.size());
    if (n < kMinSamplingUnits) {
        ShowCritical(ui, "At least 3 sampling units are needed: the pre-sample holds " +
                             FormatInteger(n) + ".");
        return std::nullopt;
    }
    if (n > kMaxSamplingUnits) {
        ShowCritical(ui, "The pre-sample holds " + FormatInteger(n) +
                             " sampling units; VELTA handles at most " +
                             FormatInteger(kMaxSamplingUnits) + ".");
        return std::nullopt;
    }
    bool finite = false;
    Pilot pilot = MakePilot(std::move(texts), std::move(values), source, finite);
    if (!finite) {
        ShowCritical(ui,
                     "The statistics of these values exceed the range of the numbers VELTA "
                     "can compute with. Please, check the values.");
        return std::nullopt;
    }
    return pilot;
}

void Install(Session& s, Pilot pilot) {
    s.unitsChanged = false;
    // The same values again: everything computed from them still holds.
    if (const Pilot* current = s.analysis.pilot(); current && current->texts == pilot.texts)
        return;
    // Enough digits for the Student-t size of any pilot's scale.
    s.inputs.studentSd = FormatSignificant(pilot.stats.sd, kStudentSdDigits);
    if (const auto limit = ParseNumber(s.inputs.virtualSamples);
        limit && *limit > pilot.maximumVirtualSamples)
        s.inputs.virtualSamples = FormatGeneral(pilot.maximumVirtualSamples);
    s.analysis.SetPilot(std::move(pilot));
}

}  // namespace

bool AcceptUnits(Session& s, Platform& ui, const PilotSource& source) {
    const char* heading = source.file.empty() ? kBadTypedValuesMessage : kBadPreSampleMessage;
    std::optional<Pilot> pilot = PilotOfUnits(s.units, ui, source, heading);
    if (!pilot) return false;
    Install(s, std::move(*pilot));
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
    const PilotColumn column = ReadPilotColumn(sheet.data);
    if (!column.accepted) {
        ShowCritical(ui, column.message);
        return false;
    }
    // Work on a candidate so that a refused pilot leaves everything as it was.
    // A session that held a pilot starts afresh, as New leaves it.
    Session next = s.analysis.pilot() ? Session() : s;
    next.units = PilotGrid(column);
    // A file of units of its own: nothing typed in it yet, nothing to undo.
    next.unitsUnsaved = false;
    next.unitsHistory.Clear();
    PilotSource source;
    source.file = sheet.fileName;
    source.sheet = sheet.sheetName;
    source.column = sheet.data.column;
    source.header = column.header;
    source.missingCount = column.missingCount;
    if (!AcceptUnits(next, ui, source)) return false;
    FormatOpenedGrid(next.units, column.header);
    s = std::move(next);
    // Said once the values are in: the statistics come from the others.
    if (const std::string skipped = MissingValuesMessage(column); !skipped.empty())
        ShowInformation(ui, skipped);
    return true;
}

void SaveTypedValues(Session& s, Platform& ui) {
    // The values are the user's work: they are saved even when a cell is
    // wrong, and only then checked as a pre-sample. A first cell left empty
    // is said at once, as no pre-sample can start there.
    if (s.units.CellText(1, 1).empty()) {
        ShowCritical(ui, std::string(kBadTypedValuesMessage) + "\r\r" + BadCellDetail("A1", ""));
        return;
    }
    if (const std::string saved = SaveGridAsXls(s.units, ui); !saved.empty()) {
        s.typedValuesSaved = true;
        s.unitsUnsaved = false;
        s.lastWritten = Session::WrittenFile{"Pre-sampling values", saved};
    }
    // Once saved in this session, a later save that was cancelled still
    // accepts the values.
    if (!s.typedValuesSaved) return;
    AcceptUnits(s, ui, PilotSource());
}

}  // namespace velta
