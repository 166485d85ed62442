#pragma once
// The two commands that bring a pre-sample in through a spreadsheet file:
// Open (import a sheet, then accept it) and "Pre-sampling results" (save the
// typed values as .xls, then accept them).
#include <string>

#include "data/spreadsheet.h"
#include "model/workspace.h"
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
inline constexpr const char* kFileMissingMessage = "File not exit";
inline constexpr const char* kSheetChoiceTitle = "selection of sheet";
inline constexpr const char* kColumnChoiceTitle = "selection of column";
inline constexpr const char* kSavedSheetName = "sheet1";

enum class ImportStatus { Imported, Cancelled, Failed };

struct ImportedSheet {
    std::string fileName;
    SheetColumn data;
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

// Puts the values of a column into a one-column grid, rows 1 .. N, without
// its header and its missing-value cells (Open gives the column its own
// header). Returns 1 when row 1 was a header, else 0.
int32_t LoadSheetIntoGrid(const SheetColumn& sheet, Grid& grid);
// The first cell of the column is a header text (IsHeaderText): not a
// number, not a missing-value mark, not starting like a number.
bool IsColumnHeader(const SheetColumn& sheet);

// Open: the file is read first; only a sheet read successfully and accepted
// as a pre-sample replaces the workspace (reset first when a pre-sample was
// ready). Anything else leaves the workspace as it was.
void mnuOpen_Click(Workspace& ws, Platform& ui);

// The second half of Open: reads the column read by ImportSpreadsheet as a
// pilot sample (ReadPilotColumn), puts its values into sprMain and accepts
// them as the pre-sample; missing-value cells skipped are said in one
// information message after that. Returns true when it was accepted;
// otherwise the workspace is as it was and the user has been told.
bool AcceptImportedSheet(Workspace& ws, Platform& ui, const ImportedSheet& sheet);

// Saves sprMain column 1 (and its header text) as sheet "sheet1" of an .xls
// file and sets PreSampleSaved on success.
void ExportSpreadsheet(Workspace& ws, Platform& ui);

// "Pre-sampling results": save, then accept the typed values.
void SaveSU_Click(Workspace& ws, Platform& ui);

}  // namespace velta
