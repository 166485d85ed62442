// Spreadsheet reading and writing, and the Open and "Pre-sampling results"
// commands, driven headless. Files written by independent writers (xlwt,
// gnumeric) are read here; every .xls we write is read back by xlrd.
#include "data/spreadsheet.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "data/presample.h"
#include "data/spreadsheet_commands.h"
#include "data/xls_writer.h"
#include "platform/scripted/scripted_platform.h"

namespace velta {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const std::string& name) {
    return std::string(VELTA_TEST_DATA_DIR) + "/spreadsheets/" + name;
}

// A fresh folder per test, removed at the end.
class TempDir {
  public:
    TempDir() {
        static int counter = 0;
        path_ = fs::temp_directory_path() /
                ("velta-sheets-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> Files() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(path_)) out.push_back(e.path().filename());
        return out;
    }

  private:
    fs::path path_;
};

std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

// The Python that has xlrd: the system one, which the project's script
// equips, even when another python3 comes first on the PATH.
std::string PythonWithXlrd() {
    for (const char* py : {"/usr/bin/python3", "python3"})
        if (Shell(std::string(py) + " -c 'import xlrd; print(1)' 2>/dev/null") == "1\n") return py;
    return "";
}

// xlrd's reading of a file: the sheet names, then one line per sheet row of
// column A with the cell type and repr(value).
std::string XlrdDump(const std::string& file) {
    const std::string py = PythonWithXlrd();
    if (py.empty()) return "xlrd missing";
    const std::string script =
        "import sys, xlrd\n"
        "b = xlrd.open_workbook(sys.argv[1])\n"
        "print('|'.join(b.sheet_names()))\n"
        "s = b.sheet_by_index(0)\n"
        "for r in range(s.nrows):\n"
        "    c = s.cell(r, 0)\n"
        "    print(c.ctype, repr(c.value))\n";
    const std::string scriptFile = file + ".py";
    std::ofstream(scriptFile) << script;
    const std::string out = Shell(py + " " + scriptFile + " '" + file + "' 2>&1");
    fs::remove(scriptFile);
    return out;
}

SheetData ReadSheet(const std::string& path, int32_t index = 0,
                    std::vector<std::string>* names = nullptr) {
    std::string why;
    auto book = OpenWorkbook(path, FormatFromName(path), why);
    EXPECT_TRUE(book) << path << ": " << why;
    SheetData d;
    if (!book) return d;
    if (names) *names = book->ListSheets();
    EXPECT_TRUE(book->ImportSheet(index, d, why)) << why;
    return d;
}

std::vector<std::string> ColumnA(const SheetData& d) {
    std::vector<std::string> out;
    for (int32_t r = 0; r < d.rows; ++r) out.push_back(d.Text(r, 0));
    return out;
}

// Everything Open or Save may change, as one text, to prove "untouched".
std::string Snapshot(const Workspace& ws) {
    std::ostringstream s;
    for (const Field* f :
         {&ws.txtSampleMean, &ws.txtSampleStDev, &ws.txtSampleN, &ws.txtOrvoStDev, &ws.txtOrvoStErr,
          &ws.txtOrvoStErrSD, &ws.txtLimite, &ws.Label17, &ws.Text1, &ws.Text2})
        s << f->text << '|';
    s << ws.cmdEsegui.enabled << ws.PreSampleReady << ws.PreSampleSaved << '|';
    for (int i = 1; i <= 8; ++i) s << ws.StatusBar1[i].text << ws.StatusBar1[i].enabled << '|';
    s << ws.sprMain.MaxCols() << ',' << ws.sprMain.MaxRows() << '|';
    for (int32_t c = 0; c <= 3; ++c)
        for (int32_t r = 0; r <= ws.sprMain.DataRowCount() + 1; ++r)
            s << ws.sprMain.CellText(c, r) << ';';
    return s.str();
}

Workspace LoadedWorkspace() {
    Workspace ws;
    Form_Load(ws);
    return ws;
}

// A workspace with typed values that has not been accepted yet.
Workspace TypedWorkspace(const std::vector<std::string>& values) {
    Workspace ws = LoadedWorkspace();
    for (size_t i = 0; i < values.size(); ++i)
        ws.sprMain.SetCell(1, static_cast<int32_t>(i + 1), values[i]);
    ws.Text1.text = "0.5";
    return ws;
}

// ---------------------------------------------------------------------------
// Reading files of independent writers

TEST(SpreadsheetRead, XlwtFilesAllValues) {
    std::vector<std::string> names;
    EXPECT_EQ(ColumnA(ReadSheet(Fixture("one_sheet.xls"), 0, &names)),
              (std::vector<std::string>{"12.5", "13.1", "11.8", "14.2", "12.9", "13.4", "12"}));
    EXPECT_EQ(names, std::vector<std::string>{"Pilot"});

    // Integers stored as RK, a header text, and text in a second column.
    const SheetData h = ReadSheet(Fixture("header_text.xls"));
    EXPECT_EQ(ColumnA(h),
              (std::vector<std::string>{"Weight (g)", "21", "34", "19", "27", "30", "25"}));
    EXPECT_EQ(h.Text(0, 1), "Plot");
    EXPECT_EQ(h.Text(6, 1), "f");

    // Leading and inner empty rows stay where they are.
    EXPECT_EQ(ColumnA(ReadSheet(Fixture("empty_rows.xls"))),
              (std::vector<std::string>{"", "", "4", "5", "", "6"}));
}

TEST(SpreadsheetRead, SeveralSheetsWithNonAsciiNames) {
    for (const char* file : {"three_sheets.xls", "gnumeric_three_sheets.xls", "three_sheets.ods"}) {
        SCOPED_TRACE(file);
        std::vector<std::string> names;
        EXPECT_EQ(ColumnA(ReadSheet(Fixture(file), 1, &names)),
                  (std::vector<std::string>{"10", "20", "30", "40"}));
        EXPECT_EQ(names, (std::vector<std::string>{"Données", "Größe Ø", "Δείγμα 試料"}));
        EXPECT_EQ(ColumnA(ReadSheet(Fixture(file), 2)),
                  (std::vector<std::string>{"-1.25", "0", "7.75", "1E-05", "123456.789"}));
    }
}

TEST(SpreadsheetRead, IntegersAsMulrkAndRk) {
    for (const char* file : {"mulrk.xls", "gnumeric_rk.xls"}) {
        SCOPED_TRACE(file);
        const SheetData d = ReadSheet(Fixture(file));
        ASSERT_EQ(d.rows, 4);
        ASSERT_EQ(d.cols, 3);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c) EXPECT_EQ(d.Text(r, c), std::to_string(10 * (r + 1) + c));
    }
}

TEST(SpreadsheetRead, ThousandRowColumn) {
    std::ifstream in(Fixture("rows_1000.txt"));
    std::vector<double> expected;
    for (double v; in >> v;) expected.push_back(v);
    const SheetData d = ReadSheet(Fixture("rows_1000.xls"));
    ASSERT_EQ(expected.size(), 1000u);
    ASSERT_EQ(d.rows, 1000);
    for (int r = 0; r < 1000; ++r) EXPECT_DOUBLE_EQ(std::stod(d.Text(r, 0)), expected[r]) << r;
}

TEST(SpreadsheetRead, XlsxOdsAndCsv) {
    const SheetData x = ReadSheet(Fixture("header_text.xlsx"));
    EXPECT_EQ(ColumnA(x),
              (std::vector<std::string>{"Weight (g)", "21", "34", "19", "27", "30", "25"}));
    EXPECT_EQ(x.Text(3, 1), "c");

    const SheetData semi = ReadSheet(Fixture("semicolon_comma.csv"));
    EXPECT_EQ(ColumnA(semi), (std::vector<std::string>{"Height", "1,5", "2,25", "3"}));
    EXPECT_EQ(semi.Text(1, 1), "A; north");
    const SheetData tabs = ReadSheet(Fixture("tabs.csv"));
    EXPECT_EQ(ColumnA(tabs), (std::vector<std::string>{"7", "8", "9"}));
    EXPECT_EQ(tabs.Text(2, 1), "z");
}

TEST(SpreadsheetRead, FormulaCellsAreNamed) {
    // FreeXL reads the formula cell as empty; our walk of the file names it.
    const SheetData d = ReadSheet(Fixture("formula.xls"));
    EXPECT_EQ(d.Text(2, 0), "");
    ASSERT_EQ(d.notes.count({2, 0}), 1u);
    EXPECT_NE(d.notes.at({2, 0}).find("formula"), std::string::npos);
    EXPECT_EQ(XlsFormulaCells(Fixture("one_sheet.xls"), 0).size(), 0u);
}

TEST(SpreadsheetRead, CellNames) {
    EXPECT_EQ(CellName(0, 0), "A1");
    EXPECT_EQ(CellName(9, 25), "Z10");
    EXPECT_EQ(CellName(0, 26), "AA1");
    EXPECT_EQ(CellName(65535, 255), "IV65536");
}

// ---------------------------------------------------------------------------
// Writing .xls, read back by xlrd and FreeXL

TEST(XlsWriter, XlrdAndFreexlReadEveryValue) {
    TempDir dir;
    const std::vector<double> values = {0.1, 1.0 / 3.0, -123456.789, 1e-300, 42, 0, 6.02214076e23};
    std::vector<XlsCell> cells;
    XlsCell h;
    h.text = "Größe Δ (µm)";
    cells.push_back(h);
    for (size_t i = 0; i < values.size(); ++i) {
        XlsCell c;
        c.row = static_cast<uint16_t>(i + 1);
        c.isNumber = true;
        c.number = values[i];
        cells.push_back(c);
    }
    const std::string file = dir / "values.xls";
    ASSERT_EQ(WriteXlsWorkbook(file, "sheet1", cells), "");
    EXPECT_EQ(fs::file_size(file) % 512, 0u);

    const std::string dump = XlrdDump(file);
    std::istringstream lines(dump);
    std::string line;
    std::getline(lines, line);
    ASSERT_EQ(line, "sheet1") << dump;
    std::getline(lines, line);
    EXPECT_EQ(line, "1 'Größe Δ (µm)'");
    for (double v : values) {
        ASSERT_TRUE(std::getline(lines, line)) << dump;
        ASSERT_EQ(line.substr(0, 2), "2 ") << line;  // a number cell
        EXPECT_EQ(std::strtod(line.c_str() + 2, nullptr), v) << line;
    }
    EXPECT_FALSE(std::getline(lines, line)) << dump;

    std::vector<std::string> names;
    const SheetData d = ReadSheet(file, 0, &names);
    EXPECT_EQ(names, std::vector<std::string>{"sheet1"});
    EXPECT_EQ(d.Text(0, 0), "Größe Δ (µm)");
    // The grid holds numbers with 15 significant digits.
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_NEAR(std::stod(d.Text(static_cast<int32_t>(i + 1), 0)), values[i],
                    std::abs(values[i]) * 1e-14);
}

TEST(XlsWriter, LargeColumnAndEmptySheet) {
    TempDir dir;
    std::vector<XlsCell> cells;
    for (int r = 0; r < 65536; ++r) {
        XlsCell c;
        c.row = static_cast<uint16_t>(r);
        c.isNumber = true;
        c.number = r * 0.5;
        cells.push_back(c);
    }
    const std::string big = dir / "big.xls";
    ASSERT_EQ(WriteXlsWorkbook(big, "sheet1", cells), "");
    const std::string dump = XlrdDump(big);
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 65537) << dump.substr(0, 300);
    EXPECT_NE(dump.find("\n2 32767.5\n"), std::string::npos);
    EXPECT_EQ(ReadSheet(big).rows, 65536);

    const std::string empty = dir / "empty.xls";
    ASSERT_EQ(WriteXlsWorkbook(empty, "sheet1", {}), "");
    EXPECT_EQ(XlrdDump(empty), "sheet1\n");

    XlsCell inf;
    inf.isNumber = true;
    inf.number = HUGE_VAL;
    EXPECT_NE(WriteXlsWorkbook(dir / "inf.xls", "sheet1", {inf}), "");
    EXPECT_FALSE(fs::exists(dir / "inf.xls"));
}

TEST(XlsWriter, GnumericReadsOurFile) {
    if (Shell("command -v ssconvert").empty()) GTEST_SKIP() << "gnumeric's ssconvert not installed";
    TempDir dir;
    std::vector<XlsCell> cells;
    for (int r = 0; r < 3; ++r) {
        XlsCell c;
        c.row = static_cast<uint16_t>(r);
        c.isNumber = r > 0;
        c.number = r * 1.25;
        c.text = "Sampling units";
        cells.push_back(c);
    }
    ASSERT_EQ(WriteXlsWorkbook(dir / "g.xls", "sheet1", cells), "");
    Shell("ssconvert '" + (dir / "g.xls") + "' '" + (dir / "g.csv") + "' 2>&1");
    std::ifstream in(dir / "g.csv");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "\"Sampling units\"\n1.25\n2.5\n");
}

// ---------------------------------------------------------------------------
// Open

TEST(OpenCommand, OneSheetIsAcceptedWithoutQuestion) {
    Workspace ws = LoadedWorkspace();
    ScriptedPlatform ui;
    ui.files = {Fixture("one_sheet.xls")};
    mnuOpen_Click(ws, ui);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "VELTA - Open an EXCEL FILE");
    EXPECT_EQ(ui.fileRequests[0].fileName, "*.xls");
    EXPECT_FALSE(ui.fileRequests[0].save);
    EXPECT_TRUE(ui.inputRequests.empty());
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
    EXPECT_EQ(ws.sprMain.CellText(1, 0), "Sampling units");
    EXPECT_EQ(ws.sprMain.CellText(1, 7), "12");
    EXPECT_EQ(ws.sprMain.MaxCols(), 1);
    EXPECT_EQ(ws.sprMain.RowHeights().at(0), 27);
    EXPECT_EQ(ws.sprMain.ColWidths().at(1), 8);
    EXPECT_EQ(ws.sprMain.ColWidths().count(0), 0u);
    EXPECT_EQ(ws.StatusBar1[2].text, Fixture("one_sheet.xls"));
    EXPECT_TRUE(ws.StatusBar1[1].enabled && ws.StatusBar1[2].enabled);
    EXPECT_EQ(ws.txtSampleN.text, "7");
    EXPECT_EQ(ws.PreSampleReady, "1");
    EXPECT_TRUE(ws.cmdEsegui.enabled);
    EXPECT_FALSE(ui.busy);
}

TEST(OpenCommand, SheetChoice) {
    const std::string prompt =
        "Found 3 sheets\r\r1)  Données\r2)  Größe Ø\r3)  Δείγμα 試料\r\r\rplease, select the "
        "number of the sheet";
    struct Case {
        std::string answer;
        std::string n;  // "" = nothing imported, no message
    };
    for (const Case& c : {Case{"2", "4"}, Case{"1", "3"}, Case{"0", "3"}, Case{"-3", "3"},
                          Case{" 3 ", "5"}, Case{"", ""}, Case{"abc", ""}}) {
        SCOPED_TRACE("answer '" + c.answer + "'");
        Workspace ws = TypedWorkspace({"1", "2"});
        const std::string before = Snapshot(ws);
        ScriptedPlatform ui;
        ui.files = {Fixture("three_sheets.xls")};
        ui.inputs = {c.answer};
        mnuOpen_Click(ws, ui);
        ASSERT_EQ(ui.inputRequests.size(), 1u);
        EXPECT_EQ(ui.inputRequests[0].prompt, prompt);
        EXPECT_EQ(ui.inputRequests[0].title, "selection of sheet");
        EXPECT_EQ(ui.inputRequests[0].defaultText, "1");
        EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
        EXPECT_FALSE(ui.busy);
        if (c.n.empty())
            EXPECT_EQ(Snapshot(ws), before);
        else
            EXPECT_EQ(ws.txtSampleN.text, c.n);
    }
}

TEST(OpenCommand, SheetNumberAboveCountFails) {
    Workspace ws = TypedWorkspace({"1", "2"});
    const std::string before = Snapshot(ws);
    ScriptedPlatform ui;
    ui.files = {Fixture("three_sheets.xls")};
    ui.inputs = {"9"};
    mnuOpen_Click(ws, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Import did not succeed.", 0), 0u);
    EXPECT_EQ(ui.messages[0].title, "Result");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(Snapshot(ws), before);
}

TEST(OpenCommand, CancelledDialogChangesNothing) {
    for (const std::string answer : {"*.xls", ""}) {
        Workspace ws = TypedWorkspace({"3", "4", "5"});
        const std::string before = Snapshot(ws);
        ScriptedPlatform ui;
        ui.files = {answer};
        mnuOpen_Click(ws, ui);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(Snapshot(ws), before);
    }
}

TEST(OpenCommand, SecondOpenStartsFromFreshWorkspace) {
    Workspace ws = LoadedWorkspace();
    ScriptedPlatform ui;
    ui.files = {Fixture("one_sheet.xls"), Fixture("header_text.xlsx")};
    mnuOpen_Click(ws, ui);
    ws.Text1.text = "0.7";
    ws.txtPerc.text = "8";
    mnuOpen_Click(ws, ui);
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
    EXPECT_EQ(ws.Text1.text, "");
    EXPECT_EQ(ws.txtPerc.text, "5");
    EXPECT_EQ(ws.txtSampleN.text, "6");  // the header row is not a sampling unit
    EXPECT_EQ(ws.sprMain.CellText(1, 1), "21");
    EXPECT_EQ(ws.Label17.text, "Maximum number: 2.00E+01");
}

TEST(OpenCommand, OtherFormatsAndLongColumns) {
    Workspace ws = LoadedWorkspace();
    ScriptedPlatform ui;
    ui.files = {Fixture("semicolon_comma.csv")};
    mnuOpen_Click(ws, ui);
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
    EXPECT_EQ(ws.txtSampleMean.text, "2.25");

    ui.files = {Fixture("rows_1000.xls")};
    mnuOpen_Click(ws, ui);
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
    EXPECT_EQ(ws.txtSampleN.text, "1000");
    EXPECT_EQ(ws.sprMain.ColWidths().at(0), 8);

    for (const char* example : {"pilot_sample.xls", "pilot_sample.xlsx", "pilot_sample.csv"}) {
        SCOPED_TRACE(example);
        ui.files = {std::string(VELTA_SOURCE_DIR) + "/examples/" + example};
        mnuOpen_Click(ws, ui);
        EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
        EXPECT_EQ(ws.txtSampleN.text, "24");
        EXPECT_EQ(ws.txtSampleMean.text, "41.704");
    }
}

// Every kind of bad input: one message, no crash, the workspace untouched.
TEST(OpenCommand, BadInputOneMessageWorkspaceUntouched) {
    TempDir dir;
    {
        std::ofstream big(dir / "rows_70000.csv");
        for (int i = 0; i < 70000; ++i) big << (i % 97) << '\n';
    }
    fs::create_directory(dir / "folder.xls");
    std::ofstream(dir / "notes.txt") << "1\n2\n3\n";
    struct Case {
        std::string file, title, start, detail;
        MsgIcon icon = MsgIcon::None;
    };
    const std::string invalid = kNotSpreadsheetMessage;
    const std::string bad = kBadPreSampleMessage;
    const std::vector<Case> cases = {
        {Fixture("zero_bytes.xls"), "Invalid File Type or Locked", invalid, "empty"},
        {Fixture("truncated.xls"), "Invalid File Type or Locked", invalid, "damaged"},
        {Fixture("random_bytes.xls"), "Invalid File Type or Locked", invalid, "damaged"},
        {Fixture("csv_renamed.xls"), "Invalid File Type or Locked", invalid, "text file"},
        {Fixture("xlsx_renamed.xls"), "Invalid File Type or Locked", invalid, ".xlsx workbook"},
        {Fixture("password.xls"), "Invalid File Type or Locked", invalid, "password"},
        {dir / "folder.xls", "Invalid File Type or Locked", invalid, "folder"},
        {dir / "notes.txt", "Invalid File Type or Locked", invalid, ".csv"},
        {Fixture("text_in_column.xls"), "VELTA", bad, "Cell A3 holds \"n/a\"", MsgIcon::Critical},
        {Fixture("empty_rows.xls"), "VELTA", bad, "Cell A1 is empty", MsgIcon::Critical},
        {Fixture("formula.xls"), "VELTA", bad, "Cell A3 cannot be used: it holds a formula",
         MsgIcon::Critical},
        {Fixture("formula.xlsx"), "VELTA", bad, "Cell A3", MsgIcon::Critical},
        {dir / "rows_70000.csv", "VELTA", "The pre-sample holds 70000", "", MsgIcon::Critical},
        {dir / "missing.xls", "Orvo", "File not exit", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        for (bool ready : {false, true}) {
            Workspace ws = TypedWorkspace({"3", "4", "5"});
            ScriptedPlatform setup;
            if (ready) ComputePreSampleStats(ws, setup);
            const std::string before = Snapshot(ws);
            ScriptedPlatform ui;
            ui.files = {c.file};
            mnuOpen_Click(ws, ui);
            ASSERT_EQ(ui.messages.size(), 1u);
            const auto& m = ui.messages[0];
            EXPECT_EQ(m.title, c.title);
            EXPECT_EQ(m.icon, c.icon);
            EXPECT_EQ(m.buttons, MsgButtons::Ok);
            EXPECT_EQ(m.text.rfind(c.start, 0), 0u) << m.text;
            EXPECT_NE(m.text.find(c.detail), std::string::npos) << m.text;
            EXPECT_EQ(Snapshot(ws), before);
            EXPECT_FALSE(ui.busy);
        }
    }
}

TEST(OpenCommand, UnreadableFolder) {
    // Root reads every folder whatever its permissions, so there is nothing
    // to test under root (CI runs as root); a folder picked as a file is
    // tested above.
    if (geteuid() == 0) GTEST_SKIP() << "running as root: permissions are not enforced";
    TempDir dir;
    const std::string sub = dir / "closed";
    fs::create_directory(sub);
    fs::copy_file(Fixture("one_sheet.xls"), sub + "/one.xls");
    fs::permissions(sub, fs::perms::none);
    Workspace ws = TypedWorkspace({"3", "4", "5"});
    const std::string before = Snapshot(ws);
    ScriptedPlatform ui;
    ui.files = {sub + "/one.xls"};
    mnuOpen_Click(ws, ui);
    fs::permissions(sub, fs::perms::owner_all);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Invalid File Type or Locked");
    EXPECT_EQ(Snapshot(ws), before);
}

// ---------------------------------------------------------------------------
// Pre-sampling results

TEST(SaveCommand, EmptyFirstCellDoesNothing) {
    Workspace ws = LoadedWorkspace();
    ws.sprMain.SetCell(1, 2, "4");
    ScriptedPlatform ui;
    SaveSU_Click(ws, ui);
    EXPECT_TRUE(ui.fileRequests.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SaveCommand, SavesAcceptsAndXlrdReadsTheFile) {
    TempDir dir;
    Workspace ws = TypedWorkspace({"1", "2", "3", "4", "5"});
    ScriptedPlatform ui;
    ui.files = {dir / "data"};
    SaveSU_Click(ws, ui);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "VELTA - Save an EXCEL FILE");
    EXPECT_EQ(ui.fileRequests[0].filter, "Excel file (*.xls)|*.xls");
    EXPECT_EQ(ui.fileRequests[0].fileName, "*.xls");
    EXPECT_TRUE(ui.fileRequests[0].save);
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
    EXPECT_EQ(ws.PreSampleSaved, "1");
    EXPECT_EQ(ws.PreSampleReady, "1");
    EXPECT_TRUE(ws.cmdEsegui.enabled);
    EXPECT_EQ(ws.txtOrvoStErrSD.text, ".455");
    EXPECT_EQ(ws.Text1.text, "0.5");  // no reset
    EXPECT_EQ(XlrdDump(dir / "data.xls"), "sheet1\n2 1.0\n2 2.0\n2 3.0\n2 4.0\n2 5.0\n");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"data.xls"});

    // Our file opens again; the header we wrote is taken as the header.
    ws.sprMain.SetCell(1, 0, "Sampling units");
    ws.sprMain.SetCell(1, 6, "6,5");
    ui.files = {dir / "again.XLS"};
    SaveSU_Click(ws, ui);
    EXPECT_EQ(XlrdDump(dir / "again.XLS"),
              "sheet1\n1 'Sampling units'\n2 1.0\n2 2.0\n2 3.0\n2 4.0\n2 5.0\n2 6.5\n");
    Workspace opened = LoadedWorkspace();
    ui.files = {dir / "again.XLS"};
    mnuOpen_Click(opened, ui);
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
    EXPECT_EQ(opened.txtSampleN.text, "6");
    EXPECT_EQ(opened.sprMain.CellText(1, 6), "6.5");
}

TEST(SaveCommand, NamesAndReplacing) {
    TempDir dir;
    Workspace ws = TypedWorkspace({"1", "2", "3"});
    ScriptedPlatform ui;
    ui.files = {dir / "B.Xls"};
    SaveSU_Click(ws, ui);
    EXPECT_TRUE(fs::exists(dir / "B.Xls"));

    // The question is about the final name, with the extension added.
    std::ofstream(dir / "old.xls") << "keep me";
    const std::string question =
        "FIle Already exist  \r\r" + (dir / "old.xls") + "\r\r\rConfirm, please (Y/N)";
    Workspace fresh = TypedWorkspace({"1", "2", "3"});
    ui.messages.clear();
    ui.files = {dir / "old"};
    ui.answers = {MsgAnswer::No};
    SaveSU_Click(fresh, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, question);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(ui.messages[0].title, "Orvo");
    EXPECT_EQ(fresh.PreSampleSaved, "0");
    EXPECT_EQ(fresh.PreSampleReady, "0");  // never saved: the command stops
    std::ifstream kept(dir / "old.xls");
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "keep me");

    ui.messages.clear();
    ui.files = {dir / "old.xls"};
    ui.answers = {MsgAnswer::Yes};
    SaveSU_Click(fresh, ui);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(fresh.PreSampleSaved, "1");
    EXPECT_EQ(XlrdDump(dir / "old.xls"), "sheet1\n2 1.0\n2 2.0\n2 3.0\n");

    // A second export cancelled keeps the flag; the statistics run again.
    fresh.sprMain.SetCell(1, 4, "4");
    ui.messages.clear();
    ui.files = {"*.xls"};
    SaveSU_Click(fresh, ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fresh.PreSampleSaved, "1");
    EXPECT_EQ(fresh.txtSampleN.text, "4");
}

TEST(SaveCommand, CancelledDialogStopsTheCommand) {
    Workspace ws = TypedWorkspace({"1", "2", "3"});
    const std::string before = Snapshot(ws);
    ScriptedPlatform ui;
    SaveSU_Click(ws, ui);
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Snapshot(ws), before);
}

TEST(SaveCommand, FailedWriteIsReportedAndLeavesNoFile) {
    TempDir dir;
    fs::create_directory(dir / "taken.xls");
    for (const std::string& target : {dir / "no/such/folder/x.xls", dir / "taken.xls"}) {
        SCOPED_TRACE(target);
        Workspace ws = TypedWorkspace({"1", "2", "3"});
        const std::string before = Snapshot(ws);
        ScriptedPlatform ui;
        ui.files = {target};
        ui.answers = {MsgAnswer::Yes};
        SaveSU_Click(ws, ui);
        ASSERT_FALSE(ui.messages.empty());
        const auto& m = ui.messages.back();
        EXPECT_EQ(m.title, "VELTA");
        EXPECT_EQ(m.icon, MsgIcon::Critical);
        EXPECT_NE(m.text.find(target), std::string::npos) << m.text;
        EXPECT_EQ(Snapshot(ws), before);
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"taken.xls"});
    }
}

TEST(SaveCommand, RefusedValuesAreSavedButNotAccepted) {
    TempDir dir;
    Workspace ws = TypedWorkspace({"1", "two", "3"});
    ScriptedPlatform ui;
    ui.files = {dir / "t.xls"};
    SaveSU_Click(ws, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kBadPreSampleMessage);
    EXPECT_EQ(ws.PreSampleSaved, "1");
    EXPECT_FALSE(ws.cmdEsegui.enabled);
    EXPECT_EQ(XlrdDump(dir / "t.xls"), "sheet1\n2 1.0\n1 'two'\n2 3.0\n");
}

TEST(Commands, OpenAndSaveAreWired) {
    EXPECT_EQ(HandlerOf(Command::Open), &mnuOpen_Click);
    EXPECT_EQ(HandlerOf(Command::PreSamplingResults), &SaveSU_Click);
}

}  // namespace
}  // namespace velta
