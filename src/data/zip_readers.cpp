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

    bool Has(const std::string& name) const {
        return z_ && zip_name_locate(z_, name.c_str(), 0) >= 0;
    }

    // Reads one entry into an XML document; false when missing or damaged,
    // and then `why` says so when the entry is there.
    bool Load(const std::string& name, pugi::xml_document& doc, std::string* why = nullptr) const {
        auto fail = [&](std::string reason) {
            if (why) *why = std::move(reason);
            return false;
        };
        const std::string damaged = "Its part " + name + " is damaged.";
        zip_stat_t st;
        zip_stat_init(&st);
        if (!z_ || zip_stat(z_, name.c_str(), 0, &st) != 0) return false;
        if (!(st.valid & ZIP_STAT_SIZE)) return fail(damaged);
        if (st.size > kMaxEntryBytes)
            return fail("Its part " + name + " is larger than " +
                        std::to_string(kMaxEntryBytes >> 20) + " MiB, the most VELTA reads.");
        zip_file_t* f = zip_fopen(z_, name.c_str(), 0);
        if (!f) return fail(damaged);
        std::string data(static_cast<size_t>(st.size), '\0');
        zip_int64_t got = 0;
        while (got < static_cast<zip_int64_t>(data.size())) {
            const zip_int64_t n = zip_fread(f, data.data() + got, data.size() - got);
            if (n <= 0) break;
            got += n;
        }
        zip_fclose(f);
        if (got != static_cast<zip_int64_t>(data.size())) return fail(damaged);
        const pugi::xml_parse_result parsed = doc.load_buffer(data.data(), data.size());
        if (parsed.status == pugi::status_out_of_memory)
            return fail("There is not enough memory to read it.");
        return parsed ? true : fail(damaged);
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

// "AB12" -> (11, 27). Beyond for a cell past the last row or column a sheet
// can have, Bad for anything that is not a cell name.
enum class Ref { Ok, Bad, Beyond };
Ref ParseRef(const char* ref, int32_t& row, int32_t& col) {
    int64_t c = 0, r = 0;
    const char* p = ref;
    while (*p >= 'A' && *p <= 'Z' && c <= kMaxSheetCols) c = c * 26 + (*p++ - 'A' + 1);
    if (*p >= 'A' && *p <= 'Z') return Ref::Beyond;
    if (c == 0) return Ref::Bad;
    while (*p == '$') ++p;
    if (*p < '0' || *p > '9') return Ref::Bad;
    while (*p >= '0' && *p <= '9' && r <= kMaxSheetRows) r = r * 10 + (*p++ - '0');
    if (*p >= '0' && *p <= '9') return Ref::Beyond;
    if (*p || r == 0) return Ref::Bad;
    if (r > kMaxSheetRows || c > kMaxSheetCols) return Ref::Beyond;
    row = static_cast<int32_t>(r - 1);
    col = static_cast<int32_t>(c - 1);
    return Ref::Ok;
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
        if (!zip_.Load("xl/workbook.xml", wb, &why)) {
            if (why.empty()) why = "It is not a readable .xlsx workbook.";
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
        // Parts that are there but cannot be read would turn texts into empty
        // cells and dates into numbers: the workbook is refused instead.
        if (!LoadDateStyles(why)) return false;
        pugi::xml_document sst;
        if (zip_.Has(shared) && !zip_.Load(shared, sst, &why)) return false;
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
        if (!zip_.Load(parts_[index], doc, &why)) {
            if (why.empty()) why = "The sheet is missing from the workbook or damaged.";
            return false;
        }
        const int32_t want = out.column;
        out = SheetColumn{};
        out.column = want;
        int32_t row = -1;
        for (pugi::xml_node r : Child(Child(doc, "worksheet"), "sheetData").children()) {
            if (Local(r) != "row") continue;
            const int64_t rn = r.attribute("r").as_llong(int64_t{row} + 2);
            if (rn > kMaxSheetRows) {
                why = kBeyondSheetMessage;
                return false;
            }
            if (rn < 1) {
                why = "The sheet is damaged: a row has no valid number.";
                return false;
            }
            row = static_cast<int32_t>(rn - 1);
            int32_t col = -1;
            for (pugi::xml_node c : r.children()) {
                if (Local(c) != "c") continue;
                int32_t cr = row, cc = col + 1;
                if (const char* ref = c.attribute("r").value(); *ref) {
                    const Ref parsed = ParseRef(ref, cr, cc);
                    if (parsed != Ref::Ok) {
                        why = parsed == Ref::Beyond ? std::string(kBeyondSheetMessage)
                                                    : "The sheet is damaged: a cell is named \"" +
                                                          std::string(ref).substr(0, 40) + "\".";
                        return false;
                    }
                }
                col = cc;
                if (cc >= kMaxSheetCols) {
                    why = kBeyondSheetMessage;
                    return false;
                }
                if (cc >= out.sheetCols && (Child(c, "v") || Child(c, "is")))
                    out.sheetCols = cc + 1;
                if (cc != want && cr != 0) continue;  // the wanted column, and row 1
                std::string text, note;
                if (!Content(c, text, note)) {
                    why = "The sheet is damaged: cell " + CellName(cr, cc) +
                          " refers to a text that is not in the workbook.";
                    return false;
                }
                if (cr == 0) out.NoteFirstRow(cc, 1, note.empty() ? text : NoteLabel(note));
                // Once a value is beyond what is kept, the rest is not read.
                if (cc == want &&
                    !(note.empty() ? out.Set(cr, std::move(text)) : out.Refuse(cr, note)))
                    return true;
            }
        }
        return true;
    }

  private:
    // What a cell holds: a text (numbers in the grid's format), or a note
    // saying why it cannot be a sampling unit; both empty for an empty cell.
    // False when it refers to a shared text that is not there.
    bool Content(const pugi::xml_node& c, std::string& text, std::string& note) const {
        const std::string t = c.attribute("t").value();
        const pugi::xml_node v = Child(c, "v");
        if (t == "e") {
            if (std::string(v.text().get()) == kNotAvailableText)
                text = kNotAvailableText;
            else
                note = kErrorCellNote;
        } else if (t == "d") {
            note = kDateCellNote;
        } else if (t == "s") {
            const long long i = v ? std::atoll(v.text().get()) : -1;
            if (i < 0 || i >= static_cast<long long>(strings_.size())) return !v;
            text = strings_[i];
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
                note = kDateCellNote;
            else
                text = NumberText(v.text().get());
        }
        if (text.empty() && note.empty() && Child(c, "f")) note = kFormulaCellNote;
        return true;
    }

    // Which cell styles (the s attribute) show a date or a time.
    bool LoadDateStyles(std::string& why) {
        pugi::xml_document styles;
        if (!zip_.Has("xl/styles.xml")) return true;
        if (!zip_.Load("xl/styles.xml", styles, &why)) return false;
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
        return true;
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
        if (!zip_.ok() || !zip_.Load("content.xml", doc_, &why)) {
            if (why.empty()) why = "It is not a readable .ods workbook.";
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
        const int32_t want = out.column;
        out = SheetColumn{};
        out.column = want;
        const pugi::xml_node table = tables_[index];
        // Rows may sit in groups nested to any depth: walked without recursion.
        auto descend = [](const pugi::xml_node& n) {
            const std::string l = Local(n);
            return l == "table-row-group" || l == "table-rows" || l == "table-header-rows";
        };
        int64_t row = 0;  // at most kMaxSheetRows
        for (pugi::xml_node r = table.first_child(); r; r = NextInWalk(r, table, descend)) {
            if (Local(r) != "table-row") continue;
            const int64_t repeat = Repeat(r, "table:number-rows-repeated");
            // The wanted column is the cell whose column repeats cover it.
            pugi::xml_node first;
            int64_t at = 0;
            for (pugi::xml_node c : r.children()) {
                const std::string cl = Local(c);
                if (cl != "table-cell" && cl != "covered-table-cell") continue;
                const int64_t span = Repeat(c, "table:number-columns-repeated");
                if (at <= want && want < at + span) first = c;
                if (at + span > out.sheetCols || row == 0) {
                    std::string t, n;
                    Content(c, t, n);
                    if (!t.empty() || !n.empty()) {
                        // Empty cells repeated past the last column are usual; content is not.
                        if (at + span > kMaxSheetCols || row + repeat > kMaxSheetRows) {
                            why = kBeyondSheetMessage;
                            return false;
                        }
                        out.sheetCols = std::max(out.sheetCols, static_cast<int32_t>(at + span));
                        if (row == 0) out.NoteFirstRow(static_cast<int32_t>(at), span,
                                                       n.empty() ? t : NoteLabel(n));
                    }
                }
                at = std::min<int64_t>(at + span, kMaxSheetRows);
            }
            std::string text, note;
            if (first) Content(first, text, note);
            if (!text.empty() || !note.empty()) {
                if (row + repeat > kMaxSheetRows) {
                    why = kBeyondSheetMessage;
                    return false;
                }
                // Content beyond the kept values stops the loop at its first row.
                for (int64_t k = row; k < row + repeat; ++k) {
                    const auto at = static_cast<int32_t>(k);
                    if (!(note.empty() ? out.Set(at, text) : out.Refuse(at, note))) return true;
                }
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
        if (calc == "error") {
            // #N/A marks a missing value; the other errors cannot be used.
            if (CellText(c) == kNotAvailableText)
                text = kNotAvailableText;
            else
                note = kErrorCellNote;
        } else if (type == "date" || type == "time") {
            note = kDateCellNote;
        } else if (type == "float" || type == "percentage" || type == "currency") {
            text = NumberText(c.attribute("office:value").value());
        } else {
            text = CellText(c);
        }
        if (text.empty() && note.empty() && c.attribute("table:formula")) note = kFormulaCellNote;
    }

    // The text a cell shows, from its paragraphs and everything in them
    // (spans nested to any depth, walked without recursion; runs of spaces,
    // tabs and line breaks), but not notes.
    static std::string CellText(const pugi::xml_node& c) {
        std::string text;
        auto descend = [](const pugi::xml_node& n) {
            const std::string l = Local(n);
            return l != "note" && l != "annotation";
        };
        for (pugi::xml_node p : c.children()) {
            if (Local(p) != "p") continue;
            if (!text.empty()) text += "\n";
            for (pugi::xml_node t = p.first_child(); t; t = NextInWalk(t, p, descend)) {
                const std::string l = t.type() == pugi::node_element ? Local(t) : std::string();
                if (t.type() == pugi::node_pcdata || t.type() == pugi::node_cdata)
                    text += t.value();
                else if (l == "s")
                    text.append(static_cast<size_t>(std::clamp<long long>(
                                    t.attribute("text:c").as_llong(1), 1, kMaxCellText)),
                                ' ');
                else if (l == "tab")
                    text += '\t';
                else if (l == "line-break")
                    text += '\n';
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
