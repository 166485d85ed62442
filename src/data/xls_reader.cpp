// .xls through FreeXL, plus a small walk of the compound file of our own to
// find formula cells, which FreeXL reads as empty.
#include <freexl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "base/numbers.h"
#include "data/spreadsheet.h"

namespace velta {

namespace {

class XlsReader : public WorkbookReader {
  public:
    XlsReader(const void* handle, std::string path, std::vector<std::string> names)
        : handle_(handle), path_(std::move(path)), names_(std::move(names)) {}
    ~XlsReader() override { freexl_close(handle_); }
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;

    std::vector<std::string> ListSheets() const override { return names_; }

    bool ImportSheet(int32_t index, SheetColumn& out, std::string& why) override {
        if (index < 0 || index >= static_cast<int32_t>(names_.size()) ||
            freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) !=
                FREEXL_OK) {
            why = "The workbook has no sheet number " + std::to_string(index + 1) + ".";
            return false;
        }
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_worksheet_dimensions(handle_, &rows, &cols) != FREEXL_OK) {
            why = "The size of the sheet cannot be read.";
            return false;
        }
        if (rows > static_cast<unsigned int>(kMaxSheetRows)) {
            why = kBeyondSheetMessage;
            return false;
        }
        const int32_t want = out.column;
        out = SheetColumn{};
        out.column = want;
        out.sheetCols = cols;
        // Formula, boolean and error cells, which FreeXL misreads: ours win.
        std::ifstream in(path_, std::ios::binary);
        const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        const std::vector<XlsFormulaCell> walked = XlsFormulaCells(file, index, want);
        std::map<int32_t, const XlsFormulaCell*> ours;
        for (const XlsFormulaCell& f : walked)
            if (f.col == want) ours[f.row] = &f;
        // Dimensions are counts of rows and columns; only the wanted column is
        // read, in row order, and row 1 for the column question.
        const unsigned int last =
            std::max<unsigned int>(rows, ours.empty() ? 0u : ours.rbegin()->first + 1u);
        for (unsigned int r = 0; want >= 0 && r < last; ++r) {
            const auto row = static_cast<int32_t>(r);
            std::string text, note;
            if (const auto f = ours.find(row); f != ours.end()) {
                text = f->second->text;
                note = f->second->note;
            } else if (r >= rows || want >= cols ||
                       !CellContent(r, static_cast<unsigned short>(want), text, note)) {
                continue;
            }
            if (!(note.empty() ? out.Set(row, text) : out.Refuse(row, note))) break;
        }
        std::map<int32_t, std::string> firstRow;
        for (unsigned short c = 0; rows > 0 && c < cols; ++c) {
            std::string text, note;
            if (CellContent(0, c, text, note)) firstRow[c] = note.empty() ? text : NoteLabel(note);
        }
        for (const XlsFormulaCell& f : walked)
            if (f.row == 0) firstRow[f.col] = f.note.empty() ? f.text : NoteLabel(f.note);
        for (const auto& [c, text] : firstRow) out.NoteFirstRow(c, 1, text);
        return true;
    }

  private:
    // What FreeXL reads in a cell: a text (numbers in FormatExact) or a note;
    // false for an empty cell.
    bool CellContent(unsigned int row, unsigned short col, std::string& text,
                     std::string& note) const {
        FreeXL_CellValue v;
        if (freexl_get_cell_value(handle_, row, col, &v) != FREEXL_OK) return false;
        switch (v.type) {
            case FREEXL_CELL_INT:
                text = FormatExact(static_cast<double>(v.value.int_value));
                break;
            case FREEXL_CELL_DOUBLE:
                text = FormatExact(v.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                if (v.value.text_value) text = v.value.text_value;
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                note = kDateCellNote;
                break;
            default:
                break;
        }
        return !text.empty() || !note.empty();
    }

    const void* handle_;
    std::string path_;
    std::vector<std::string> names_;
};

// --- Compound file walk -----------------------------------------------------

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    if (at + 4 > b.size()) return 0xFFFFFFFF;
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Get16(const std::vector<uint8_t>& b, size_t at) {
    if (at + 2 > b.size()) return 0xFFFF;
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Follows a sector chain through a table; stops at the end, a loop or a bad entry.
std::vector<uint32_t> Chain(const std::vector<uint32_t>& table, uint32_t start) {
    std::vector<uint32_t> out;
    std::vector<bool> seen(table.size(), false);
    for (uint32_t s = start; s < table.size() && !seen[s]; s = table[s]) {
        seen[s] = true;
        out.push_back(s);
    }
    return out;
}

// The "Workbook" (BIFF8) or "Book" (BIFF5) stream of a compound file.
std::vector<uint8_t> WorkbookStream(const std::vector<uint8_t>& f) {
    const unsigned char sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (f.size() < 512 || std::memcmp(f.data(), sig, 8) != 0) return {};
    const uint16_t shift = Get16(f, 30);
    if (shift != 9 && shift != 12) return {};
    const size_t ss = size_t{1} << shift;
    const uint16_t miniShift = Get16(f, 32);
    if (miniShift != 6) return {};
    const size_t sectors = f.size() > ss ? (f.size() - ss + ss - 1) / ss : 0;
    auto sectorAt = [&](uint32_t s) -> size_t { return ss + static_cast<size_t>(s) * ss; };

    // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
    std::vector<uint32_t> fatSectors;
    for (size_t i = 0; i < 109; ++i) {
        const uint32_t s = Get32(f, 76 + 4 * i);
        if (s < sectors) fatSectors.push_back(s);
    }
    uint32_t difat = Get32(f, 68);
    for (size_t guard = 0; difat < sectors && guard < sectors; ++guard) {
        const size_t at = sectorAt(difat);
        for (size_t i = 0; i + 1 < ss / 4; ++i) {
            const uint32_t s = Get32(f, at + 4 * i);
            if (s < sectors) fatSectors.push_back(s);
        }
        difat = Get32(f, at + ss - 4);
    }
    std::vector<uint32_t> fat;
    for (uint32_t s : fatSectors)
        for (size_t i = 0; i < ss / 4; ++i) fat.push_back(Get32(f, sectorAt(s) + 4 * i));

    auto readChain = [&](uint32_t start, size_t limit) {
        std::vector<uint8_t> out;
        for (uint32_t s : Chain(fat, start)) {
            if (s >= sectors || out.size() >= limit) break;
            const size_t at = sectorAt(s);
            const size_t n = std::min(ss, f.size() - at);
            out.insert(out.end(), f.begin() + static_cast<std::ptrdiff_t>(at),
                       f.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        if (out.size() > limit) out.resize(limit);
        return out;
    };

    const std::vector<uint8_t> dir = readChain(Get32(f, 48), f.size());
    auto entryName = [&](size_t at) {
        std::string name;
        const uint16_t len = Get16(dir, at + 64);
        for (size_t i = 0; i + 2 < len && i < 64; i += 2)
            name.push_back(static_cast<char>(dir[at + i]));
        return name;
    };
    if (dir.size() < 128) return {};
    const uint32_t cutoff = Get32(f, 56);
    for (size_t at = 0; at + 128 <= dir.size(); at += 128) {
        const std::string name = entryName(at);
        if (dir[at + 66] != 2 || (name != "Workbook" && name != "Book")) continue;
        const uint32_t start = Get32(dir, at + 116);
        const size_t size = Get32(dir, at + 120);
        if (size >= cutoff) return readChain(start, size);
        // A small stream lives in the mini stream, held by the root entry.
        const std::vector<uint8_t> mini = readChain(Get32(dir, 116), f.size());
        std::vector<uint32_t> minifat;
        const std::vector<uint8_t> mf = readChain(Get32(f, 60), f.size());
        for (size_t i = 0; i + 4 <= mf.size(); i += 4) minifat.push_back(Get32(mf, i));
        std::vector<uint8_t> out;
        for (uint32_t s : Chain(minifat, start)) {
            const size_t off = static_cast<size_t>(s) * 64;
            if (off + 64 > mini.size() || out.size() >= size) break;
            out.insert(out.end(), mini.begin() + static_cast<std::ptrdiff_t>(off),
                       mini.begin() + static_cast<std::ptrdiff_t>(off + 64));
        }
        if (out.size() > size) out.resize(size);
        return out;
    }
    return {};
}

}  // namespace

namespace {

// A BIFF string of `chars` characters at `at`: a flags byte (bit 0: two bytes
// per character) then the characters, for BIFF8; plain bytes for BIFF5.
std::string BiffChars(const std::vector<uint8_t>& s, size_t at, size_t end, size_t chars,
                      bool biff8) {
    std::string out;
    bool wide = false;
    if (biff8) {
        if (at >= end) return out;
        wide = s[at++] & 1;
    }
    for (size_t i = 0; i < chars && at + (wide ? 2 : 1) <= end; ++i) {
        uint32_t c = s[at++];
        if (wide) c |= static_cast<uint32_t>(s[at++]) << 8;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        if (out.size() >= kMaxCellText) break;
    }
    return out;
}

// An error value: #N/A (code 0x2A) is the mark of a missing value, the
// others cannot be used.
void ErrorValue(uint8_t code, XlsFormulaCell& f) {
    if (code == 0x2A)
        f.text = kNotAvailableText;
    else
        f.note = kErrorCellNote;
}

}  // namespace

std::vector<XlsFormulaCell> XlsFormulaColumn(const std::vector<uint8_t>& file, int32_t sheetIndex,
                                             int32_t column) {
    std::vector<XlsFormulaCell> cells = XlsFormulaCells(file, sheetIndex, column);
    std::erase_if(cells, [&](const XlsFormulaCell& c) { return c.col != column; });
    return cells;
}

std::vector<XlsFormulaCell> XlsFormulaCells(const std::vector<uint8_t>& file, int32_t sheetIndex,
                                            int32_t column) {
    const std::vector<uint8_t> s = WorkbookStream(file);

    // Globals: the worksheets' BOF offsets, and which cell formats show dates.
    std::vector<uint32_t> sheets;
    std::map<uint16_t, bool> dateFormats;  // custom FORMAT records
    std::vector<uint16_t> xfFormat;        // XF index -> format index
    bool biff8 = true;
    size_t at = 0;
    while (at + 4 <= s.size()) {
        const uint16_t type = Get16(s, at), len = Get16(s, at + 2);
        const size_t body = at + 4, end = std::min(s.size(), body + len);
        if (type == 0x0809 && body + 2 <= end) biff8 = Get16(s, body) == 0x0600;
        if (type == 0x0085 && body + 6 <= end && s[body + 5] == 0) sheets.push_back(Get32(s, body));
        if (type == 0x00E0 && body + 4 <= end && xfFormat.size() < 0x10000)
            xfFormat.push_back(Get16(s, body + 2));
        if (type == 0x041E && body + 3 <= end) {
            const size_t chars = biff8 ? Get16(s, body + 2) : s[body + 2];
            dateFormats[Get16(s, body)] =
                IsDateFormatCode(BiffChars(s, body + (biff8 ? 4 : 3), end, chars, biff8));
        }
        at = body + len;
        if (type == 0x000A) break;
    }
    if (sheetIndex < 0 || sheetIndex >= static_cast<int32_t>(sheets.size())) return {};
    auto isDate = [&](uint16_t xf) {
        if (xf >= xfFormat.size()) return false;
        const uint16_t fmt = xfFormat[xf];
        const auto custom = dateFormats.find(fmt);
        return custom != dateFormats.end() ? custom->second : IsBuiltinDateFormat(fmt);
    };

    std::vector<XlsFormulaCell> cells;
    at = sheets[sheetIndex];
    bool first = true;
    while (at + 4 <= s.size()) {
        const uint16_t type = Get16(s, at), len = Get16(s, at + 2);
        const size_t body = at + 4, end = std::min(s.size(), body + len);
        if (first && type != 0x0809 && type != 0x0009) return {};
        first = false;
        if (type == 0x000A) break;
        at = body + len;
        // FORMULA: row, column, XF, then the cached result in 8 bytes; BOOLERR:
        // row, column, XF, the value and whether it is an error.
        const bool formula = type == 0x0006 && body + 14 <= end;
        const bool boolErr = type == 0x0205 && body + 8 <= end;
        if (!formula && !boolErr) continue;
        XlsFormulaCell f;
        f.row = Get16(s, body);
        f.col = Get16(s, body + 2);
        if (f.col != column && f.row != 0) continue;
        if (boolErr) {
            if (s[body + 7])
                ErrorValue(s[body + 6], f);
            else
                f.text = s[body + 6] ? "TRUE" : "FALSE";
        } else if (Get16(s, body + 12) != 0xFFFF) {
            double v;
            std::memcpy(&v, &s[body + 6], sizeof v);  // little-endian IEEE, as on x86-64
            if (isDate(Get16(s, body + 4)))
                f.note = kDateCellNote;
            else
                f.text = FormatExact(v);
        } else {
            switch (s[body + 6]) {
                case 0: {  // text: in the STRING record that follows (after shared-formula records)
                    size_t next = at;
                    while (next + 4 <= s.size() &&
                           (Get16(s, next) == 0x04BC || Get16(s, next) == 0x0221 ||
                            Get16(s, next) == 0x0236))
                        next += 4 + Get16(s, next + 2);
                    if (next + 4 <= s.size() && Get16(s, next) == 0x0207) {
                        const size_t sb = next + 4,
                                     se = std::min(s.size(), sb + Get16(s, next + 2));
                        const size_t chars = biff8 ? Get16(s, sb) : (sb < se ? s[sb] : 0);
                        f.text = BiffChars(s, sb + (biff8 ? 2 : 1), se, chars, biff8);
                    }
                    if (f.text.empty()) f.note = kFormulaCellNote;
                    break;
                }
                case 1:
                    f.text = s[body + 8] ? "TRUE" : "FALSE";
                    break;
                case 2:
                    ErrorValue(s[body + 8], f);
                    break;
                default:  // 3, an empty text, is also what writers put in for "no result"
                    f.note = kFormulaCellNote;
                    break;
            }
        }
        cells.push_back(std::move(f));
    }
    return cells;
}

std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const std::string& path, std::string& why) {
    const void* h = nullptr;
    const int rc = freexl_open(path.c_str(), &h);
    if (rc != FREEXL_OK || !h) {
        if (h) freexl_close(h);
        why = rc == FREEXL_INSUFFICIENT_MEMORY
                  ? "There is not enough memory to read it."
                  : "Its content is not that of an Excel workbook, or it is damaged.";
        return nullptr;
    }
    unsigned int info = 0;
    if (freexl_get_info(h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(h);
        why = "The workbook is protected by a password.";
        return nullptr;
    }
    unsigned int count = 0;
    // No sheet after a successful open: the caller reports that the sheet
    // list cannot be read.
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) count = 0;
    std::vector<std::string> names;
    for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(h, static_cast<unsigned short>(i), &name) != FREEXL_OK)
            name = nullptr;
        names.emplace_back(name ? name : "");
    }
    return std::make_unique<XlsReader>(h, path, std::move(names));
}

}  // namespace velta
