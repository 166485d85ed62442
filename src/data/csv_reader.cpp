// Text files of values: comma, semicolon or tab separated, quotes as in
// RFC 4180. The decimal comma of semicolon files is read by the grid's own
// number conversion, which accepts a comma where no point is present.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/spreadsheet.h"

namespace velta {

namespace {

// Larger text files are not pilot samples.
constexpr uintmax_t kMaxCsvBytes = 64u << 20;

// Tab if the first line has one, else semicolon, else comma; quoted text
// does not count.
char DetectSeparator(const std::string& s) {
    bool quoted = false;
    int tabs = 0, semis = 0;
    for (char c : s) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        if (c == '\t') ++tabs;
        if (c == ';') ++semis;
    }
    return tabs ? '\t' : semis ? ';' : ',';
}

// One column of a text of values, and the texts of the first row; reading
// stops at the first value beyond what a pre-sample can hold. Also counts the
// columns that hold something. Neither rows nor fields per row are limited:
// the size of the file is.
SheetColumn ParseCsvColumn(const std::string& s, char sep, int32_t want) {
    SheetColumn data;
    data.column = want;
    int32_t row = 0, col = 0;
    std::string cell;
    bool quoted = false, wasQuoted = false, more = true;
    bool fieldEmpty = true;  // nothing read of this field yet (other columns are not kept)
    // The text of the field is kept for the wanted column and for row 1.
    auto keep = [&] { return (col == want || row == 0) && cell.size() <= kMaxCellText; };
    auto endCell = [&] {
        if (col == want) more = data.Set(row, cell);
        if (row == 0) data.NoteFirstRow(col, 1, cell);
        if ((!fieldEmpty || wasQuoted) && col >= data.sheetCols) data.sheetCols = col + 1;
        cell.clear();
        fieldEmpty = true;
        wasQuoted = false;
        ++col;
    };
    for (size_t i = 0; i < s.size() && more; ++i) {
        const char c = s[i];
        if (quoted) {
            if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
                if (keep()) cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else if (keep()) {
                cell += c;
            }
        } else if (c == '"' && fieldEmpty && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == sep) {
            endCell();
        } else if (c == '\r' || c == '\n') {
            endCell();
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            ++row;
            col = 0;
        } else {
            fieldEmpty = false;
            if (keep()) cell += c;
        }
    }
    if (more && (!fieldEmpty || wasQuoted || col > 0)) endCell();
    return data;
}

class CsvReader : public WorkbookReader {
  public:
    CsvReader(std::string name, std::string text, char sep)
        : name_(std::move(name)), text_(std::move(text)), sep_(sep) {}
    std::vector<std::string> ListSheets() const override { return {name_}; }
    bool ImportSheet(int32_t index, SheetColumn& out, std::string& why) override {
        if (index != 0) {
            why = "The workbook has no sheet number " + std::to_string(index + 1) + ".";
            return false;
        }
        out = ParseCsvColumn(text_, sep_, out.column);
        return true;
    }

  private:
    std::string name_;
    std::string text_;
    char sep_;
};

}  // namespace

std::unique_ptr<WorkbookReader> OpenCsvWorkbook(const std::string& path, std::string& why) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxCsvBytes) {
        why = ec ? std::string("The file cannot be read.")
                 : "The file is larger than " + std::to_string(kMaxCsvBytes >> 20) +
                       " MiB, the most VELTA reads as a list of values.";
        return nullptr;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "The file cannot be read.";
        return nullptr;
    }
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (s.find('\0') != std::string::npos) {
        why = "It is not a text file of values.";
        return nullptr;
    }
    if (s.rfind("\xEF\xBB\xBF", 0) == 0) s.erase(0, 3);
    const char sep = DetectSeparator(s);

    const std::string stem = std::filesystem::path(path).stem().string();
    return std::make_unique<CsvReader>(stem.empty() ? "sheet1" : stem, std::move(s), sep);
}

}  // namespace velta
