#pragma once
// Reading workbooks for Open: .xls (FreeXL), .xlsx and .ods (our own readers
// on libzip and pugixml) and .csv (our own). Each reader offers the three
// operations the import needs: tell whether the file is a workbook it can
// read, list its sheets, and read one sheet's cells.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
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

// What Open keeps of a sheet: column 1 (column A) only, rows 0-based, as
// the texts a grid holds (numbers in FormatExact, texts as they are), and
// only as many rows as a pre-sample can use: other columns are never stored.
struct SheetColumn {
    int32_t rows = 0;                      // 1 + the last row holding a cell or a note
    std::map<int32_t, std::string> cells;  // row -> text
    // Cells whose content cannot be a sampling unit (a formula without a
    // numeric result, an error, a date), with the reason for the user.
    std::map<int32_t, std::string> notes;
    // Column 1 holds something at or below row kMaxColumnRows: more values
    // than any pre-sample accepts. Nothing beyond is kept.
    bool tooManyRows = false;

    const std::string& Text(int32_t row) const;
    // Both return false once the row is beyond what is kept, so that a
    // reader can stop there.
    bool Set(int32_t row, std::string text);
    bool Refuse(int32_t row, std::string why);
};

// Bounds of the formats themselves, against files that claim absurd sizes.
inline constexpr int32_t kMaxSheetRows = 1048576;
inline constexpr int32_t kMaxSheetCols = 16384;
inline constexpr uint64_t kMaxEntryBytes = 512ull << 20;
// A header row and 1000 sampling units; one more row proves "too many".
inline constexpr int32_t kMaxColumnRows = 1001;
// Longer texts are cut: the messages quote at most 40 characters of a cell.
inline constexpr size_t kMaxCellText = 1000;

// Reasons a cell is refused, the same for every format.
inline constexpr const char* kDateCellNote = "it holds a date or a time, not a number";
inline constexpr const char* kErrorCellNote = "it holds an error value";
inline constexpr const char* kFormulaCellNote =
    "it holds a formula whose numeric result is not stored in the file";

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

// Column 1 as the FORMULA records of one sheet of an .xls file (0-based
// sheet index) hold it, found by our own walk of the file: FreeXL reads
// these cells as empty. Each is the cached number in FormatExact, or "" with
// a note. Empty when the file cannot be walked.
struct XlsFormulaCell {
    int32_t row = 0;
    std::string text;  // the cached number, or "" when there is none
    std::string note;  // why the cell cannot be used, when text is ""
};
std::vector<XlsFormulaCell> XlsFormulaColumn(const std::vector<uint8_t>& file, int32_t sheetIndex);

}  // namespace velta
