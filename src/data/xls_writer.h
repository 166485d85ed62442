#pragma once
// Our own writer of .xls workbooks: one BIFF8 worksheet inside an OLE2
// compound file. No Debian library writes this format, so the record set is
// kept to what Excel, LibreOffice, gnumeric, xlrd and FreeXL all accept.
#include <cstdint>
#include <string>
#include <vector>

namespace velta {

struct XlsCell {
    uint16_t row = 0;  // 0-based sheet row
    uint16_t col = 0;  // 0-based sheet column
    bool isNumber = false;
    double number = 0.0;  // finite; written as a NUMBER record
    std::string text;     // UTF-8; written as a LABEL record when !isNumber
};

// A BIFF8 sheet has rows 0 .. 65535 and columns 0 .. 255.
inline constexpr int32_t kXlsMaxRows = 65536;
inline constexpr int32_t kXlsMaxCols = 256;
// Longest text a BIFF8 cell holds, in UTF-16 units; longer texts are cut.
inline constexpr size_t kXlsMaxTextUnits = 255;

// The whole file, ready to be written. Cells in any order; the writer sorts
// them by row and column. Throws std::invalid_argument for a non-finite
// number, and for a sheet name that is empty or longer than 31 characters.
std::vector<uint8_t> BuildXlsWorkbook(const std::string& sheetName, std::vector<XlsCell> cells);

// Writes the workbook to `path` by the program's rules for files
// (base/file_output.h): a failed write leaves no partial file and an
// existing file intact. Returns "" on success, otherwise the reason in plain
// words.
std::string WriteXlsWorkbook(const std::string& path, const std::string& sheetName,
                             const std::vector<XlsCell>& cells);

// UTF-8 to UTF-16 code units; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& s);

}  // namespace velta
