#include "data/spreadsheet_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/numbers.h"
#include "data/presample.h"
#include "data/xls_writer.h"

namespace velta {

namespace {

namespace fs = std::filesystem;

void NotSpreadsheet(Platform& ui, const std::string& why) {
    ui.MessageBox(why.empty() ? std::string(kNotSpreadsheetMessage)
                              : std::string(kNotSpreadsheetMessage) + "\r\r" + why,
                  MsgButtons::Ok, MsgIcon::None, kNotSpreadsheetTitle);
}

// Why a file whose content differs from what its name promises cannot be read.
std::string MismatchReason(SheetFormat byName, SheetFormat byContent, uintmax_t size) {
    if (size == 0) return "The file is empty.";
    if (byContent == SheetFormat::Unknown)
        return byName == SheetFormat::Csv
                   ? "It is not a text file of values."
                   : "Its content is not that of a workbook, or it is damaged.";
    if (byContent == SheetFormat::Csv) return "It is a text file, not a workbook.";
    return std::string("It is a ") + FormatLabel(byContent) + " workbook named " +
           FormatLabel(byName) + ": give it the " + FormatLabel(byContent) +
           " extension and open it again.";
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

std::string SheetChoicePrompt(const std::vector<std::string>& names) {
    std::string p = "Found " + std::to_string(names.size()) + " sheets\r\r";
    for (size_t i = 0; i < names.size(); ++i) p += std::to_string(i + 1) + ")  " + names[i] + "\r";
    p += "\r\rplease, select the number of the sheet";
    return p;
}

ImportStatus ImportSpreadsheet(Platform& ui, ImportedSheet& out) {
    const std::string name = AskFileName(ui, kOpenTitle, kOpenFilter, false);
    if (name.empty()) return ImportStatus::Cancelled;

    std::error_code ec;
    const fs::file_status st = fs::status(name, ec);
    if (st.type() == fs::file_type::not_found) {
        ui.MessageBox(kFileMissingMessage, MsgButtons::Ok, MsgIcon::None, kApplicationTitle);
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

    const SheetFormat byName = FormatFromName(name);
    if (byName == SheetFormat::Unknown) {
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
    const uintmax_t size = fs::file_size(name, ec);
    const SheetFormat byContent = FormatFromContent(name);
    if (ec || size == 0 || byContent != byName) {
        NotSpreadsheet(ui, MismatchReason(byName, byContent, ec ? 0 : size));
        return ImportStatus::Failed;
    }

    std::string why;
    std::unique_ptr<WorkbookReader> book = OpenWorkbook(name, byName, why);
    if (!book) {
        NotSpreadsheet(ui, why);
        return ImportStatus::Failed;
    }
    const std::vector<std::string> sheets = book->ListSheets();
    if (sheets.empty()) {
        ui.MessageBox(kNoSheetInfoMessage, MsgButtons::Ok, MsgIcon::None, kResultTitle);
        return ImportStatus::Failed;
    }

    int32_t index = 0;
    if (sheets.size() >= 2) {
        ui.SetBusy(false);
        const std::string answer = ui.InputBox(SheetChoicePrompt(sheets), kSheetChoiceTitle, "1");
        ui.SetBusy(true);
        const auto n = SheetAnswer(answer);
        if (!n) return ImportStatus::Cancelled;
        index = std::max(*n - 1, 0);
    }
    if (!book->ImportSheet(index, out.data, why)) {
        ui.MessageBox(std::string(kImportFailedMessage) + "\r\r" + why, MsgButtons::Ok,
                      MsgIcon::None, kResultTitle);
        return ImportStatus::Failed;
    }
    out.fileName = name;
    return ImportStatus::Imported;
}

int32_t LoadSheetIntoGrid(const SheetData& sheet, Grid& grid) {
    const std::string& first = sheet.Text(0, 0);
    const int32_t header =
        (!first.empty() && !IsNumeric(first) && IsNumeric(sheet.Text(1, 0))) ? 1 : 0;
    grid = Grid(std::max(sheet.cols, 1), std::max(sheet.rows - header, 500));
    for (const auto& [at, text] : sheet.cells) {
        const int32_t row = at.first + 1 - header;
        if (row == 0 && at.second == 0) continue;  // column 1 gets its own header
        grid.SetCell(at.second + 1, row, text);
    }
    return header;
}

void mnuOpen_Click(Workspace& ws, Platform& ui) {
    ImportedSheet sheet;
    if (ImportSpreadsheet(ui, sheet) != ImportStatus::Imported) return;
    AcceptImportedSheet(ws, ui, sheet);
}

bool AcceptImportedSheet(Workspace& ws, Platform& ui, const ImportedSheet& sheet) {
    Grid grid;
    const int32_t header = LoadSheetIntoGrid(sheet.data, grid);
    const int32_t n = std::max(grid.DataRowCount(), 1);
    for (int32_t r = 1; r <= n; ++r) {
        const std::string& text = grid.CellText(1, r);
        if (IsNumeric(text)) continue;
        const std::pair<int32_t, int32_t> at{r - 1 + header, 0};
        const std::string cell = CellName(at.first, 0);
        std::string detail;
        if (const auto note = sheet.data.notes.find(at); note != sheet.data.notes.end())
            detail = "Cell " + cell + " cannot be used: " + note->second + ".";
        else if (text.empty())
            detail = "Cell " + cell + " is empty.";
        else
            detail = "Cell " + cell + " holds \"" + text.substr(0, 40) +
                     (text.size() > 40 ? "..." : "") + "\", which is not a number.";
        ui.MessageBox(std::string(kBadPreSampleMessage) + "\r\r" + detail, MsgButtons::Ok,
                      MsgIcon::Critical, "VELTA");
        return false;
    }

    // Work on a candidate so that a refused pre-sample leaves everything as it was.
    Workspace next;
    // A pre-sample accepted once and edited since is no longer "ready", but
    // the workspace still holds what was computed from it.
    if (ws.PreSampleReady == "1" || !ws.txtSampleN.text.empty())
        ResetWorkspace(next);
    else
        next = ws;
    next.sprMain = std::move(grid);
    next.StatusBar1[1].enabled = true;
    next.StatusBar1[2].text = sheet.fileName;
    next.StatusBar1[2].enabled = true;
    if (!ComputePreSampleStats(next, ui)) return false;

    Grid& g = next.sprMain;
    g.SetMaxCols(1);
    g.SetColWidth(1, 8);
    g.SetRowHeight(0, 27);
    g.SetCell(1, 0, "Sampling units");
    if (g.MaxRows() >= 1000) g.SetColWidth(0, 8);
    g.Redraw();
    ws = std::move(next);
    return true;
}

void ExportSpreadsheet(Workspace& ws, Platform& ui) {
    std::string name = AskFileName(ui, kSaveTitle, kSaveFilter, true);
    if (name.empty()) return;

    std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : name;
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (tail != ".XLS") name += ".xls";

    // Asked about the name the file will really have.
    std::error_code ec;
    if (fs::exists(name, ec)) {
        const std::string q = "FIle Already exist  \r\r" + name + "\r\r\rConfirm, please (Y/N)";
        if (ui.MessageBox(q, MsgButtons::YesNo, MsgIcon::None, kApplicationTitle) != MsgAnswer::Yes)
            return;
    }

    const Grid& grid = ws.sprMain;
    const std::string& headerText = grid.CellText(1, 0);
    const int32_t first = headerText.empty() ? 1 : 0;
    const int32_t last = grid.DataRowCount(1);
    auto fail = [&](const std::string& why) {
        ui.MessageBox("The pre-sampling values could not be saved in\r" + name + "\r\r" + why,
                      MsgButtons::Ok, MsgIcon::Critical, "VELTA");
    };
    if (last - first + 1 > kXlsMaxRows) {
        fail("An .xls sheet holds at most 65536 rows.");
        return;
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
        return;
    }
    ws.PreSampleSaved = "1";
}

void SaveSU_Click(Workspace& ws, Platform& ui) {
    if (ws.sprMain.CellText(1, 1).empty()) return;
    ExportSpreadsheet(ws, ui);
    if (ws.PreSampleSaved == "0") return;
    // Generate becomes available only when the statistics accept the values.
    ComputePreSampleStats(ws, ui);
}

}  // namespace velta
