#include "data/spreadsheet_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/numbers.h"
#include "analysis/pilot.h"
#include "data/pilot_column.h"
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
                  MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
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

// A column typed into the input box: a letter, a number from 1, or a header
// the question listed; nullopt for anything else (like an empty answer).
std::optional<int32_t> ColumnAnswer(const std::string& answer,
                                    const std::map<int32_t, std::string>& listed) {
    const std::string t(TrimBlanks(answer));
    if (const int32_t col = ColumnFromName(t); col >= 0) return col;
    for (const auto& [col, text] : listed)
        if (!t.empty() && TrimBlanks(text) == t) return col;
    return std::nullopt;
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

std::string ColumnChoicePrompt(const SheetColumn& sheet) {
    std::string p = "Found " + std::to_string(sheet.firstRowFilled) + " filled columns in row 1\r\r";
    for (const auto& [col, text] : sheet.firstRow) {
        // One line each: line breaks of a header become spaces, long ones are
        // cut (between two UTF-8 characters).
        std::string shown = text;
        if (shown.size() > 60) {
            size_t cut = 57;
            while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
            shown = shown.substr(0, cut) + "...";
        }
        std::replace_if(shown.begin(), shown.end(), [](char c) { return c == '\r' || c == '\n'; },
                        ' ');
        p += ColumnName(col) + ")  " + shown + "\r";
    }
    if (sheet.firstRowFilled > static_cast<int32_t>(sheet.firstRow.size()))
        p += "... and " +
             std::to_string(sheet.firstRowFilled - static_cast<int32_t>(sheet.firstRow.size())) +
             " more\r";
    p += "\r\rplease, select the letter of the column";
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
        ShowCritical(ui, kNoSheetInfoMessage);
        return ImportStatus::Failed;
    }
    // The file changed under us since the first run: it is the import that fails.
    auto readAgain = [&](int32_t sheet, int32_t col) {
        read = ReadSheetColumn(name, sheet, {}, col);
        if (read.status == Status::NotWorkbook || read.status == Status::NoSheets)
            read.status = Status::SheetFailed;
    };
    int32_t sheetIndex = 0;
    if (read.status != Status::ReaderStopped && read.names.size() >= 2) {
        ui.SetBusy(false);
        const std::string answer =
            ui.InputBox(SheetChoicePrompt(read.names), kSheetChoiceTitle, "1");
        ui.SetBusy(true);
        const auto n = SheetAnswer(answer);
        if (!n) return ImportStatus::Cancelled;
        sheetIndex = std::max(*n - 1, 0);
        if (sheetIndex != 0) readAgain(sheetIndex, column);
    }
    // Which column, asked as the sheet is when row 1 names several.
    if (read.status == Status::Read && read.column.firstRowFilled > 1) {
        ui.SetBusy(false);
        const std::string answer =
            ui.InputBox(ColumnChoicePrompt(read.column), kColumnChoiceTitle, ColumnName(column));
        ui.SetBusy(true);
        const auto chosen = ColumnAnswer(answer, read.column.firstRow);
        if (!chosen) return ImportStatus::Cancelled;
        if (*chosen != column) readAgain(sheetIndex, *chosen);
    }
    if (read.status != Status::Read) {
        ShowCritical(ui, std::string(kImportFailedMessage) + "\r\r" + read.why);
        return ImportStatus::Failed;
    }
    out.fileName = name;
    out.data = std::move(read.column);
    if (FormatFromName(name) != SheetFormat::Csv &&
        static_cast<size_t>(sheetIndex) < read.names.size())
        out.sheetName = read.names[static_cast<size_t>(sheetIndex)];
    return ImportStatus::Imported;
}

// The values of an accepted column, rows 1 .. N of a one-column grid.
Grid PilotGrid(const PilotColumn& pilot) {
    Grid grid(1, std::max(static_cast<int32_t>(pilot.texts.size()), 500));
    for (size_t i = 0; i < pilot.texts.size(); ++i)
        grid.SetCell(1, static_cast<int32_t>(i) + 1, pilot.texts[i]);
    return grid;
}

void FormatOpenedGrid(Grid& g, const std::string& header) {
    g.SetMaxCols(1);
    g.SetColWidth(1, 8);
    g.SetRowHeight(0, 27);
    g.SetCell(1, 0, header.empty() ? std::string(kUnitsColumnTitle) : header);
    if (g.MaxRows() >= 1000) g.SetColWidth(0, 8);
    g.Redraw();
}

std::string SaveGridAsXls(const Grid& grid, Platform& ui) {
    std::string name = AskFileName(ui, kSaveTitle, kSaveFilter, true);
    if (name.empty()) return {};

    std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : name;
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (tail != ".XLS") name += ".xls";

    // Asked about the name the file will really have.
    std::error_code ec;
    if (fs::exists(name, ec)) {
        const std::string q = "The file already exists. Replace it?\r\r" + name;
        if (ui.MessageBox(q, MsgButtons::YesNo, MsgIcon::Question, kVeltaTitle) != MsgAnswer::Yes)
            return {};
    }

    const std::string& headerText = grid.CellText(1, 0);
    const int32_t first = headerText.empty() ? 1 : 0;
    const int32_t last = grid.DataRowCount(1);
    auto fail = [&](const std::string& why) {
        ui.MessageBox("The pre-sampling values could not be saved in\r" + name + "\r\r" + why,
                      MsgButtons::Ok, MsgIcon::Critical, kVeltaTitle);
    };
    if (last - first + 1 > kXlsMaxRows) {
        fail("An .xls sheet holds at most 65536 rows.");
        return {};
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
        return {};
    }
    return name;
}

}  // namespace velta
