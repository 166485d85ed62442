// .xlsx and .ods: zip archives of XML parts, read with libzip and pugixml.
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <pugixml.hpp>

#include "base/numbers.h"
#include "data/spreadsheet.h"

namespace velta {

namespace {

class Zip {
  public:
    explicit Zip(const std::string& path) {
        int err = 0;
        z_ = zip_open(path.c_str(), ZIP_RDONLY, &err);
    }
    ~Zip() {
        if (z_) zip_discard(z_);
    }
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;
    bool ok() const { return z_ != nullptr; }

    // Reads one entry into an XML document; false when missing or damaged.
    bool Load(const std::string& name, pugi::xml_document& doc) const {
        zip_stat_t st;
        zip_stat_init(&st);
        if (!z_ || zip_stat(z_, name.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
            st.size > kMaxEntryBytes)
            return false;
        zip_file_t* f = zip_fopen(z_, name.c_str(), 0);
        if (!f) return false;
        std::string data(static_cast<size_t>(st.size), '\0');
        zip_int64_t got = 0;
        while (got < static_cast<zip_int64_t>(data.size())) {
            const zip_int64_t n = zip_fread(f, data.data() + got, data.size() - got);
            if (n <= 0) break;
            got += n;
        }
        zip_fclose(f);
        if (got != static_cast<zip_int64_t>(data.size())) return false;
        return static_cast<bool>(doc.load_buffer(data.data(), data.size()));
    }

  private:
    zip_t* z_ = nullptr;
};

// Local name of an element, without its namespace prefix.
std::string Local(const pugi::xml_node& n) {
    const std::string name = n.name();
    const size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& n, const char* local) {
    for (pugi::xml_node c : n.children())
        if (Local(c) == local) return c;
    return {};
}

// The next node of a walk through the subtree of `root` in document order,
// descending into a node's children only when `descend` says so; null at
// the end. Iterative, so that no nesting depth can exhaust the stack.
template <typename Descend>
pugi::xml_node NextInWalk(pugi::xml_node n, const pugi::xml_node& root, Descend descend) {
    if (descend(n) && n.first_child()) return n.first_child();
    while (n && n != root && !n.next_sibling()) n = n.parent();
    return n && n != root ? n.next_sibling() : pugi::xml_node();
}

// Concatenated text of the <t> elements below a node (plain or rich text,
// runs nested to any depth), skipping phonetic runs.
std::string TextOf(const pugi::xml_node& node) {
    std::string out;
    auto descend = [](const pugi::xml_node& n) { return Local(n) == "r"; };
    for (pugi::xml_node n = node.first_child(); n; n = NextInWalk(n, node, descend)) {
        if (Local(n) == "t") out += n.text().get();
        if (out.size() > kMaxCellText) break;
    }
    return out;
}

// "AB12" -> (11, 27); false for anything else.
bool ParseRef(const char* ref, int32_t& row, int32_t& col) {
    int64_t c = 0, r = 0;
    const char* p = ref;
    while (*p >= 'A' && *p <= 'Z' && c <= kMaxSheetCols) c = c * 26 + (*p++ - 'A' + 1);
    if (c == 0) return false;
    while (*p == '$') ++p;
    if (*p < '0' || *p > '9') return false;
    while (*p >= '0' && *p <= '9' && r <= kMaxSheetRows) r = r * 10 + (*p++ - '0');
    if (*p || r == 0 || r > kMaxSheetRows || c > kMaxSheetCols) return false;
    row = static_cast<int32_t>(r - 1);
    col = static_cast<int32_t>(c - 1);
    return true;
}

// A number text stored in the file ("12.5", "1E-3") in the grid's format,
// keeping every bit of the double.
std::string NumberText(const char* v) {
    const auto d = ParseNumber(v);
    return d ? FormatExact(*d) : std::string(v);
}

std::string ResolveTarget(const std::string& base, const std::string& target) {
    if (!target.empty() && target[0] == '/') return target.substr(1);
    std::string dir = base.substr(0, base.find_last_of('/') + 1);
    std::string t = target;
    while (t.rfind("../", 0) == 0) {
        t = t.substr(3);
        if (!dir.empty()) dir.pop_back();
        dir = dir.substr(0, dir.find_last_of('/') + 1);
    }
    if (t.rfind("./", 0) == 0) t = t.substr(2);
    return dir + t;
}

class XlsxReader : public WorkbookReader {
  public:
    XlsxReader(const std::string& path) : zip_(path) {}
    bool Init(std::string& why) {
        if (!zip_.ok()) {
            why = "It is not a readable .xlsx workbook.";
            return false;
        }
        pugi::xml_document wb, rels;
        if (!zip_.Load("xl/workbook.xml", wb)) {
            why = "It is not a readable .xlsx workbook.";
            return false;
        }
        zip_.Load("xl/_rels/workbook.xml.rels", rels);
        std::vector<std::pair<std::string, std::string>> idTarget;
        std::string shared = "xl/sharedStrings.xml";
        for (pugi::xml_node r : Child(rels, "Relationships").children()) {
            const std::string type = r.attribute("Type").value();
            const std::string target =
                ResolveTarget("xl/workbook.xml", r.attribute("Target").value());
            idTarget.emplace_back(r.attribute("Id").value(), target);
            if (type.size() >= 14 && type.compare(type.size() - 14, 14, "/sharedStrings") == 0)
                shared = target;
        }
        for (pugi::xml_node s : Child(Child(wb, "workbook"), "sheets").children()) {
            if (Local(s) != "sheet") continue;
            std::string rid;
            for (pugi::xml_attribute a : s.attributes()) {
                const std::string n = a.name();
                if (n == "r:id" || (n.size() > 3 && n.compare(n.size() - 3, 3, ":id") == 0))
                    rid = a.value();
            }
            std::string part;
            for (const auto& [id, target] : idTarget)
                if (id == rid) part = target;
            names_.push_back(s.attribute("name").value());
            parts_.push_back(part);
        }
        LoadDateStyles();
        pugi::xml_document sst;
        if (zip_.Load(shared, sst))
            for (pugi::xml_node si : Child(sst, "sst").children())
                if (Local(si) == "si") strings_.push_back(TextOf(si));
        return true;
    }

    std::vector<std::string> ListSheets() const override { return names_; }

    bool ImportSheet(int32_t index, SheetColumn& out, std::string& why) override {
        pugi::xml_document doc;
        if (index < 0 || index >= static_cast<int32_t>(parts_.size())) {
            why = "The workbook has no sheet number " + std::to_string(index + 1) + ".";
            return false;
        }
        if (!zip_.Load(parts_[index], doc)) {
            why = "The sheet is missing from the workbook or damaged.";
            return false;
        }
        out = SheetColumn{};
        int32_t row = -1;
        for (pugi::xml_node r : Child(Child(doc, "worksheet"), "sheetData").children()) {
            if (Local(r) != "row") continue;
            const int64_t rn = r.attribute("r").as_llong(int64_t{row} + 2);
            if (rn < 1 || rn > kMaxSheetRows) continue;
            row = static_cast<int32_t>(rn - 1);
            int32_t col = -1;
            for (pugi::xml_node c : r.children()) {
                if (Local(c) != "c") continue;
                int32_t cr = row, cc = col + 1;
                if (const char* ref = c.attribute("r").value(); *ref && !ParseRef(ref, cr, cc))
                    continue;
                col = cc;
                if (cc != 0) continue;  // column 1 only
                if (!ReadCell(c, cr, out)) return true;
            }
        }
        return true;
    }

  private:
    // One cell of column 1 into `out`; false once `out` wants no more rows.
    bool ReadCell(const pugi::xml_node& c, int32_t row, SheetColumn& out) const {
        const std::string t = c.attribute("t").value();
        const pugi::xml_node v = Child(c, "v");
        const bool formula = static_cast<bool>(Child(c, "f"));
        if (t == "e") return out.Refuse(row, kErrorCellNote);
        if (t == "d") return out.Refuse(row, kDateCellNote);
        std::string text;
        if (t == "s") {
            const long long i = v ? std::atoll(v.text().get()) : -1;
            if (i >= 0 && i < static_cast<long long>(strings_.size())) text = strings_[i];
        } else if (t == "inlineStr") {
            text = TextOf(Child(c, "is"));
        } else if (t == "str") {
            text = v.text().get();
        } else if (t == "b") {
            text = std::string(v.text().get()) == "1" ? "TRUE" : "FALSE";
        } else if (v) {
            const long long style = c.attribute("s").as_llong(0);
            if (style >= 0 && style < static_cast<long long>(dateStyles_.size()) &&
                dateStyles_[style])
                return out.Refuse(row, kDateCellNote);
            text = NumberText(v.text().get());
        }
        if (text.empty() && formula) return out.Refuse(row, kFormulaCellNote);
        return out.Set(row, std::move(text));
    }

    // Which cell styles (the s attribute) show a date or a time.
    void LoadDateStyles() {
        pugi::xml_document styles;
        if (!zip_.Load("xl/styles.xml", styles)) return;
        const pugi::xml_node sheet = Child(styles, "styleSheet");
        std::map<long long, bool> custom;
        for (pugi::xml_node f : Child(sheet, "numFmts").children())
            if (Local(f) == "numFmt")
                custom[f.attribute("numFmtId").as_llong(-1)] =
                    IsDateFormatCode(f.attribute("formatCode").value());
        for (pugi::xml_node xf : Child(sheet, "cellXfs").children()) {
            if (Local(xf) != "xf") continue;
            const long long id = xf.attribute("numFmtId").as_llong(0);
            const auto it = custom.find(id);
            dateStyles_.push_back(it != custom.end()
                                      ? it->second
                                      : id >= 0 && id < 1000 && IsBuiltinDateFormat(int(id)));
        }
    }

  private:
    Zip zip_;
    std::vector<std::string> names_, parts_, strings_;
    std::vector<bool> dateStyles_;
};

// OpenDocument spreadsheet: table:table / table:table-row / table:table-cell,
// with repeat counts that may cover a million empty rows.
class OdsReader : public WorkbookReader {
  public:
    OdsReader(const std::string& path) : zip_(path) {}
    bool Init(std::string& why) {
        if (!zip_.ok() || !zip_.Load("content.xml", doc_)) {
            why = "It is not a readable .ods workbook.";
            return false;
        }
        const pugi::xml_node sheets =
            Child(Child(Child(doc_, "document-content"), "body"), "spreadsheet");
        for (pugi::xml_node t : sheets.children())
            if (Local(t) == "table") {
                tables_.push_back(t);
                names_.push_back(t.attribute("table:name").value());
            }
        return true;
    }

    std::vector<std::string> ListSheets() const override { return names_; }

    bool ImportSheet(int32_t index, SheetColumn& out, std::string& why) override {
        if (index < 0 || index >= static_cast<int32_t>(tables_.size())) {
            why = "The workbook has no sheet number " + std::to_string(index + 1) + ".";
            return false;
        }
        out = SheetColumn{};
        const pugi::xml_node table = tables_[index];
        // Rows may sit in groups nested to any depth: walked without recursion.
        auto descend = [](const pugi::xml_node& n) {
            const std::string l = Local(n);
            return l == "table-row-group" || l == "table-rows" || l == "table-header-rows";
        };
        int64_t row = 0;  // saturates at kMaxSheetRows
        for (pugi::xml_node r = table.first_child(); r; r = NextInWalk(r, table, descend)) {
            if (Local(r) != "table-row") continue;
            const int64_t repeat = Repeat(r, "table:number-rows-repeated");
            // Column 1 is the row's first cell, whatever its column repeat.
            pugi::xml_node first;
            for (pugi::xml_node c : r.children()) {
                const std::string cl = Local(c);
                if (cl == "table-cell" || cl == "covered-table-cell") {
                    first = c;
                    break;
                }
            }
            std::string text, note;
            if (first) Content(first, text, note);
            // Content beyond the kept rows stops the loop at its first row.
            if (!text.empty() || !note.empty())
                for (int64_t k = row; k < row + repeat; ++k) {
                    const auto at = static_cast<int32_t>(std::min<int64_t>(k, kMaxSheetRows));
                    if (!(note.empty() ? out.Set(at, text) : out.Refuse(at, note))) return true;
                }
            row = std::min<int64_t>(row + repeat, kMaxSheetRows);
        }
        return true;
    }

  private:
    // A repeat count: 1 when absent or absurd, at most the format's row count,
    // so that adding it to a row number never overflows.
    static int64_t Repeat(const pugi::xml_node& n, const char* name) {
        const long long v = n.attribute(name).as_llong(1);
        return v < 1 ? 1 : std::min<long long>(v, kMaxSheetRows);
    }

    // What a cell holds: a text (numbers in the grid's format), or a note
    // saying why it cannot be a sampling unit; both empty for an empty cell.
    static void Content(const pugi::xml_node& c, std::string& text, std::string& note) {
        const std::string type = c.attribute("office:value-type").value();
        const std::string calc = c.attribute("calcext:value-type").value();
        if (calc == "error")
            note = kErrorCellNote;
        else if (type == "date" || type == "time")
            note = kDateCellNote;
        else if (type == "float" || type == "percentage" || type == "currency")
            text = NumberText(c.attribute("office:value").value());
        else
            text = CellText(c);
        if (text.empty() && note.empty() && c.attribute("table:formula")) note = kFormulaCellNote;
    }

    // The text a cell shows, from its paragraphs.
    static std::string CellText(const pugi::xml_node& c) {
        std::string text;
        for (pugi::xml_node p : c.children())
            if (Local(p) == "p") {
                if (!text.empty()) text += "\n";
                for (pugi::xml_node t : p.children()) {
                    if (t.type() == pugi::node_pcdata)
                        text += t.value();
                    else if (Local(t) == "s")
                        text += " ";
                    else
                        text += t.child_value();
                    if (text.size() > kMaxCellText) return text;
                }
            }
        return text;
    }

    Zip zip_;
    pugi::xml_document doc_;
    std::vector<pugi::xml_node> tables_;
    std::vector<std::string> names_;
};

}  // namespace

std::unique_ptr<WorkbookReader> OpenXlsxWorkbook(const std::string& path, std::string& why) {
    auto r = std::make_unique<XlsxReader>(path);
    if (!r->Init(why)) return nullptr;
    return r;
}

std::unique_ptr<WorkbookReader> OpenOdsWorkbook(const std::string& path, std::string& why) {
    auto r = std::make_unique<OdsReader>(path);
    if (!r->Init(why)) return nullptr;
    return r;
}

}  // namespace velta
