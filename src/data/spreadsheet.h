#pragma once
// Reading workbooks for Open: .xls (FreeXL), .xlsx and .ods (our own readers
// on libzip and pugixml) and .csv (our own). Each reader offers the three
// operations the import needs: tell whether the file is a workbook it can
// read, list its sheets, and read one sheet's cells.
#include <cstddef>
#include <cstdint>
#include <climits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velta {

enum class SheetFormat { Unknown, Xls, Xlsx, Ods, Csv };

// The format a file name promises, from its extension (any case).
SheetFormat FormatFromName(const std::string& path);
// The format the first bytes of a file show: OLE2, zip (then .xlsx or .ods by
// its entries), or text. Unknown for unreadable or binary content.
SheetFormat FormatFromContent(const std::string& path);
const char* FormatLabel(SheetFormat f);  // ".xls", ".xlsx", ...

// What Open keeps of a sheet: one column (column A unless asked otherwise),
// rows 0-based, as the texts a grid holds (numbers in FormatExact, texts as
// they are), and only as much of it as a pre-sample can use: other columns
// are never stored, except for the texts of row 1 that the column question
// lists.
struct SheetColumn {
    int32_t rows = 0;                      // 1 + the last row kept that holds a cell or a note
    std::map<int32_t, std::string> cells;  // row -> text
    // Cells whose content cannot be a sampling unit (a formula without a
    // numeric result, an error, a date), with the reason for the user.
    std::map<int32_t, std::string> notes;
    // The column holds more than kMaxKeptValues cells that are not
    // missing-value marks: more values than any pre-sample accepts. Nothing
    // from the first of them on is kept.
    bool tooManyRows = false;
    // The column holds more than kMaxMissingMarks missing-value marks (NA,
    // N/A, #N/A, "."); nothing from the first one beyond is kept.
    bool tooManyMissing = false;
    // The 0-based column to read, set before ImportSheet and kept by it: Open
    // reads the first unless the user chooses another.
    int32_t column = 0;
    // 1 + the last column of the sheet holding a cell, as far as the reader
    // went (it may stop at the value limit); 0 for an empty sheet.
    int32_t sheetCols = 0;
    // Row 1 of the sheet, for the question which column to read: how many of
    // its cells hold something, and the texts of the first kMaxListedColumns
    // of them by 0-based column (a cell that is not a text or a number is
    // shown by NoteLabel).
    int32_t firstRowFilled = 0;
    std::map<int32_t, std::string> firstRow;

    const std::string& Text(int32_t row) const;
    // Both return false once the row is beyond what is kept, so that a
    // reader can stop there. A reader may give rows out of order: a cell
    // below the cut moves the cut up.
    bool Set(int32_t row, std::string text);
    bool Refuse(int32_t row, std::string why);
    // A row-1 cell of `span` columns from `col` (a repeated cell) holding `text`.
    void NoteFirstRow(int32_t col, int64_t span, const std::string& text);

  private:
    void Erase(int32_t row);
    void Keep(int32_t row, bool mark);
    void CutAt(int32_t row);
    int32_t cut_ = INT32_MAX;               // rows from here on are not kept
    std::set<int32_t> valueRows_, markRows_;  // kept rows, by kind
};

// Bounds of the formats themselves, against files that claim absurd sizes.
inline constexpr int32_t kMaxSheetRows = 1048576;
inline constexpr int32_t kMaxSheetCols = 16384;
inline constexpr uint64_t kMaxEntryBytes = 512ull << 20;
// A header and 1000 sampling units: the cells of a column that are not
// missing-value marks kept of a column; one more proves "too many".
inline constexpr int32_t kMaxKeptValues = 1001;
// Missing-value marks kept of a column; one more is refused with a message.
inline constexpr int32_t kMaxMissingMarks = 65536;
// Row-1 texts kept for the column question.
inline constexpr int32_t kMaxListedColumns = 50;
// Longer texts are cut: the messages quote at most 40 characters of a cell,
// and no number is longer than 300 characters.
inline constexpr size_t kMaxCellText = 1000;

// The message of a reader that finds a cell where no sheet can have one.
inline constexpr const char* kBeyondSheetMessage =
    "The sheet holds a cell beyond row 1,048,576 or column XFD (16,384), the last a sheet can "
    "have.";

// Reasons a cell is refused, the same for every format.
inline constexpr const char* kDateCellNote = "it holds a date or a time, not a number";
inline constexpr const char* kErrorCellNote = "it holds an error value";
inline constexpr const char* kFormulaCellNote =
    "it holds a formula whose numeric result is not stored in the file";
// The text an error cell shows when it is #N/A: a missing-value mark.
inline constexpr const char* kNotAvailableText = "#N/A";

// How the column question shows a row-1 cell that has a note instead of a
// text: "(a date)", "(an error)", "(a formula)".
std::string NoteLabel(const std::string& note);

// A number format code ("dd/mm/yyyy", "[h]:mm", "0.00") shows dates or times:
// it holds d, m, y, h or s outside quoted text, escapes and [colour] tags.
bool IsDateFormatCode(const std::string& code);
// The built-in number formats of .xls and .xlsx that show dates or times.
bool IsBuiltinDateFormat(int id);

class WorkbookReader {
  public:
    virtual ~WorkbookReader() = default;
    virtual std::vector<std::string> ListSheets() const = 0;
    // Reads column 1 of sheet `index` (0-based). On failure returns false
    // and says why.
    virtual bool ImportSheet(int32_t index, SheetColumn& out, std::string& why) = 0;
};

// Opens `path` as a workbook of `format`. On failure returns nullptr and
// says why in plain words (password protection, damage, wrong content).
std::unique_ptr<WorkbookReader> OpenWorkbook(const std::string& path, SheetFormat format,
                                             std::string& why);

std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const std::string& path, std::string& why);
std::unique_ptr<WorkbookReader> OpenXlsxWorkbook(const std::string& path, std::string& why);
std::unique_ptr<WorkbookReader> OpenOdsWorkbook(const std::string& path, std::string& why);
std::unique_ptr<WorkbookReader> OpenCsvWorkbook(const std::string& path, std::string& why);

// Cell name in the A1 style from 0-based row and column ("A1", "AB12").
std::string CellName(int32_t row, int32_t col);
// Column name from a 0-based column ("A", "AB").
std::string ColumnName(int32_t col);
// The 0-based column of "A", "b", "AB" (at most XFD) or "3" (1 .. 16384); -1
// when the text names no column.
int32_t ColumnFromName(const std::string& text);

// The cells of one column of one sheet of an .xls file (0-based sheet
// index) that FreeXL misreads, found by our own walk of the file: FORMULA
// records (read as empty) and BOOLERR records (booleans and error values,
// read as the numbers 0 and 1). Each is a text (the cached number in
// FormatExact, a cached text, TRUE or FALSE, #N/A) or "" with a note. Empty
// when the file cannot be walked.
struct XlsFormulaCell {
    int32_t row = 0;
    std::string text;  // the cached value, or "" when there is none
    std::string note;  // why the cell cannot be used, when text is ""
    int32_t col = 0;
};
std::vector<XlsFormulaCell> XlsFormulaColumn(const std::vector<uint8_t>& file, int32_t sheetIndex,
                                             int32_t column = 0);
// The same for the cells of `column` and of row 1 (0-based row 0), in the
// order of the file.
std::vector<XlsFormulaCell> XlsFormulaCells(const std::vector<uint8_t>& file, int32_t sheetIndex,
                                            int32_t column);

}  // namespace velta
