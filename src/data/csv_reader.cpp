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

class CsvReader : public WorkbookReader {
  public:
    CsvReader(std::string name, SheetColumn data)
        : name_(std::move(name)), data_(std::move(data)) {}
    std::vector<std::string> ListSheets() const override { return {name_}; }
    bool ImportSheet(int32_t index, SheetColumn& out, std::string& why) override {
        if (index != 0) {
            why = "The workbook has no sheet number " + std::to_string(index + 1) + ".";
            return false;
        }
        out = data_;
        return true;
    }

  private:
    std::string name_;
    SheetColumn data_;
};

}  // namespace

std::unique_ptr<WorkbookReader> OpenCsvWorkbook(const std::string& path, std::string& why) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxCsvBytes) {
        why = ec ? "The file cannot be read." : "The file is too large for a list of values.";
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

    // Column 1 only; reading stops at the first row beyond what a pre-sample
    // can hold.
    SheetColumn data;
    int32_t row = 0, col = 0;
    std::string cell;
    bool quoted = false, wasQuoted = false, more = true;
    bool fieldEmpty = true;  // nothing read of this field yet (other columns are not kept)
    auto endCell = [&] {
        if (col == 0) more = data.Set(row, cell);
        cell.clear();
        fieldEmpty = true;
        wasQuoted = false;
        if (col < kMaxSheetCols) ++col;
    };
    for (size_t i = 0; i < s.size() && more && row < kMaxSheetRows; ++i) {
        const char c = s[i];
        if (quoted) {
            if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
                if (col == 0) cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else if (col == 0 && cell.size() <= kMaxCellText) {
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
            if (col == 0 && cell.size() <= kMaxCellText) cell += c;
        }
    }
    if (more && (!cell.empty() || wasQuoted || col > 0)) endCell();

    const std::string stem = std::filesystem::path(path).stem().string();
    return std::make_unique<CsvReader>(stem.empty() ? "sheet1" : stem, std::move(data));
}

}  // namespace velta
