#include "data/spreadsheet_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/numbers.h"
#include "analysis/pilot.h"
#include "data/presample.h"
#include "data/sheet_reader.h"
#include "data/xls_writer.h"
#include "commands/messages.h"

namespace velta {

namespace {

namespace fs = std::filesystem;

void NotSpreadsheet(Platform& ui, const std::string& why) {
    ui.MessageBox(why.empty() ? std::string(kNotSpreadsheetMessage)
                              : std::string(kNotSpreadsheetMessage) + "\r\r" + why,
                  MsgButtons::Ok, MsgIcon::None, kNotSpreadsheetTitle);
}

// A sheet number typed into the input box, or nullopt for anything that is
// not a number (treated like an empty answer).
std::optional<int32_t> SheetAnswer(const std::string& answer) {
    const auto v = ParseNumber(answer);
    if (!v) return std::nullopt;
    const double r = std::nearbyint(*v);
    return static_cast<int32_t>(std::clamp(r, -32768.0, 32767.0));
}

// The file dialog both commands open; "" when it was cancelled, which hands
// back its starting name (or nothing).
std::string AskFileName(Platform& ui, const char* title, const char* filter, bool save) {
    FileDialogRequest req;
    req.title = title;
    req.filter = filter;
    req.fileName = kDialogStartName;
    req.save = save;
    std::string name = ui.FileDialog(req);
    return name == kDialogStartName ? std::string() : name;
}

}  // namespace

std::string FileMissingMessage(const std::string& fileName) {
    return "The file " + fileName + " does not exist.";
}

std::string SheetChoicePrompt(const std::vector<std::string>& names) {
    std::string p = "Found " + std::to_string(names.size()) + " sheets\r\r";
    for (size_t i = 0; i < names.size(); ++i) p += std::to_string(i + 1) + ")  " + names[i] + "\r";
    p += "\r\rplease, select the number of the sheet";
    return p;
}

ImportStatus ImportSpreadsheet(Platform& ui, ImportedSheet& out, int32_t column) {
    const std::string name = AskFileName(ui, kOpenTitle, kOpenFilter, false);
    if (name.empty()) return ImportStatus::Cancelled;

    std::error_code ec;
    const fs::file_status st = fs::status(name, ec);
    if (st.type() == fs::file_type::not_found) {
        ui.MessageBox(FileMissingMessage(name), MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return ImportStatus::Failed;
    }
    if (ec) {
        NotSpreadsheet(ui, "The file or its folder cannot be read (" + ec.message() + ").");
        return ImportStatus::Failed;
    }
    if (st.type() == fs::file_type::directory) {
        NotSpreadsheet(ui, "It is a folder.");
        return ImportStatus::Failed;
    }

    ui.SetBusy(true);
    struct Normal {
        Platform& ui;
        ~Normal() { ui.SetBusy(false); }
    } normalPointer{ui};

    if (FormatFromName(name) == SheetFormat::Unknown) {
        NotSpreadsheet(ui, "VELTA reads .xls, .xlsx, .ods and .csv files.");
        return ImportStatus::Failed;
    }
    {
        std::ifstream probe(name, std::ios::binary);
        if (!probe) {
            NotSpreadsheet(ui,
                           std::string("The file cannot be read (") + std::strerror(errno) + ").");
            return ImportStatus::Failed;
        }
    }

    // The names and the first sheet in one run of the reader: most workbooks
    // have one sheet, and then no second run is needed.
    using Status = SheetReadResult::Status;
    SheetReadResult read = ReadSheetColumn(name, 0, {}, column);
    if (read.status == Status::NotWorkbook) {
        NotSpreadsheet(ui, read.why);
        return ImportStatus::Failed;
    }
    if (read.status == Status::NoSheets) {
        ui.MessageBox(kNoSheetInfoMessage, MsgButtons::Ok, MsgIcon::None, kResultTitle);
        return ImportStatus::Failed;
    }
    size_t sheetIndex = 0;
    if (read.status != Status::ReaderStopped && read.names.size() >= 2) {
        ui.SetBusy(false);
        const std::string answer =
            ui.InputBox(SheetChoicePrompt(read.names), kSheetChoiceTitle, "1");
        ui.SetBusy(true);
        const auto n = SheetAnswer(answer);
        if (!n) return ImportStatus::Cancelled;
        if (const int32_t index = std::max(*n - 1, 0); index != 0) {
            sheetIndex = static_cast<size_t>(index);
            read = ReadSheetColumn(name, index, {}, column);
            // The file changed under us since the first run: it is the import that fails.
            if (read.status == Status::NotWorkbook || read.status == Status::NoSheets)
                read.status = Status::SheetFailed;
        }
    }
    if (read.status != Status::Read) {
        ui.MessageBox(std::string(kImportFailedMessage) + "\r\r" + read.why, MsgButtons::Ok,
                      MsgIcon::None, kResultTitle);
        return ImportStatus::Failed;
    }
    out.fileName = name;
    out.data = std::move(read.column);
    if (FormatFromName(name) != SheetFormat::Csv && sheetIndex < read.names.size())
        out.sheetName = read.names[sheetIndex];
    return ImportStatus::Imported;
}

int32_t LoadSheetIntoGrid(const SheetColumn& sheet, Grid& grid) {
    const int32_t header = IsColumnHeader(sheet) ? 1 : 0;
    grid = Grid(1, std::max(sheet.rows - header, 500));
    for (const auto& [row, text] : sheet.cells)
        if (row >= header) grid.SetCell(1, row + 1 - header, text);
    return header;
}

bool IsColumnHeader(const SheetColumn& sheet) {
    // A text with a digit is a mistyped value ("4O.2", "12 kg"), not a header.
    const std::string& first = sheet.Text(0);
    return !first.empty() && first.find_first_of("0123456789") == std::string::npos;
}

bool CheckedSheetGrid(const ImportedSheet& sheet, Platform& ui, Grid& grid) {
    const int32_t header = LoadSheetIntoGrid(sheet.data, grid);
    // With too many rows every kept row is checked, so that a gap is named.
    const int32_t n =
        sheet.data.tooManyRows ? kMaxColumnRows - header : std::max(grid.DataRowCount(), 1);
    for (int32_t r = 1; r <= n; ++r) {
        const std::string& text = grid.CellText(1, r);
        if (IsNumeric(text)) continue;
        const int32_t row = r - 1 + header;
        std::string detail;
        if (const auto note = sheet.data.notes.find(row); note != sheet.data.notes.end())
            detail = "Cell " + CellName(row, sheet.data.column) +
                     " cannot be used: " + note->second + ".";
        else
            detail = BadCellDetail(CellName(row, sheet.data.column), text);
        ui.MessageBox(std::string(kBadPreSampleMessage) + "\r\r" + detail, MsgButtons::Ok,
                      MsgIcon::Critical, kVeltaTitle);
        return false;
    }
    if (sheet.data.tooManyRows) {
        ui.MessageBox("The pre-sample holds more than " + FormatInteger(kMaxSamplingUnits) +
                          " sampling units; VELTA handles at most " +
                          FormatInteger(kMaxSamplingUnits) + ".",
                      MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
        return false;
    }
    return true;
}

void FormatOpenedGrid(Grid& g) {
    g.SetMaxCols(1);
    g.SetColWidth(1, 8);
    g.SetRowHeight(0, 27);
    g.SetCell(1, 0, "Sampling units");
    if (g.MaxRows() >= 1000) g.SetColWidth(0, 8);
    g.Redraw();
}

bool SaveGridAsXls(const Grid& grid, Platform& ui) {
    std::string name = AskFileName(ui, kSaveTitle, kSaveFilter, true);
    if (name.empty()) return false;

    std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : name;
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (tail != ".XLS") name += ".xls";

    // Asked about the name the file will really have.
    std::error_code ec;
    if (fs::exists(name, ec)) {
        const std::string q = "FIle Already exist  \r\r" + name + "\r\r\rConfirm, please (Y/N)";
        if (ui.MessageBox(q, MsgButtons::YesNo, MsgIcon::None, kApplicationTitle) != MsgAnswer::Yes)
            return false;
    }

    const std::string& headerText = grid.CellText(1, 0);
    const int32_t first = headerText.empty() ? 1 : 0;
    const int32_t last = grid.DataRowCount(1);
    auto fail = [&](const std::string& why) {
        ui.MessageBox("The pre-sampling values could not be saved in\r" + name + "\r\r" + why,
                      MsgButtons::Ok, MsgIcon::Critical, "VELTA");
    };
    if (last - first + 1 > kXlsMaxRows) {
        fail("An .xls sheet holds at most 65536 rows.");
        return false;
    }
    std::vector<XlsCell> cells;
    for (int32_t r = first; r <= last; ++r) {
        const std::string& text = grid.CellText(1, r);
        if (text.empty()) continue;
        XlsCell c;
        c.row = static_cast<uint16_t>(r - first);
        c.col = 0;
        const auto v = r > 0 ? ParseNumber(text) : std::nullopt;
        c.isNumber = v.has_value();
        if (v)
            c.number = *v;
        else
            c.text = text;
        cells.push_back(std::move(c));
    }
    ui.SetBusy(true);
    const std::string why = WriteXlsWorkbook(name, kSavedSheetName, cells);
    ui.SetBusy(false);
    if (!why.empty()) {
        fail(why);
        return false;
    }
    return true;
}

}  // namespace velta
