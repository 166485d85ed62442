// Spreadsheet reading and writing, and the Open and "Pre-sampling results"
// commands, driven headless. Files written by independent writers (xlwt,
// gnumeric) are read here; every .xls we write is read back by xlrd.
#include "data/spreadsheet.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <tuple>

#include "commands/command_table.h"
#include "commands/pilot_commands.h"
#include "view/window_view.h"
#include "base/numbers.h"
#include "data/pilot_column.h"
#include "data/presample.h"
#include "data/sheet_reader.h"
#include "data/spreadsheet_commands.h"
#include "data/xls_writer.h"
#include "cases.h"
#include "platform/scripted/scripted_platform.h"

namespace velta {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

std::string Fixture(const std::string& name) {
    return std::string(VELTA_TEST_DATA_DIR) + "/spreadsheets/" + name;
}

// A fresh folder per test, removed at the end.
struct TempDir {
    static inline int count = 0;
    fs::path path = fs::temp_directory_path() /
                    ("velta-sheets-" + std::to_string(getpid()) + "-" + std::to_string(++count));
    TempDir() { fs::create_directories(path); }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    Texts Files() const {
        Texts out;
        for (const auto& e : fs::directory_iterator(path)) out.push_back(e.path().filename());
        return out;
    }
};

std::string FileText(const std::string& path) {
    return (std::stringstream() << std::ifstream(path).rdbuf()).str();
}

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

// xlrd's reading of a file: the sheet names, then one line per row of column
// A with the cell type and repr(value), which gives back every bit of a
// double. The system Python is preferred: the project's script equips it
// with xlrd even when another python3 comes first on the PATH.
std::string XlrdDump(const std::string& file) {
    std::string py;
    for (const char* p : {"python3", "/usr/bin/python3"})
        if (Shell(std::string(p) + " -c 'import xlrd; print(1)' 2>&1") == "1\n") py = p;
    if (py.empty()) return "xlrd missing";
    std::ofstream(file + ".py") << "import sys, xlrd\n"
                                   "b = xlrd.open_workbook(sys.argv[1])\n"
                                   "print('|'.join(b.sheet_names()))\n"
                                   "s = b.sheet_by_index(0)\n"
                                   "for r in range(s.nrows):\n"
                                   "    print(s.cell(r, 0).ctype, repr(s.cell(r, 0).value))\n";
    const std::string out = Shell(py + " '" + file + ".py' '" + file + "' 2>&1");
    fs::remove(file + ".py");
    return out;
}

// A number cell, or a text cell when a text is given.
XlsCell Cell(int row, double number, const std::string& text = "") {
    return {static_cast<uint16_t>(row), 0, text.empty(), number, text};
}

// Column 1 of a sheet, read the way Open reads it: in the reader process.
SheetColumn ReadSheet(const std::string& path, int32_t index = 0, Texts* names = nullptr) {
    SheetReadResult r = ReadSheetColumn(path, index);
    EXPECT_EQ(r.status, SheetReadResult::Status::Read) << path << ": " << r.why;
    if (names) *names = r.names;
    return r.column;
}

// The column's cells joined by ';' (notes as "!note", empty ones at the end left out).
std::string Column(const SheetColumn& d) {
    std::string s;
    for (int32_t r = 0; r < d.rows; ++r)
        s += (r ? ";" : "") + (d.notes.count(r) ? "!" + d.notes.at(r) : d.Text(r));
    return s.erase(s.find_last_not_of(';') + 1);
}

// Everything Open or Save may change, as one text, to prove "untouched".
std::string Snapshot(const Session& session) {
    const WindowView v = WindowViewOf(session);
    std::ostringstream s;
    for (const std::string* t :
         {&v.mean, &v.sd, &v.n, &v.jackknifeSd, &v.jackknifeSeMean, &v.jackknifeSeSd,
          &v.inputs.virtualSamples, &v.maximumNumber, &v.inputs.maxError, &v.inputs.studentSd,
          &v.fileName})
        s << *t << '|';
    s << v.canGenerate << session.typedValuesSaved << '|';
    const Grid& g = session.units;
    s << g.MaxCols() << ',' << g.MaxRows() << '|';
    for (int32_t c = 0; c <= 3; ++c)
        for (int32_t r = 0; r <= g.DataRowCount() + 1; ++r) s << g.CellText(c, r) << ';';
    return s.str();
}

// A session with typed values that have not been accepted yet.
Session TypedSession(const Texts& values = {}) {
    Session s;
    for (size_t i = 0; i < values.size(); ++i)
        s.units.SetCell(1, static_cast<int32_t>(i + 1), values[i]);
    s.inputs.maxError = "0.5";
    return s;
}

// Runs a command with its dialogs answered from the given queues.
ScriptedPlatform RunWith(Command command, Session& s, std::deque<std::string> files,
                         std::deque<std::string> inputs = {}, std::deque<MsgAnswer> answers = {}) {
    ScriptedPlatform ui;
    std::tie(ui.files, ui.inputs, ui.answers) = std::tie(files, inputs, answers);
    EXPECT_TRUE(RunCommand(s, ui, command));
    return ui;
}

std::string ShownN(const Session& s) {
    return WindowViewOf(s).n;
}

// The messages shown, one a line: "title [icon] [buttons]: text", without
// the usual no icon and Ok button.
std::string Shown(const ScriptedPlatform& ui) {
    static const char* icons[] = {"", " [critical]", " [question]", " [exclamation]", " [info]"};
    static const char* buttons[] = {"", " [ok/cancel]", " [yes/no]", " [yes/no/cancel]",
                                    " [retry]"};
    std::string s;
    for (const auto& m : ui.messages)
        s += m.title + icons[int(m.icon)] + buttons[int(m.buttons)] + ": " + m.text + "\n";
    return s;
}

// Reading files of independent writers

TEST(SpreadsheetRead, ColumnsAndSheetNames) {
    std::vector<test::Case> cases = test::ReadCases("sheet_columns.txt");
    // The 1000 values as xlwt was given them; the grid writes 67.0 as 67.
    std::ifstream big(Fixture("rows_1000.txt"));
    std::string column;
    for (std::string v; big >> v;)
        column += (column.empty() ? "" : ";") + v.substr(0, v.size() - (v.ends_with(".0") ? 2 : 0));
    cases.push_back({"rows_1000.xls", "0", "Big", column});
    for (const test::Case& c : cases) {
        SCOPED_TRACE(c[0] + " sheet " + c[1]);
        Texts names;
        const SheetColumn d = ReadSheet(Fixture(c[0]), std::stoi(c[1]), &names);
        std::string joined;
        for (const std::string& n : names) joined += (joined.empty() ? "" : "|") + n;
        EXPECT_EQ(joined, c[2]);
        EXPECT_EQ(Column(d), c[3]);
    }
    EXPECT_EQ(CellName(0, 26) + CellName(65535, 255), "AA1IV65536");
}

// What a column read means as a pilot sample

// A column from its cells in row order: "" is an empty cell, "!why" a note.
SheetColumn ColumnOf(const Texts& cells, int32_t column = 0) {
    SheetColumn c;
    c.column = column;
    for (size_t r = 0; r < cells.size(); ++r)
        if (cells[r].rfind('!', 0) == 0)
            c.Refuse(static_cast<int32_t>(r), cells[r].substr(1));
        else
            c.Set(static_cast<int32_t>(r), cells[r]);
    return c;
}

TEST(PilotColumn, HeaderValuesMissingCellsOrTheCellThatRefuses) {
    for (const test::Case& c : test::ReadCases("pilot_columns.txt")) {
        SCOPED_TRACE(c[0]);
        Texts cells;
        for (size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
            to = c[0].find('|', from);
            cells.push_back(c[0].substr(from, to - from));
            if (cells.back() == "!date") cells.back() = "!" + std::string(kDateCellNote);
        }
        const PilotColumn p = ReadPilotColumn(ColumnOf(cells));
        EXPECT_EQ(p.hasHeader ? p.header : "", c[1]);
        if (c[2].starts_with("refused ")) {
            EXPECT_FALSE(p.accepted);
            EXPECT_EQ(p.refusedCell, c[2].substr(8));
            EXPECT_EQ(p.detail.rfind(c[4], 0), 0u) << p.detail;
            EXPECT_EQ(p.message, std::string(kBadPreSampleMessage) + "\r\r" + p.detail);
            continue;
        }
        ASSERT_TRUE(p.accepted) << p.message;
        std::string values, missing = std::to_string(p.missingCount);
        for (const std::string& t : p.texts) values += (values.empty() ? "" : ";") + t;
        for (const std::string& m : p.missingCells) missing += " " + m;
        EXPECT_EQ(values, c[2]);
        EXPECT_EQ(missing, c[3]);
        ASSERT_EQ(p.values.size(), p.texts.size());
        for (size_t i = 0; i < p.values.size(); ++i)
            EXPECT_EQ(std::bit_cast<uint64_t>(p.values[i]),
                      std::bit_cast<uint64_t>(*ParseNumber(p.texts[i])));
    }
    // Cells are named in the column read.
    EXPECT_EQ(ReadPilotColumn(ColumnOf({"1", "x"}, 27)).refusedCell, "AB2");
    EXPECT_TRUE(std::signbit(ReadPilotColumn(ColumnOf({"-0", "1", "2"})).values[0]));
}

TEST(PilotColumn, LimitsAreSaidAndKeptCellsFollowTheRowsNotTheOrderRead) {
    // One value more than a header and 1000 units: kept up to the last that fits.
    SheetColumn c;
    for (int32_t r = 0; r <= kMaxKeptValues; ++r) c.Set(r * 2, "7");
    EXPECT_TRUE(c.tooManyRows);
    EXPECT_EQ(c.rows, 2 * (kMaxKeptValues - 1) + 1);
    EXPECT_FALSE(c.Set(5000, "7"));
    // A reader that comes back to an earlier row (a formula found later) moves the cut up.
    EXPECT_TRUE(c.Set(1, "8"));
    EXPECT_EQ(c.rows, 2 * (kMaxKeptValues - 2) + 1);
    EXPECT_EQ(c.cells.size(), static_cast<size_t>(kMaxKeptValues));
    PilotColumn p = ReadPilotColumn(c);
    EXPECT_FALSE(p.accepted);
    EXPECT_EQ(p.message, "The pre-sample holds more than 1000 sampling units; VELTA handles at "
                         "most 1000.");
    // A bad cell above the cut is named first.
    c.Set(3, "x");
    EXPECT_EQ(ReadPilotColumn(c).refusedCell, "A4");

    // Marks do not count as values; too many of them are said.
    SheetColumn marks;
    for (int32_t r = 0; r < 3; ++r) marks.Set(r, "1");
    for (int32_t r = 3; r < 3 + kMaxMissingMarks; ++r) EXPECT_TRUE(marks.Set(r, "NA"));
    EXPECT_FALSE(marks.tooManyMissing);
    p = ReadPilotColumn(marks);
    EXPECT_TRUE(p.accepted);
    EXPECT_EQ(p.missingCount, kMaxMissingMarks);
    EXPECT_EQ(p.missingCells.size(), kMaxListedMissingCells);
    EXPECT_EQ(MissingValuesMessage(p),
              "65536 cells were skipped as missing values (empty, NA, N/A, #N/A or .): A4, A5, A6, "
              "A7, A8 and 65531 more.");
    EXPECT_FALSE(marks.Set(3 + kMaxMissingMarks, "."));
    EXPECT_TRUE(marks.tooManyMissing);
    EXPECT_EQ(ReadPilotColumn(marks).message,
              "Column A holds more than 65536 cells marked as missing values (NA, N/A, #N/A or .); "
              "VELTA skips at most 65536.");
}

// Writing .xls, read back by xlrd, FreeXL and gnumeric

TEST(XlsWriter, XlrdAndFreexlReadEveryValueFullColumnAndEmptySheet) {
    TempDir dir;
    const std::vector<double> values = {0.1, 1.0 / 3.0, -123456.789, 1e-300, 42, 0, 6.02214076e23};
    std::vector<XlsCell> cells = {Cell(0, 0, "Größe Δ (µm)")};
    for (size_t i = 0; i < values.size(); ++i) cells.push_back(Cell(i + 1, values[i]));
    const std::string file = dir / "values.xls";
    ASSERT_EQ(WriteXlsWorkbook(file, "sheet1", cells), "");
    EXPECT_EQ(fs::file_size(file) % 512, 0u);  // whole sectors of the compound file
    EXPECT_EQ(XlrdDump(file),
              "sheet1\n1 'Größe Δ (µm)'\n2 0.1\n2 0.3333333333333333\n2 -123456.789\n"
              "2 1e-300\n2 42.0\n2 0.0\n2 6.02214076e+23\n");

    // FreeXL; the grid holds numbers that read back to the same double.
    Texts names;
    EXPECT_EQ(Column(ReadSheet(file, 0, &names)),
              "Größe Δ (µm);0.1;0.3333333333333333;-123456.789;1E-300;42;0;6.02214076E+23");
    EXPECT_EQ(names, Texts{"sheet1"});

    cells.clear();  // a full column
    for (int r = 0; r < 65536; ++r) cells.push_back(Cell(r, r * 0.5));
    ASSERT_EQ(WriteXlsWorkbook(dir / "big.xls", "sheet1", cells), "");
    const std::string dump = XlrdDump(dir / "big.xls");
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 65537) << dump.substr(0, 300);
    EXPECT_NE(dump.find("\n2 32767.5\n"), std::string::npos);
    // Column 1 is kept only as far as a pre-sample can reach.
    const SheetColumn kept = ReadSheet(dir / "big.xls");
    EXPECT_EQ(kept.rows, kMaxKeptValues);
    EXPECT_TRUE(kept.tooManyRows);

    ASSERT_EQ(WriteXlsWorkbook(dir / "empty.xls", "sheet1", {}), "");
    EXPECT_EQ(XlrdDump(dir / "empty.xls"), "sheet1\n");

    EXPECT_NE(WriteXlsWorkbook(dir / "inf.xls", "sheet1", {Cell(0, HUGE_VAL)}), "");
    EXPECT_FALSE(fs::exists(dir / "inf.xls"));
}

TEST(XlsWriter, GnumericReadsOurFile) {
    if (Shell("command -v ssconvert").empty()) GTEST_SKIP() << "gnumeric's ssconvert not installed";
    TempDir dir;
    const std::vector<XlsCell> cells = {Cell(0, 0, "Sampling units"), Cell(1, 1.25), Cell(2, 2.5)};
    ASSERT_EQ(WriteXlsWorkbook(dir / "g.xls", "sheet1", cells), "");
    Shell("ssconvert '" + (dir / "g.xls") + "' '" + (dir / "g.csv") + "' 2>&1");
    EXPECT_EQ(FileText(dir / "g.csv"), "\"Sampling units\"\n1.25\n2.5\n");
}

// Both commands

TEST(Commands, WiredDialogsAndCancelChangesNothing) {
    for (const Command command : {Command::Open, Command::SaveTypedValues}) {
        const bool save = command == Command::SaveTypedValues;
        // A cancelled dialog hands back its starting name, or nothing.
        for (const std::string answer : {"*.xls", ""}) {
            SCOPED_TRACE(std::string(save ? "save" : "open") + " answered '" + answer + "'");
            Session ws = TypedSession({"3", "4", "5"});
            const std::string before = Snapshot(ws);
            const ScriptedPlatform ui = RunWith(command, ws, {answer});
            ASSERT_EQ(ui.fileRequests.size(), 1u);
            const FileDialogRequest& r = ui.fileRequests[0];
            EXPECT_EQ(r.title, save ? "VELTA - Save an EXCEL FILE" : "VELTA - Open an EXCEL FILE");
            EXPECT_NE(r.filter.find(save ? "Excel file (*.xls)|*.xls" : "*.xls;*.xlsx;*.ods;*.csv"),
                      std::string::npos);
            EXPECT_EQ(r.fileName, "*.xls");
            EXPECT_EQ(r.save, save);
            EXPECT_EQ(Shown(ui), "");
            EXPECT_EQ(Snapshot(ws), before);
        }
    }
}

// Open

TEST(OpenCommand, AcceptedFilesAndFreshSessionOnSecondOpen) {
    Session ws = TypedSession();
    ScriptedPlatform ui = RunWith(Command::Open, ws, {Fixture("one_sheet.xls")});
    EXPECT_TRUE(ui.inputRequests.empty());  // one sheet: no question
    EXPECT_EQ(Shown(ui), "");
    EXPECT_FALSE(ui.busy);
    EXPECT_EQ(ws.units.CellText(1, 0) + "|" + ws.units.CellText(1, 7), "Sampling units|12");
    EXPECT_EQ(ws.units.MaxCols(), 1);
    EXPECT_EQ(WindowViewOf(ws).fileName, Fixture("one_sheet.xls"));
    EXPECT_TRUE(WindowViewOf(ws).canGenerate);

    // Each open over an accepted pre-sample starts from a fresh workspace.
    const std::string pilot = std::string(VELTA_SOURCE_DIR) + "/examples/pilot_sample.";
    const std::vector<Texts> cases = {{Fixture("header_text.xlsx"), "6", "26"},
                                      {Fixture("rows_1000.xls"), "1000", "98.174"},
                                      {Fixture("semicolon_comma.csv"), "3", "2.25"},
                                      {pilot + "xls", "24", "41.704"},
                                      {pilot + "xlsx", "24", "41.704"},
                                      {pilot + "csv", "24", "41.704"}};
    for (const Texts& c : cases) {
        SCOPED_TRACE(c[0]);
        ws.inputs.maxError = "0.7";
        ws.inputs.trimPercent = "8";
        // Row 1 of header_text.xlsx and semicolon_comma.csv names two columns.
        ui = RunWith(Command::Open, ws, {c[0]}, {"A"});
        EXPECT_EQ(Shown(ui), "");
        EXPECT_EQ(ws.inputs.maxError + "|" + ws.inputs.trimPercent, "|5");
        EXPECT_EQ(ShownN(ws), c[1]);  // a header row is not a sampling unit
        EXPECT_EQ(WindowViewOf(ws).mean, c[2]);
        // The row numbers are widened from 1000 rows.
        EXPECT_EQ(ws.units.ColWidths().count(0), c[1] == "1000" ? 1u : 0u);
    }
}

TEST(OpenCommand, SheetChoice) {
    // An answer and the sampling units read from that sheet; "" = nothing imported.
    for (const Texts& c : {Texts{"2", "4"}, Texts{"1", "3"}, Texts{"0", "3"}, Texts{"-3", "3"},
                           Texts{" 3 ", "5"}, Texts{"", ""}, Texts{"abc", ""}}) {
        SCOPED_TRACE("answer '" + c[0] + "'");
        Session ws = TypedSession({"1", "2"});
        const std::string before = Snapshot(ws);
        const ScriptedPlatform ui = RunWith(Command::Open, ws, {Fixture("three_sheets.xls")}, {c[0]});
        ASSERT_EQ(ui.inputRequests.size(), 1u);
        EXPECT_EQ(ui.inputRequests[0].prompt,
                  "Found 3 sheets\r\r1)  Données\r2)  Größe Ø\r3)  Δείγμα 試料\r\r\rplease, select "
                  "the number of the sheet");
        EXPECT_EQ(ui.inputRequests[0].title, "selection of sheet");
        EXPECT_EQ(ui.inputRequests[0].defaultText, "1");
        EXPECT_FALSE(ui.busy);
        EXPECT_EQ(Shown(ui), "");
        EXPECT_EQ(c[1].empty() ? Snapshot(ws) : ShownN(ws), c[1].empty() ? before : c[1]);
    }
}

// Every kind of bad input: one message, no crash, the session untouched,
// whether or not a pre-sample was already accepted.
TEST(OpenCommand, BadInputOneMessageSessionUntouched) {
    TempDir dir;
    {
        std::ofstream big(dir / "rows_70000.csv");
        for (int i = 0; i < 70000; ++i) big << (i % 97) << '\n';
        // More missing-value marks than a column may hold, after three values.
        std::ofstream marks(dir / "marks.csv");
        marks << "1\n2\n3\n";
        for (int i = 0; i <= kMaxMissingMarks; ++i) marks << "NA\n";
    }
    fs::create_directory(dir / "folder.xls");
    std::ofstream(dir / "notes.txt") << "1\n2\n3\n";
    std::ofstream(dir / "thousands.csv") << "Weight;Plot\n12,5;a\n1,234;b\n0,125;c\n";
    const std::map<std::string, std::string> starts = {
        {"invalid", "VELTA [critical]: " + std::string(kNotSpreadsheetMessage)},
        {"bad", "VELTA [critical]: " + std::string(kBadPreSampleMessage)},
        {"failed", "VELTA [critical]: Import did not succeed.\r\r"}};
    for (test::Case c : test::ReadCases("open_refusals.txt")) {
        if (c[0].starts_with("$first")) {
            const std::string typed = c[0].substr(6, c[0].size() - 10);
            std::ofstream(dir / c[0].substr(1)) << typed << "\n1\n2\n3\n";
        }
        c[0] = c[0][0] == '$' ? dir / c[0].substr(1) : Fixture(c[0]);
        if (starts.count(c[1])) c[1] = starts.at(c[1]);
        for (bool ready : {false, true}) {
            SCOPED_TRACE(c[0] + (ready ? " over an accepted pre-sample" : ""));
            Session ws = TypedSession({"3", "4", "5"});
            ScriptedPlatform setup;
            if (ready) AcceptUnits(ws, setup, PilotSource());
            const std::string before = Snapshot(ws);
            const ScriptedPlatform ui = RunWith(Command::Open, ws, {c[0]}, {c.size() > 3 ? c[3] : ""});
            const std::string shown = Shown(ui);
            EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
            EXPECT_EQ(shown.rfind(c[1], 0), 0u) << shown;
            EXPECT_NE(shown.find(c[2]), std::string::npos) << shown;
            EXPECT_EQ(Snapshot(ws), before);
            EXPECT_FALSE(ui.busy);
        }
    }
}

// Blank cells and the marks R, surveys and the office programs write for a
// missing value are skipped, and one information message says which.
TEST(OpenCommand, MissingValuesAreSkippedWithOneMessage) {
    TempDir dir;
    {
        // Three values, then a value on line 1,048,577, beyond the rows a sheet has.
        std::ofstream far(dir / "far.csv");
        far << "1\n2\n3\n" << std::string(1048573, '\n') << "4\n";
    }
    const std::string girth = " cells were skipped as missing values (empty, NA, N/A, #N/A or .): ";
    // The file, N, the mean shown, the message; the values read.
    std::vector<Texts> cases = {
        {"empty_rows.xls", "3", "5", "3" + girth + "A1, A2, A5."},
        {"far_cell.xlsx", "4", "1.75", "1048572" + girth + "A4, A5, A6, A7, A8 and 1048567 more."},
        {dir / "far.csv", "4", "2.5", "1048573" + girth + "A4, A5, A6, A7, A8 and 1048568 more."},
    };
    for (const char* f :
         {"missing_values.csv", "missing_values.xls", "missing_values.xlsx", "missing_values.ods"})
        cases.push_back({f, "8", "10.35", "6" + girth + "A4, A6, A8, A10, A12 and 1 more."});
    for (Texts c : cases) {
        if (c[0][0] != '/') c[0] = Fixture(c[0]);
        SCOPED_TRACE(c[0]);
        Session ws = TypedSession();
        const ScriptedPlatform ui = RunWith(Command::Open, ws, {c[0]});
        EXPECT_EQ(Shown(ui), "VELTA [info]: " + c[3] + "\n");
        EXPECT_EQ(ShownN(ws), c[1]);
        EXPECT_EQ(WindowViewOf(ws).mean, c[2]);
        EXPECT_TRUE(ws.analysis.pilot());
        EXPECT_EQ(ws.units.DataRowCount(), std::stoi(c[1]));  // the values only, in order
    }
    // One skipped cell.
    TempDir one;
    std::ofstream(one / "na.csv") << "NA\n1\n2\n3\n";
    Session ws = TypedSession();
    const ScriptedPlatform ui = RunWith(Command::Open, ws, {one / "na.csv"});
    EXPECT_EQ(Shown(ui),
              "VELTA [info]: 1 cell was skipped as a missing value (empty, NA, N/A, #N/A or .): "
              "A1.\n");
    EXPECT_EQ(ShownN(ws), "3");
}

// Row 1 names several columns: Open asks which one, as it asks for a sheet.
TEST(OpenCommand, WhichColumnIsAsked) {
    const std::string prompt =
        "Found 2 filled columns in row 1\r\rA)  Date\rB)  CO2 flux\r\r\rplease, select the letter "
        "of the column";
    // An answer, and the N and mean read, or the message shown ("" for none).
    const std::vector<Texts> cases = {
        {"B", "5", "3.146", ""},
        {" b ", "5", "3.146", ""},
        {"2", "5", "3.146", ""},
        {"CO2 flux", "5", "3.146", ""},
        {"A", "", "", "Cell A2 cannot be used: it holds a date or a time, not a number."},
        {"Z", "", "", "Cell Z1 is empty."},
        {"", "", "", ""},     // cancelled
        {"B2", "", "", ""},   // not a column: like an empty answer
    };
    for (const char* file : {"two_columns.xlsx", "two_columns.ods"}) {
        for (const Texts& c : cases) {
            SCOPED_TRACE(std::string(file) + " answered '" + c[0] + "'");
            Session ws = TypedSession({"1", "2"});
            const std::string before = Snapshot(ws);
            const ScriptedPlatform ui = RunWith(Command::Open, ws, {Fixture(file)}, {c[0]});
            ASSERT_EQ(ui.inputRequests.size(), 1u);
            EXPECT_EQ(ui.inputRequests[0].prompt, prompt);
            EXPECT_EQ(ui.inputRequests[0].title, "selection of column");
            EXPECT_EQ(ui.inputRequests[0].defaultText, "A");
            EXPECT_FALSE(ui.busy);
            const std::string shown = Shown(ui);
            if (c[3].empty()) {
                EXPECT_EQ(shown, "");
            } else {
                EXPECT_NE(shown.find(c[3]), std::string::npos) << shown;
            }
            if (c[1].empty()) {
                EXPECT_EQ(Snapshot(ws), before);
            } else {
                EXPECT_EQ(ShownN(ws) + " " + WindowViewOf(ws).mean, c[1] + " " + c[2]);
            }
        }
    }
}

TEST(OpenCommand, ColumnQuestionShowsEachHeaderOnOneShortLine) {
    SheetColumn sheet;
    sheet.firstRowFilled = 3;
    std::string wide, cut;
    for (int i = 0; i < 40; ++i) wide += "ö";  // two bytes each
    for (int i = 0; i < 28; ++i) cut += "ö";   // 57 bytes would split the 29th
    sheet.firstRow = {{0, wide}, {1, "Leaf\nlength"}, {27, "(a date)"}};
    EXPECT_EQ(ColumnChoicePrompt(sheet),
              "Found 3 filled columns in row 1\r\rA)  " + cut +
                  "...\rB)  Leaf length\rAB)  (a date)\r\r\rplease, select the letter of the column");
}

// Rows of a text file wider than a sheet: column A is read like any other.
TEST(OpenCommand, WideTextRowsAreReadAndListedShort) {
    TempDir dir;
    for (const int fields : {16385, 100000}) {
        for (const int wideRow : {0, 1}) {
            SCOPED_TRACE(std::to_string(fields) + " fields in row " + std::to_string(wideRow + 1));
            const std::string file = dir / ("wide" + std::to_string(fields) + ".csv");
            {
                std::ofstream csv(file);
                for (int r = 0; r < 3; ++r) {
                    csv << r + 1.5;
                    if (r == wideRow)
                        for (int f = 1; f < fields; ++f) csv << ",x";
                    csv << '\n';
                }
            }
            Session ws = TypedSession();
            const ScriptedPlatform ui = RunWith(Command::Open, ws, {file}, {"A"});
            EXPECT_EQ(Shown(ui), "");
            EXPECT_EQ(ShownN(ws) + " " + WindowViewOf(ws).mean, "3 2.5");
            // Row 1 that wide: the question lists the first 50 columns.
            ASSERT_EQ(ui.inputRequests.size(), wideRow == 0 ? 1u : 0u);
            if (wideRow != 0) continue;
            const std::string& p = ui.inputRequests[0].prompt;
            EXPECT_EQ(p.rfind("Found " + std::to_string(fields) + " filled columns in row 1\r\r"
                              "A)  1.5\rB)  x\r", 0), 0u) << p.substr(0, 200);
            EXPECT_NE(p.find("\rAX)  x\r... and " + std::to_string(fields - 50) + " more\r"),
                      std::string::npos);
        }
    }
}

TEST(OpenCommand, OneColumnKeptAndFormulaTailsAlikeInEveryFormat) {
    // Other columns are neither shown nor counted: deleting the last value
    // of column 1 afterwards leaves a pre-sample that is still accepted.
    Session ws = TypedSession();
    ScriptedPlatform ui = RunWith(Command::Open, ws, {Fixture("header_text.xls")}, {"A"});
    EXPECT_EQ(Shown(ui), "");
    EXPECT_EQ(ws.units.UsedCols(), 1);
    EXPECT_EQ(ws.units.DataRowCount(), 6);
    ws.units.SetCell(1, 6, "");
    ui = ScriptedPlatform();
    EXPECT_TRUE(AcceptUnits(ws, ui, PilotSource())) << Shown(ui);
    EXPECT_EQ(ShownN(ws), "5");

    // Cached formula results are the numbers the sheet shows, in .xls too.
    for (const char* file : {"tail_formula.xls", "tail_formula.xlsx", "tail_formula.ods"}) {
        SCOPED_TRACE(file);
        ws = TypedSession();
        ui = RunWith(Command::Open, ws, {Fixture(file)});
        EXPECT_EQ(Shown(ui), "");
        EXPECT_EQ(ShownN(ws), "6");
        std::string column;
        for (int32_t r = 1; r <= 6; ++r) column += ws.units.CellText(1, r) + ";";
        EXPECT_EQ(column, "12.5;13.1;14.2;11.8;25.6;12.9;");
    }
}

TEST(OpenCommand, SavedValuesComeBackBitForBit) {
    // 22 values with 17 significant digits, the largest double, the classic
    // 0.1 + 0.2 and -0: saved by VELTA, opened again, the same doubles.
    TempDir dir;
    std::vector<double> values;
    uint64_t state = 12;
    for (int i = 0; i < 22; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        values.push_back(40.0 + static_cast<double>(state >> 11) / 9007199254740992.0 * 7.0);
    }
    values.push_back(0.1 + 0.2);
    values.push_back(1.7976931348623157e308 / 1e300);
    values.push_back(-0.0);  // keeps its sign
    Texts typed;
    for (double v : values) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", v);
        typed.push_back(text);
    }
    Session ws = TypedSession(typed);
    ScriptedPlatform ui = RunWith(Command::SaveTypedValues, ws, {dir / "exact.xls"});
    ASSERT_EQ(Shown(ui), "");
    Session opened = TypedSession();
    ui = RunWith(Command::Open, opened, {dir / "exact.xls"});
    ASSERT_EQ(Shown(ui), "");
    ASSERT_EQ(ShownN(opened), "25");
    for (int32_t r = 1; r <= 25; ++r)
        EXPECT_EQ(std::bit_cast<uint64_t>(opened.analysis.pilot()->values[size_t(r - 1)]),
                  std::bit_cast<uint64_t>(values[size_t(r - 1)]))
            << opened.units.CellText(1, r);
    EXPECT_EQ(opened.units.CellText(1, 23), "0.30000000000000004");
    EXPECT_EQ(opened.units.CellText(1, 25), "-0");
    // Short values keep their short text.
    const std::string pilot = std::string(VELTA_SOURCE_DIR) + "/examples/pilot_sample.xls";
    ui = RunWith(Command::Open, opened, {pilot});
    EXPECT_EQ(opened.units.CellText(1, 1), "41.2");
}

// Pre-sampling results

TEST(SaveCommand, SavesAcceptsOrRefusesAndXlrdReadsTheFile) {
    TempDir dir;
    Session ws = TypedSession();
    ws.units.SetCell(1, 2, "4");  // nothing in the first cell: said, and no dialog
    ScriptedPlatform empty = RunWith(Command::SaveTypedValues, ws, {});
    EXPECT_TRUE(empty.fileRequests.empty());
    EXPECT_EQ(Shown(empty), "VELTA [critical]: " + std::string(kBadTypedValuesMessage) +
                                "\r\rCell A1 is empty.\n");

    ws = TypedSession({"1", "2", "3", "4", "5"});
    ScriptedPlatform ui = RunWith(Command::SaveTypedValues, ws, {dir / "data"});
    EXPECT_EQ(Shown(ui), "");
    EXPECT_TRUE(ws.typedValuesSaved && ws.analysis.pilot());
    EXPECT_TRUE(WindowViewOf(ws).canGenerate);
    EXPECT_EQ(ws.inputs.maxError, "0.5");  // no reset
    EXPECT_EQ(XlrdDump(dir / "data.xls"), "sheet1\n2 1.0\n2 2.0\n2 3.0\n2 4.0\n2 5.0\n");
    EXPECT_EQ(dir.Files(), Texts{"data.xls"});

    // Any case of the extension is kept; our file opens again, its header
    // taken as the header.
    ws.units.SetCell(1, 0, "Sampling units");
    ws.units.SetCell(1, 6, "6,5");
    RunWith(Command::SaveTypedValues, ws, {dir / "again.xLs"});
    EXPECT_EQ(XlrdDump(dir / "again.xLs"),
              "sheet1\n1 'Sampling units'\n2 1.0\n2 2.0\n2 3.0\n2 4.0\n2 5.0\n2 6.5\n");
    Session opened = TypedSession();
    ui = RunWith(Command::Open, opened, {dir / "again.xLs"});
    EXPECT_EQ(Shown(ui), "");
    EXPECT_EQ(ShownN(opened), "6");
    EXPECT_EQ(opened.units.CellText(1, 6), "6.5");

    // Values the statistics refuse are saved all the same, but not
    // accepted; the message names the cell.
    ws = TypedSession({"1", "two", "3"});
    ui = RunWith(Command::SaveTypedValues, ws, {dir / "t.xls"});
    EXPECT_EQ(Shown(ui), "VELTA [critical]: " + std::string(kBadTypedValuesMessage) +
                             "\r\rCell A2 holds \"two\", which is not a number.\n");
    EXPECT_EQ(WindowViewOf(ws).statusMessage, "Pre-sampling values written to " + (dir / "t.xls"));
    EXPECT_TRUE(ws.typedValuesSaved);
    EXPECT_FALSE(WindowViewOf(ws).canGenerate);
    EXPECT_EQ(XlrdDump(dir / "t.xls"), "sheet1\n2 1.0\n1 'two'\n2 3.0\n");
}

TEST(SaveCommand, ReplacingAnExistingFile) {
    TempDir dir;
    std::ofstream(dir / "old.xls") << "keep me";
    Session ws = TypedSession({"1", "2", "3"});
    // The question is about the final name, with the extension added.
    ScriptedPlatform ui = RunWith(Command::SaveTypedValues, ws, {dir / "old"}, {}, {MsgAnswer::No});
    EXPECT_EQ(Shown(ui), "VELTA [question] [yes/no]: The file already exists. Replace it?\r\r" +
                             (dir / "old.xls") + "\n");
    // Never saved: the command stops.
    EXPECT_FALSE(ws.typedValuesSaved || ws.analysis.pilot());
    EXPECT_EQ(FileText(dir / "old.xls"), "keep me");

    ui = RunWith(Command::SaveTypedValues, ws, {dir / "old.xls"}, {}, {MsgAnswer::Yes});
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ws.typedValuesSaved);
    EXPECT_EQ(XlrdDump(dir / "old.xls"), "sheet1\n2 1.0\n2 2.0\n2 3.0\n");

    // A second export cancelled keeps the flag; the values are accepted again.
    ws.units.SetCell(1, 4, "4");
    ui = RunWith(Command::SaveTypedValues, ws, {"*.xls"});
    EXPECT_EQ(Shown(ui), "");
    EXPECT_TRUE(ws.typedValuesSaved);
    EXPECT_EQ(ShownN(ws), "4");
}

// A save that cannot be written says why (every kind of target is tried
// on the file writer itself) and leaves the values unaccepted.
TEST(SaveCommand, ASaveThatCannotBeWrittenSaysWhy) {
    TempDir dir;
    Session ws = TypedSession({"1", "2", "3"});
    const ScriptedPlatform ui = RunWith(Command::SaveTypedValues, ws, {dir / "no/such/folder/x.xls"});
    EXPECT_EQ(Shown(ui), "VELTA [critical]: The pre-sampling values could not be saved in\r" +
                             (dir / "no/such/folder/x.xls") + "\r\rThe folder " +
                             (dir / "no/such/folder") + " does not exist\n");
    EXPECT_TRUE(dir.Files().empty());
    EXPECT_FALSE(ws.typedValuesSaved || ws.analysis.pilot());
}

}  // namespace
}  // namespace velta
