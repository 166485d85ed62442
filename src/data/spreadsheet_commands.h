#pragma once
// The two commands that bring a pre-sample in through a spreadsheet file:
// Open (import a sheet, then accept it) and "Pre-sampling results" (save the
// typed values as .xls, then accept them).
#include <string>

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
inline constexpr const char* kNotSpreadsheetTitle = "Invalid File Type or Locked";
inline constexpr const char* kNoSheetInfoMessage = "Cannot return information for Excel file.";
inline constexpr const char* kImportFailedMessage = "Import did not succeed.";
inline constexpr const char* kResultTitle = "Result";
inline constexpr const char* kSheetChoiceTitle = "selection of sheet";
inline constexpr const char* kSavedSheetName = "sheet1";

// Open's message for a name that leads to no file.
std::string FileMissingMessage(const std::string& fileName);

enum class ImportStatus { Imported, Cancelled, Failed };

struct ImportedSheet {
    std::string fileName;
    SheetColumn data;
    // The sheet's name in a workbook of sheets; "" for a .csv file.
    std::string sheetName;
};

// Asks for a file and, for a workbook of several sheets, for a sheet, and
// reads that sheet. Every failure has been told to the user once when it
// returns Failed; Cancelled means the user backed out and nothing was said.
// `column` (0-based) is the column read: Open reads the first, the command
// line may ask for another; out.data.sheetCols tells how many there are.
ImportStatus ImportSpreadsheet(Platform& ui, ImportedSheet& out, int32_t column = 0);

// The sheet-choice prompt for these sheet names.
std::string SheetChoicePrompt(const std::vector<std::string>& names);

// Puts column 1 of a sheet into a one-column grid: sheet row 1 into grid row
// 1, unless IsColumnHeader, when row 1 is left out (Open gives the column
// its own header). Returns the number of sheet rows left out (0 or 1).
int32_t LoadSheetIntoGrid(const SheetColumn& sheet, Grid& grid);
// The first cell of the column is a text without any digit: a header.
bool IsColumnHeader(const SheetColumn& sheet);

// Puts the sheet into a fresh grid and checks every cell of its column;
// false after telling the user what is wrong.
bool CheckedSheetGrid(const ImportedSheet& sheet, Platform& ui, Grid& grid);
// The grid as Open leaves it: one column headed "Sampling units".
void FormatOpenedGrid(Grid& g);
// Asks for a file name and saves column 1 of the grid (and its header text)
// as sheet "sheet1" of an .xls file; true when written.
bool SaveGridAsXls(const Grid& grid, Platform& ui);

}  // namespace velta
