#include "data/xls_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "base/file_output.h"

namespace velta {

namespace {

using Bytes = std::vector<uint8_t>;

void Put8(Bytes& b, uint8_t v) {
    b.push_back(v);
}
void Put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, static_cast<uint16_t>(v & 0xFFFF));
    Put16(b, static_cast<uint16_t>(v >> 16));
}
void PutDouble(Bytes& b, double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    Put32(b, static_cast<uint32_t>(u & 0xFFFFFFFFu));
    Put32(b, static_cast<uint32_t>(u >> 32));
}
void Patch32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Record(Bytes& out, uint16_t type, const Bytes& body) {
    Put16(out, type);
    Put16(out, static_cast<uint16_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

// Character data of a BIFF8 string: compressed (one byte per character) when
// every unit fits Latin-1, UTF-16LE otherwise. Returns the option flags byte.
uint8_t StringChars(const std::u16string& s, Bytes& chars) {
    const bool wide = std::any_of(s.begin(), s.end(), [](char16_t c) { return c > 0xFF; });
    for (char16_t c : s) {
        if (wide)
            Put16(chars, static_cast<uint16_t>(c));
        else
            Put8(chars, static_cast<uint8_t>(c));
    }
    return wide ? 1 : 0;
}

// Cuts to at most n units without splitting a surrogate pair.
std::u16string CutUnits(std::u16string s, size_t n) {
    if (s.size() <= n) return s;
    size_t cut = n;
    if (cut > 0 && s[cut - 1] >= 0xD800 && s[cut - 1] <= 0xDBFF) --cut;
    s.resize(cut);
    return s;
}

constexpr uint16_t kBof = 0x0809, kEof = 0x000A, kCodepage = 0x0042, kWindow1 = 0x003D,
                   kDateMode = 0x0022, kFont = 0x0031, kXf = 0x00E0, kStyle = 0x0293,
                   kBoundSheet = 0x0085, kDimensions = 0x0200, kNumber = 0x0203, kLabel = 0x0204,
                   kWindow2 = 0x023E;
// The first cell XF after the 15 style XFs.
constexpr uint16_t kCellXf = 15;

Bytes BofBody(uint16_t streamType) {
    Bytes b;
    Put16(b, 0x0600);  // BIFF8
    Put16(b, streamType);
    Put16(b, 0x0DBB);  // build
    Put16(b, 0x07CC);  // year
    Put32(b, 0);       // file history
    Put32(b, 0x0006);  // lowest version that reads every record: BIFF8
    return b;
}

Bytes FontBody() {
    Bytes b;
    Put16(b, 200);     // 10 points, in twips
    Put16(b, 0);       // no italic, no strike-out
    Put16(b, 0x7FFF);  // automatic colour
    Put16(b, 400);     // normal weight
    Put16(b, 0);       // no super/subscript
    Put8(b, 0);        // no underline
    Put8(b, 0);        // family
    Put8(b, 0);        // character set
    Put8(b, 0);
    const char* name = "Arial";
    Put8(b, static_cast<uint8_t>(std::strlen(name)));
    Put8(b, 0);  // compressed characters
    for (const char* p = name; *p; ++p) Put8(b, static_cast<uint8_t>(*p));
    return b;
}

Bytes XfBody(uint16_t font, bool style) {
    Bytes b;
    Put16(b, font);
    Put16(b, 0);                        // "General" number format
    Put16(b, style ? 0xFFF5 : 0x0001);  // locked; a style XF has parent 0xFFF
    Put8(b, 0x20);                      // bottom-aligned
    Put8(b, 0);                         // no rotation
    Put8(b, 0);                         // no indent
    Put8(b, style ? 0xF4 : 0x00);       // attribute groups owned by the XF
    Put32(b, 0);                        // no borders
    Put32(b, 0);
    Put16(b, 0x20C0);  // default pattern colours
    return b;
}

Bytes GlobalsBeforeSheets() {
    Bytes g;
    Record(g, kBof, BofBody(0x0005));
    {
        Bytes b;
        Put16(b, 0x04B0);  // UTF-16
        Record(g, kCodepage, b);
    }
    {
        Bytes b;
        for (uint16_t v : {360, 270, 14940, 9150, 0x0038, 0, 0, 1, 600}) Put16(b, v);
        Record(g, kWindow1, b);
    }
    {
        Bytes b;
        Put16(b, 0);  // dates count from 1900
        Record(g, kDateMode, b);
    }
    for (int i = 0; i < 5; ++i) Record(g, kFont, FontBody());
    // The 15 built-in style XFs, with the fonts Excel gives them, then one cell XF.
    const uint16_t styleFonts[15] = {0, 1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint16_t f : styleFonts) Record(g, kXf, XfBody(f, true));
    Record(g, kXf, XfBody(0, false));
    {
        Bytes b;
        Put16(b, 0x8000);  // built-in style on XF 0
        Put8(b, 0);        // "Normal"
        Put8(b, 0xFF);
        Record(g, kStyle, b);
    }
    return g;
}

Bytes SheetStream(std::vector<XlsCell>& cells) {
    std::sort(cells.begin(), cells.end(), [](const XlsCell& a, const XlsCell& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    Bytes s;
    Record(s, kBof, BofBody(0x0010));
    {
        // Without DIMENSIONS some readers drop every cell.
        Bytes b;
        uint32_t rowMin = 0, rowEnd = 0;
        uint16_t colMin = 0, colEnd = 0;
        if (!cells.empty()) {
            rowMin = cells.front().row;
            rowEnd = static_cast<uint32_t>(cells.back().row) + 1;
            colMin = cells.front().col;
            for (const XlsCell& c : cells) {
                colMin = std::min(colMin, c.col);
                colEnd = std::max<uint16_t>(colEnd, static_cast<uint16_t>(c.col + 1));
            }
        }
        Put32(b, rowMin);
        Put32(b, rowEnd);
        Put16(b, colMin);
        Put16(b, colEnd);
        Put16(b, 0);
        Record(s, kDimensions, b);
    }
    for (const XlsCell& c : cells) {
        Bytes b;
        Put16(b, c.row);
        Put16(b, c.col);
        Put16(b, kCellXf);
        if (c.isNumber) {
            PutDouble(b, c.number);
            Record(s, kNumber, b);
        } else {
            const std::u16string u = CutUnits(Utf8ToUtf16(c.text), kXlsMaxTextUnits);
            Bytes chars;
            const uint8_t flags = StringChars(u, chars);
            Put16(b, static_cast<uint16_t>(u.size()));
            Put8(b, flags);
            b.insert(b.end(), chars.begin(), chars.end());
            Record(s, kLabel, b);
        }
    }
    {
        Bytes b;
        Put16(b, 0x06B6);  // grid lines, headers, zeros, outline symbols, selected, active
        Put16(b, 0);       // top row
        Put16(b, 0);       // left column
        Put16(b, 0x40);    // default grid-line colour
        Put16(b, 0);
        Put16(b, 0);  // zoom of the page-break preview: default
        Put16(b, 0);  // normal zoom: default
        Put32(b, 0);
        Record(s, kWindow2, b);
    }
    Record(s, kEof, {});
    return s;
}

// OLE2 compound file, version 3 (512-byte sectors), holding one stream named
// "Workbook". The stream is padded to 4096 bytes so that it lives in normal
// sectors and no mini stream is needed.
constexpr uint32_t kSector = 512;
constexpr uint32_t kFreeSect = 0xFFFFFFFF, kEndOfChain = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD,
                   kNoStream = 0xFFFFFFFF;

void DirEntry(Bytes& d, const char* name, uint8_t type, uint32_t child, uint32_t start,
              uint32_t size) {
    const size_t at = d.size();
    d.resize(at + 128, 0);
    size_t len = 0;
    if (name) {
        len = std::strlen(name);
        for (size_t i = 0; i < len; ++i) d[at + 2 * i] = static_cast<uint8_t>(name[i]);
    }
    Bytes tail;
    Put16(tail, static_cast<uint16_t>(name ? 2 * (len + 1) : 0));
    Put8(tail, type);
    Put8(tail, 1);  // black node of the red-black tree
    Put32(tail, kNoStream);
    Put32(tail, kNoStream);
    Put32(tail, child);
    std::copy(tail.begin(), tail.end(), d.begin() + at + 64);
    // CLSID, state bits and times stay zero.
    Bytes pos;
    Put32(pos, start);
    Put32(pos, size);
    Put32(pos, 0);
    std::copy(pos.begin(), pos.end(), d.begin() + at + 116);
}

Bytes CompoundFile(Bytes stream) {
    if (stream.size() < 4096) stream.resize(4096, 0);
    stream.resize((stream.size() + kSector - 1) / kSector * kSector, 0);
    const uint32_t streamSectors = static_cast<uint32_t>(stream.size() / kSector);
    const uint32_t dirSector = streamSectors;
    uint32_t fatSectors = 1;
    while (fatSectors * (kSector / 4) < streamSectors + 1 + fatSectors) ++fatSectors;
    if (fatSectors > 109) throw std::invalid_argument("workbook too large");
    const uint32_t firstFat = dirSector + 1;

    const uint8_t sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    Bytes f(sig, sig + 8);
    f.resize(24, 0);  // CLSID
    Put16(f, 0x003E);
    Put16(f, 0x0003);
    Put16(f, 0xFFFE);  // little-endian
    Put16(f, 9);       // 512-byte sectors
    Put16(f, 6);       // 64-byte mini sectors
    f.resize(40, 0);
    Put32(f, 0);  // directory sectors: always 0 in version 3
    Put32(f, fatSectors);
    Put32(f, dirSector);
    Put32(f, 0);
    Put32(f, 4096);  // mini stream cut-off
    Put32(f, kEndOfChain);
    Put32(f, 0);
    Put32(f, kEndOfChain);
    Put32(f, 0);
    for (uint32_t i = 0; i < 109; ++i) Put32(f, i < fatSectors ? firstFat + i : kFreeSect);

    f.insert(f.end(), stream.begin(), stream.end());

    Bytes dir;
    DirEntry(dir, "Root Entry", 5, 1, kEndOfChain, 0);
    DirEntry(dir, "Workbook", 2, kNoStream, 0, static_cast<uint32_t>(stream.size()));
    DirEntry(dir, nullptr, 0, kNoStream, 0, 0);
    DirEntry(dir, nullptr, 0, kNoStream, 0, 0);
    f.insert(f.end(), dir.begin(), dir.end());

    Bytes fat;
    for (uint32_t i = 0; i < streamSectors; ++i)
        Put32(fat, i + 1 < streamSectors ? i + 1 : kEndOfChain);
    Put32(fat, kEndOfChain);  // directory
    for (uint32_t i = 0; i < fatSectors; ++i) Put32(fat, kFatSect);
    fat.resize(static_cast<size_t>(fatSectors) * kSector, 0xFF);
    f.insert(f.end(), fat.begin(), fat.end());
    return f;
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& s) {
    std::u16string out;
    size_t i = 0;
    const size_t n = s.size();
    auto cont = [&](size_t k) { return k < n && (static_cast<uint8_t>(s[k]) & 0xC0) == 0x80; };
    while (i < n) {
        const uint8_t c = static_cast<uint8_t>(s[i]);
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c <= 0xDF && cont(i + 1)) {
            cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3F);
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF && cont(i + 1) && cont(i + 2)) {
            cp = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        } else if (c >= 0xF0 && c <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            cp = ((c & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) |
                 (s[i + 3] & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::vector<uint8_t> BuildXlsWorkbook(const std::string& sheetName, std::vector<XlsCell> cells) {
    const std::u16string name = Utf8ToUtf16(sheetName);
    if (name.empty() || name.size() > 31) throw std::invalid_argument("bad sheet name");
    for (const XlsCell& c : cells)
        if (c.isNumber && !std::isfinite(c.number))
            throw std::invalid_argument("a cell holds a number that is not finite");

    Bytes stream = GlobalsBeforeSheets();
    Bytes b;
    Put32(b, 0);  // stream offset of the sheet's BOF, patched below
    Put8(b, 0);   // visible
    Put8(b, 0);   // worksheet
    Put8(b, static_cast<uint8_t>(name.size()));
    Bytes chars;
    Put8(b, StringChars(name, chars));
    b.insert(b.end(), chars.begin(), chars.end());
    const size_t offsetField = stream.size() + 4;
    Record(stream, kBoundSheet, b);
    Record(stream, kEof, {});

    Patch32(stream, offsetField, static_cast<uint32_t>(stream.size()));
    const Bytes sheet = SheetStream(cells);
    stream.insert(stream.end(), sheet.begin(), sheet.end());
    return CompoundFile(std::move(stream));
}

std::string WriteXlsWorkbook(const std::string& path, const std::string& sheetName,
                             const std::vector<XlsCell>& cells) {
    Bytes data;
    try {
        data = BuildXlsWorkbook(sheetName, cells);
    } catch (const std::exception& e) {
        return e.what();
    }
    return WriteOutputFile(
        path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

}  // namespace velta
