#include "data/spreadsheet.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "data/pilot_column.h"

namespace velta {

const std::string& SheetColumn::Text(int32_t row) const {
    static const std::string kEmpty;
    const auto it = cells.find(row);
    return it == cells.end() ? kEmpty : it->second;
}

void SheetColumn::Erase(int32_t row) {
    cells.erase(row);
    notes.erase(row);
    valueRows_.erase(row);
    markRows_.erase(row);
}

// Keeps the cell just stored at `row`; when that makes one value or one mark
// too many, the column is cut at the last of them.
void SheetColumn::Keep(int32_t row, bool mark) {
    (mark ? markRows_ : valueRows_).insert(row);
    rows = std::max(rows, row + 1);
    if (static_cast<int64_t>(valueRows_.size()) > kMaxKeptValues) {
        CutAt(*valueRows_.rbegin());
        tooManyRows = true;
        tooManyMissing = false;
    } else if (static_cast<int64_t>(markRows_.size()) > kMaxMissingMarks) {
        CutAt(*markRows_.rbegin());
        tooManyMissing = true;
        tooManyRows = false;
    }
}

void SheetColumn::CutAt(int32_t row) {
    cut_ = row;
    cells.erase(cells.lower_bound(row), cells.end());
    notes.erase(notes.lower_bound(row), notes.end());
    valueRows_.erase(valueRows_.lower_bound(row), valueRows_.end());
    markRows_.erase(markRows_.lower_bound(row), markRows_.end());
    rows = 0;
    if (!cells.empty()) rows = cells.rbegin()->first + 1;
    if (!notes.empty()) rows = std::max(rows, notes.rbegin()->first + 1);
}

bool SheetColumn::Set(int32_t row, std::string text) {
    if (row < 0) return true;
    if (row >= cut_) return false;
    if (text.empty()) return true;
    if (text.size() > kMaxCellText) text.resize(kMaxCellText);
    Erase(row);
    const bool mark = IsMissingValueMark(text);
    cells[row] = std::move(text);
    Keep(row, mark);
    return row < cut_;
}

bool SheetColumn::Refuse(int32_t row, std::string why) {
    if (row < 0) return true;
    if (row >= cut_) return false;
    Erase(row);
    notes[row] = std::move(why);
    Keep(row, false);
    return row < cut_;
}

void SheetColumn::NoteFirstRow(int32_t col, int64_t span, const std::string& text) {
    if (text.empty() || col < 0 || span < 1) return;
    firstRowFilled = static_cast<int32_t>(
        std::min<int64_t>(int64_t{firstRowFilled} + span, std::numeric_limits<int32_t>::max()));
    for (int64_t c = col; c < col + span && firstRow.size() < static_cast<size_t>(kMaxListedColumns); ++c)
        firstRow[static_cast<int32_t>(c)] = text.substr(0, kMaxCellText);
}

std::string NoteLabel(const std::string& note) {
    if (note == kDateCellNote) return "(a date)";
    if (note == kErrorCellNote) return "(an error)";
    if (note == kFormulaCellNote) return "(a formula)";
    return "(" + note + ")";
}

bool IsBuiltinDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

bool IsDateFormatCode(const std::string& code) {
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') {
            const size_t close = code.find('"', i + 1);
            if (close == std::string::npos) return false;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;  // the next character is shown as it is (or is padding)
        } else if (c == '[') {
            const size_t close = code.find(']', i + 1);
            if (close == std::string::npos) return false;
            // [h], [mm], [ss]: elapsed time; [Red], [$-409], [>100]: not dates.
            const std::string tag = code.substr(i + 1, close - i - 1);
            if (!tag.empty() && tag.find_first_not_of("hHmMsS") == std::string::npos) return true;
            i = close;
        } else if (std::strchr("dDmMyYhHsS", c) && c != '\0') {
            return true;
        }
    }
    return false;
}

std::string ColumnName(int32_t col) {
    std::string letters;
    for (int64_t c = int64_t{col} + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}

std::string CellName(int32_t row, int32_t col) {
    return ColumnName(col) + std::to_string(int64_t{row} + 1);
}

int32_t ColumnFromName(const std::string& text) {
    if (text.empty()) return -1;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (text.size() > 5) return -1;
        const int32_t n = std::stoi(text);
        return n >= 1 && n <= kMaxSheetCols ? n - 1 : -1;
    }
    if (text.size() > 3) return -1;
    int32_t n = 0;
    for (char c : text) {
        const int u = std::toupper(static_cast<unsigned char>(c));
        if (u < 'A' || u > 'Z') return -1;
        n = n * 26 + (u - 'A' + 1);
    }
    return n <= kMaxSheetCols ? n - 1 : -1;
}

SheetFormat FormatFromName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return SheetFormat::Unknown;
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".xls") return SheetFormat::Xls;
    if (ext == ".xlsx" || ext == ".xlsm") return SheetFormat::Xlsx;
    if (ext == ".ods") return SheetFormat::Ods;
    if (ext == ".csv") return SheetFormat::Csv;
    return SheetFormat::Unknown;
}

SheetFormat FormatFromContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return SheetFormat::Unknown;
    char head[512] = {};
    in.read(head, sizeof head);
    const std::streamsize n = in.gcount();
    const unsigned char ole[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (n >= 8 && std::memcmp(head, ole, 8) == 0) return SheetFormat::Xls;
    if (n >= 4 && std::memcmp(head, "PK\x03\x04", 4) == 0) {
        int err = 0;
        zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
        if (!z) return SheetFormat::Unknown;
        SheetFormat f = SheetFormat::Unknown;
        if (zip_name_locate(z, "xl/workbook.xml", 0) >= 0)
            f = SheetFormat::Xlsx;
        else if (zip_name_locate(z, "content.xml", 0) >= 0)
            f = SheetFormat::Ods;
        zip_discard(z);
        return f;
    }
    if (n == 0) return SheetFormat::Unknown;
    // Text: no control characters but tab, line ends and form feed in the first block.
    for (std::streamsize i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(head[i]);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F)
            return SheetFormat::Unknown;
    }
    return SheetFormat::Csv;
}

const char* FormatLabel(SheetFormat f) {
    switch (f) {
        case SheetFormat::Xls:
            return ".xls";
        case SheetFormat::Xlsx:
            return ".xlsx";
        case SheetFormat::Ods:
            return ".ods";
        case SheetFormat::Csv:
            return ".csv";
        case SheetFormat::Unknown:
            break;
    }
    return "";
}

std::unique_ptr<WorkbookReader> OpenWorkbook(const std::string& path, SheetFormat format,
                                             std::string& why) {
    switch (format) {
        case SheetFormat::Xls:
            return OpenXlsWorkbook(path, why);
        case SheetFormat::Xlsx:
            return OpenXlsxWorkbook(path, why);
        case SheetFormat::Ods:
            return OpenOdsWorkbook(path, why);
        case SheetFormat::Csv:
            return OpenCsvWorkbook(path, why);
        case SheetFormat::Unknown:
            break;
    }
    why = "VELTA reads .xls, .xlsx, .ods and .csv files.";
    return nullptr;
}

}  // namespace velta
