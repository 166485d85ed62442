#pragma once
// The two commands that bring a pre-sample in through a spreadsheet file:
// Open (import a sheet, then accept it) and "Pre-sampling results" (save the
// typed values as .xls, then accept them).
#include <string>

#include "data/pilot_column.h"
#include "data/spreadsheet.h"
#include "view/grid.h"
#include "platform/platform.h"

namespace velta {

inline constexpr const char* kOpenTitle = "VELTA - Open an EXCEL FILE";
inline constexpr const char* kOpenFilter =
    "Spreadsheets (*.xls;*.xlsx;*.ods;*.csv)|*.xls;*.xlsx;*.ods;*.csv|Excel (*.xls)|*.xls|"
    "Excel 2007 and later (*.xlsx)|*.xlsx|OpenDocument (*.ods)|*.ods|Text CSV (*.csv)|*.csv";
inline constexpr const char* kSaveTitle = "VELTA - Save an EXCEL FILE";
inline constexpr const char* kSaveFilter = "Excel file (*.xls)|*.xls";
inline constexpr const char* kDialogStartName = "*.xls";
inline constexpr const char* kNotSpreadsheetMessage =
    "File is not an Excel file or is locked and cannot be imported.";
inline constexpr const char* kNoSheetInfoMessage = "Cannot return information for Excel file.";
inline constexpr const char* kImportFailedMessage = "Import did not succeed.";
inline constexpr const char* kSheetChoiceTitle = "selection of sheet";
inline constexpr const char* kColumnChoiceTitle = "selection of column";
inline constexpr const char* kSavedSheetName = "sheet1";
// The title of the grid's column when the file gave no header.
inline constexpr const char* kUnitsColumnTitle = "Sampling units";

// Open's message for a name that leads to no file.
std::string FileMissingMessage(const std::string& fileName);

enum class ImportStatus { Imported, Cancelled, Failed };

struct ImportedSheet {
    std::string fileName;
    SheetColumn data;
    // The sheet's name in a workbook of sheets; "" for a .csv file.
    std::string sheetName;
};

// Asks for a file; for a workbook of several sheets, for a sheet; and when
// row 1 of the sheet has more than one filled cell, for a column (an input
// box that lists them, answered with a letter, a number or a header). Then
// reads that column of that sheet. Every failure has been told to the user
// once when it returns Failed; Cancelled means the user backed out and
// nothing was said. `column` (0-based) is the column read when nothing is
// asked, and the question's default answer: Open passes the first, the
// command line the one it was given; out.data.sheetCols tells how many there are.
ImportStatus ImportSpreadsheet(Platform& ui, ImportedSheet& out, int32_t column = 0);

// The sheet-choice prompt for these sheet names.
std::string SheetChoicePrompt(const std::vector<std::string>& names);
// The column-choice prompt for the row-1 cells of a sheet.
std::string ColumnChoicePrompt(const SheetColumn& sheet);

// The values of a pilot column read from a sheet, in a one-column grid.
Grid PilotGrid(const PilotColumn& pilot);
// The grid as Open leaves it: one column headed by the column's header, or
// "Sampling units" when it has none.
void FormatOpenedGrid(Grid& g, const std::string& header);
// Asks for a file name and saves column 1 of the grid (and its header text)
// as sheet "sheet1" of an .xls file; the name written, "" when none was.
std::string SaveGridAsXls(const Grid& grid, Platform& ui);

}  // namespace velta
