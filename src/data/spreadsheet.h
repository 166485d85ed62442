#pragma once
// Reading workbooks for Open: .xls (FreeXL), .xlsx and .ods (our own readers
// on libzip and pugixml) and .csv (our own). Each reader offers the three
// operations the import needs: tell whether the file is a workbook it can
// read, list its sheets, and read one sheet's cells.
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

// One sheet's cells, 0-based, as the texts a grid holds: numbers in the
// general number format, texts as they are. Only cells with content appear.
struct SheetData {
    int32_t rows = 0;                                          // 1 + the last row holding a cell
    int32_t cols = 0;                                          // 1 + the last column holding a cell
    std::map<std::pair<int32_t, int32_t>, std::string> cells;  // (row, col) -> text
    // Cells that hold no value because of how the file stores them (a formula
    // without a stored result), with the reason for the user.
    std::map<std::pair<int32_t, int32_t>, std::string> notes;

    const std::string& Text(int32_t row, int32_t col) const;
    void Set(int32_t row, int32_t col, std::string text);
};

// Bounds of what Open reads, against files that claim absurd sizes.
inline constexpr int32_t kMaxSheetRows = 1048576;
inline constexpr int32_t kMaxSheetCols = 16384;
inline constexpr uint64_t kMaxEntryBytes = 512ull << 20;

class WorkbookReader {
  public:
    virtual ~WorkbookReader() = default;
    virtual std::vector<std::string> ListSheets() const = 0;
    // Reads sheet `index` (0-based). On failure returns false and says why.
    virtual bool ImportSheet(int32_t index, SheetData& out, std::string& why) = 0;
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

// Cells of the FORMULA records of one sheet of an .xls file (0-based sheet
// index), found by our own walk of the file; FreeXL reads these cells as
// empty. Empty when the file cannot be walked.
std::vector<std::pair<int32_t, int32_t>> XlsFormulaCells(const std::string& path,
                                                         int32_t sheetIndex);

}  // namespace velta
