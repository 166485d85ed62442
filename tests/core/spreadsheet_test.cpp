// Spreadsheets: the reader process, the column read as a pilot sample, the
// .xls writer, and the Open and "Pre-sampling results" commands, driven
// headless. Files written by independent writers (xlwt, gnumeric, LibreOffice)
// are read here; every .xls we write is read back by xlrd.
#include "data/spreadsheet.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <algorithm>
#include <bit>
#include <cmath>
#include <deque>
#include <map>
#include <new>
#include <tuple>

#include "base/numbers.h"
#include "cases.h"
#include "commands/command_table.h"
#include "commands/messages.h"
#include "commands/pilot_commands.h"
#include "data/pilot_column.h"
#include "data/presample.h"
#include "data/sheet_reader.h"
#include "data/spreadsheet_commands.h"
#include "data/xls_writer.h"
#include "platform/scripted/scripted_platform.h"
#include "test_folder.h"
#include "view/window_view.h"

namespace velta {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
using Folder = test::TestFolder;
using Status = SheetReadResult::Status;

std::string Fixture(const std::string& name) {
    return std::string(VELTA_TEST_DATA_DIR) + "/spreadsheets/" + name;
}

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        for (int c; (c = fgetc(p)) != EOF;) out += static_cast<char>(c);
        pclose(p);
    }
    return out;
}

// xlrd's reading of a file by the system Python, which the project's script
// equips with xlrd: the sheet names, then column A a row a line, as the cell
// type and repr(value), which gives back every bit of a double.
std::string XlrdDump(const std::string& file) {
    return Shell(
        "/usr/bin/python3 -c 'import sys, xlrd\n"
        "b = xlrd.open_workbook(sys.argv[1])\n"
        "print(\"|\".join(b.sheet_names()))\n"
        "s = b.sheet_by_index(0)\n"
        "for r in range(s.nrows): print(s.cell(r, 0).ctype, repr(s.cell(r, 0).value))' '" +
        file + "' 2>&1");
}

// The column's cells joined by ';' (notes as "!note", empty ones at the end left out).
std::string Column(const SheetColumn& d) {
    std::string s;
    for (int32_t r = 0; r < d.rows; ++r)
        s += (r ? ";" : "") + (d.notes.count(r) ? "!" + d.notes.at(r) : d.Text(r));
    return s.erase(s.find_last_not_of(';') + 1);
}

// What Open or Save may change, to prove "untouched" (every edit of the
// grid moves its revision).
auto Snapshot(const Session& s) {
    const WindowView v = WindowViewOf(s);
    return std::tuple(s.units.Revision(), s.inputs, s.analysis.pilot(), s.typedValuesSaved,
                      v.fileName, v.n + " " + v.mean, v.canGenerate);
}

// A session with typed values, accepted as the pre-sample when asked.
Session TypedSession(const Texts& values = {}, bool accepted = false) {
    Session s;
    for (size_t i = 0; i < values.size(); ++i)
        s.units.SetCell(1, static_cast<int32_t>(i + 1), values[i]);
    s.inputs.maxError = "0.5";
    ScriptedPlatform ui;
    EXPECT_TRUE(!accepted || AcceptUnits(s, ui, PilotSource()));
    return s;
}

// Runs a command with its dialogs answered from the given queues.
ScriptedPlatform RunWith(Command command, Session& s, std::deque<std::string> files,
                         std::deque<std::string> inputs = {}, std::deque<MsgAnswer> answers = {}) {
    ScriptedPlatform ui;
    std::tie(ui.files, ui.inputs, ui.answers) = std::tie(files, inputs, answers);
    EXPECT_TRUE(RunCommand(s, ui, command));
    EXPECT_FALSE(ui.busy);
    return ui;
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

// The reader process

TEST(SheetExchange, WellFormedTextsOnly) {
    const std::string good = ReadSheetToText(Fixture("one_sheet.xls"), 0);
    SheetReadResult r;
    ASSERT_TRUE(ParseSheetText(good, r));
    EXPECT_EQ(r.names, Texts{"Pilot"});
    EXPECT_EQ(Column(r.column), "12.5;13.1;11.8;14.2;12.9;13.4;12");
    // Row 1 of a sheet for the column question, and a text file's rows beyond a sheet's.
    const std::string head = "V 2 0\n\nS 0 0\n\nN 0 1\nx\nR 2 0\n\n";
    ASSERT_TRUE(ParseSheetText(head + "C 0 1\n7\nF 3 0\n\nH 0 4\nDate\nH 2 1\nx\nE 0 0\n\n", r));
    EXPECT_EQ(r.column.firstRowFilled, 3);
    EXPECT_EQ(r.column.firstRow, (std::map<int32_t, std::string>{{0, "Date"}, {2, "x"}}));
    EXPECT_TRUE(ParseSheetText(
        "V 2 0\n\nS 0 0\n\nN 0 1\nx\nR 2000000 0\n\nC 1999999 1\n7\nM 1 0\n\nE 0 0\n\n", r));
    EXPECT_TRUE(r.column.tooManyMissing);

    // Each is refused as a whole: the caller then reports a stopped reader.
    std::string listed = head + "F 100 0\n\n";  // more row-1 texts than the question lists
    for (int c = 0; c <= kMaxListedColumns; ++c) listed += "H " + std::to_string(c) + " 1\nx\n";
    std::vector<test::Case> bad = test::ReadCases("exchange_refusals.txt");
    bad.push_back({"", "empty"});
    bad.push_back({good.substr(0, good.size() - 1), "cut short"});
    bad.push_back({good + "E 0 0\n\n", "something after the end"});
    bad.push_back({listed + "E 0 0\n\n", "too many row-1 texts"});
    for (const test::Case& c : bad) EXPECT_FALSE(ParseSheetText(c[0], r)) << c[1];
}

TEST(SheetReader, EveryWayOfStoppingIsReported) {
    Folder dir;
    std::ofstream(dir.path / "good.txt") << ReadSheetToText(Fixture("one_sheet.xls"), 0);
    const ReaderLimits quick{.cpuSeconds = 1, .wallMilliseconds = 1500, .maxOutputBytes = 1 << 20};
    const ReaderLimits spin{.cpuSeconds = 1, .wallMilliseconds = 60000};
    const fs::path script = dir.path / "reader.sh";
    setenv("VELTA_SHEET_READER", script.c_str(), 1);
    for (test::Case c : test::ReadCases("reader_stops.txt")) {
        SCOPED_TRACE(c[0]);
        if (c[0].starts_with("$good")) c[0].replace(0, 5, "cat '" + (dir / "good.txt") + "'");
        fs::remove(script);
        if (!c[0].empty()) {
            std::ofstream(script) << "#!/bin/sh\n" << c[0] << "\n";
            fs::permissions(script, fs::perms::owner_all, fs::perm_options::add);
        }
        const SheetReadResult r =
            ReadSheetColumn(Fixture("one_sheet.xls"), 0, c[1] == "spin" ? spin : quick);
        EXPECT_EQ(r.status, c[2].empty() ? Status::Read : Status::ReaderStopped);
        EXPECT_EQ(r.why, c[2] == "stopped" ? kReaderStoppedDetail : c[2]);
    }
    unsetenv("VELTA_SHEET_READER");
}

TEST(SheetReaderProgram, ItsExitStatus) {
    const std::string reader = SheetReaderProgram();
    ASSERT_TRUE(fs::exists(reader)) << reader;
    for (test::Case c : test::ReadCases("reader_exits.txt")) {
        c[0].replace(c[0].find("FILE"), 4, "'" + Fixture("one_sheet.xls") + "'");
        const std::string out = Shell("'" + reader + "' " + c[0] + "; echo \" $?\"");
        EXPECT_TRUE(out.ends_with(" " + c[1] + "\n")) << c[0] << ": " << out.substr(0, 80);
    }
}

// Reading files of independent writers

TEST(SpreadsheetRead, ColumnsAndSheetNames) {
    for (const test::Case& c : test::ReadCases("sheet_columns.txt")) {
        SCOPED_TRACE(c[0] + " sheet " + c[1]);
        const SheetReadResult r = ReadSheetColumn(Fixture(c[0]), std::stoi(c[1]));
        ASSERT_EQ(r.status, Status::Read) << r.why;
        std::string names;
        for (const std::string& n : r.names) names += (names.empty() ? "" : "|") + n;
        EXPECT_EQ(names, c[2]);
        EXPECT_EQ(Column(r.column), c[3]);
    }
    EXPECT_EQ(CellName(0, 26) + CellName(65535, 255), "AA1IV65536");
}

// What a column read means as a pilot sample

// A column from its cells in row order: "" is an empty cell, "!why" a note.
SheetColumn ColumnOf(const Texts& cells, int32_t column = 0) {
    SheetColumn c;
    c.column = column;
    for (size_t r = 0; r < cells.size(); ++r)
        if (cells[r].starts_with('!'))
            c.Refuse(static_cast<int32_t>(r), cells[r].substr(1));
        else
            c.Set(static_cast<int32_t>(r), cells[r]);
    return c;
}

TEST(PilotColumn, HeaderValuesMissingCellsOrTheCellThatRefuses) {
    for (const test::Case& c : test::ReadCases("pilot_columns.txt")) {
        SCOPED_TRACE(c[0]);
        Texts cells = test::Split(c[0], '|');
        std::ranges::replace(cells, std::string("!date"), "!" + std::string(kDateCellNote));
        const PilotColumn p = ReadPilotColumn(ColumnOf(cells));
        EXPECT_EQ(p.hasHeader ? p.header : "", c[1]);
        if (c[2].starts_with("refused ")) {
            EXPECT_FALSE(p.accepted);
            EXPECT_EQ(p.refusedCell, c[2].substr(8));
            EXPECT_EQ(p.message, std::string(kBadPreSampleMessage) + "\r\r" + p.detail);
            EXPECT_TRUE(p.detail.starts_with(c[4])) << p.detail;
            continue;
        }
        ASSERT_TRUE(p.accepted) << p.message;
        std::string values, missing = std::to_string(p.missingCount);
        for (const std::string& t : p.texts) values += (values.empty() ? "" : ";") + t;
        for (const std::string& m : p.missingCells) missing += " " + m;
        EXPECT_EQ(values, c[2]);
        EXPECT_EQ(missing, c[3]);
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
    EXPECT_EQ(ReadPilotColumn(c).message,
              "The pre-sample holds more than 1000 sampling units; VELTA handles at most 1000.");
    c.Set(3, "x");  // a bad cell above the cut is named first
    EXPECT_EQ(ReadPilotColumn(c).refusedCell, "A4");

    // As many marks as are skipped at most are not too many (Open says one more).
    SheetColumn marks = ColumnOf({"1", "1", "1"});
    for (int32_t r = 3; r < 3 + kMaxMissingMarks; ++r) EXPECT_TRUE(marks.Set(r, "NA"));
    EXPECT_TRUE(ReadPilotColumn(marks).accepted);
    EXPECT_FALSE(marks.Set(3 + kMaxMissingMarks, "."));
}

// Writing .xls

// A number cell in column A, or a text cell when a text is given.
XlsCell Cell(int row, double number, const std::string& text = "") {
    return {static_cast<uint16_t>(row), 0, text.empty(), number, text};
}

TEST(XlsWriter, AFullColumnAndAnEmptySheetAreReadBackAndInfinityIsRefused) {
    Folder dir;
    std::vector<XlsCell> cells;
    for (int r = 0; r < 65536; ++r) cells.push_back(Cell(r, r * 0.5));
    ASSERT_EQ(WriteXlsWorkbook(dir / "big.xls", "sheet1", cells), "");
    EXPECT_EQ(fs::file_size(dir.path / "big.xls") % 512, 0u);  // whole sectors of the compound file
    const std::string dump = XlrdDump(dir.path / "big.xls");
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 65537) << dump.substr(0, 300);
    EXPECT_NE(dump.find("\n2 32767.5\n"), std::string::npos);
    // Column 1 is kept only as far as a pre-sample can reach.
    const SheetReadResult kept = ReadSheetColumn(dir.path / "big.xls", 0);
    EXPECT_EQ(kept.column.rows, kMaxKeptValues);
    EXPECT_TRUE(kept.column.tooManyRows);

    ASSERT_EQ(WriteXlsWorkbook(dir.path / "empty.xls", "sheet1", {}), "");
    EXPECT_EQ(XlrdDump(dir.path / "empty.xls"), "sheet1\n");
    EXPECT_NE(WriteXlsWorkbook(dir.path / "inf.xls", "sheet1", {Cell(0, HUGE_VAL)}), "");
    EXPECT_FALSE(fs::exists(dir.path / "inf.xls"));
}

// A platform whose dialog fails as an allocation would.
struct ThrowingPlatform : ScriptedPlatform {
    std::string FileDialog(const FileDialogRequest&) override { throw std::bad_alloc(); }
};

// Open

// Files read, from a fresh session each time, or left as they were when the
// sheet or column question is cancelled or answered with nothing to read.
TEST(OpenCommand, ReadsTheSheetAndColumnAskedIntoAFreshSession) {
    Folder dir;
    {
        // Three values, then a value on line 1,048,577, beyond the rows a sheet has.
        std::ofstream(dir.path / "far.csv") << "1\n2\n3\n" << std::string(1048573, '\n') << "4\n";
        // Rows of a text file wider than a sheet: column A is read like any other.
        for (const auto& [name, wideRow] : {std::pair{"wide_1.csv", 1}, {"wide_2.csv", 2}}) {
            std::ofstream csv(dir.path / name);
            for (int r = 1; r <= 3; ++r) {
                csv << r + 0.5;
                for (int f = 1; f < (r == wideRow ? 100000 : 0); ++f) csv << ",x";
                csv << '\n';
            }
        }
    }
    for (test::Case c : test::ReadCases("opens.txt")) {
        if (c.size() > 6) std::ofstream(dir / c[0].substr(1)) << c[6];
        c[0] = c[0].empty() || c[0] == "*.xls" ? c[0]  // the dialog cancelled
               : c[0][0] == '$'                ? dir / c[0].substr(1)
               : c[0].starts_with("examples")  ? std::string(VELTA_SOURCE_DIR) + "/" + c[0]
                                               : Fixture(c[0]);
        SCOPED_TRACE(c[0] + " answered '" + c[1] + "'");
        Session ws = TypedSession({"3", "4", "5"}, true);
        ws.inputs.trimPercent = "8";
        const auto before = Snapshot(ws);
        const ScriptedPlatform ui = RunWith(Command::Open, ws, {c[0]}, {c[1]});
        EXPECT_EQ(Shown(ui), c[4].empty() ? "" : c[4] + "\n");
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        const FileDialogRequest& asked = ui.fileRequests[0];
        EXPECT_EQ(std::tuple(asked.title, asked.fileName, asked.save),
                  std::tuple("VELTA - Open an EXCEL FILE", "*.xls", false));
        EXPECT_TRUE(asked.filter.starts_with("Spreadsheets (*.xls;*.xlsx;*.ods;*.csv)|"));
        ASSERT_EQ(ui.inputRequests.size(), c[2].empty() ? 0u : 1u);
        if (!c[2].empty()) {
            EXPECT_EQ(ui.inputRequests[0].title, "selection of " + c[2]);
            EXPECT_EQ(ui.inputRequests[0].defaultText, c[2] == "sheet" ? "1" : "A");
            if (c.size() > 5 && !c[5].empty()) {
                EXPECT_EQ(ui.inputRequests[0].prompt, c[5]);
            }
        }
        if (c[3].empty()) {
            EXPECT_EQ(Snapshot(ws), before);
            continue;
        }
        EXPECT_EQ(WindowViewOf(ws).n + " " + WindowViewOf(ws).mean, c[3]);
        EXPECT_EQ(WindowViewOf(ws).fileName, c[0]);
        EXPECT_TRUE(WindowViewOf(ws).canGenerate);
        EXPECT_EQ(ws.inputs.maxError + "|" + ws.inputs.trimPercent, "|5");
        // Column A only, its values in order; the row numbers widened from 1000 rows.
        const int32_t n = std::stoi(c[3]);
        EXPECT_EQ(ws.units.UsedCols(), 1);
        EXPECT_EQ(ws.units.DataRowCount(), n);
        EXPECT_EQ(ws.units.ColWidths().count(0), n >= 1000 ? 1u : 0u);
    }
}

// Every kind of bad input: one message, no crash, the session untouched,
// whether or not a pre-sample was already accepted.
TEST(OpenCommand, BadInputOneMessageSessionUntouched) {
    Folder dir;
    {
        std::ofstream big(dir.path / "rows_70000.csv");
        for (int i = 0; i < 70000; ++i) big << (i % 97) << '\n';
        // More missing-value marks than a column may hold, after three values.
        std::ofstream marks(dir.path / "marks.csv");
        marks << "1\n2\n3\n";
        for (int i = 0; i <= kMaxMissingMarks; ++i) marks << "NA\n";
    }
    fs::create_directory(dir.path / "folder.xls");
    const std::map<std::string, std::string> starts = {
        {"invalid", "VELTA [critical]: " + std::string(kNotSpreadsheetMessage)},
        {"bad", "VELTA [critical]: " + std::string(kBadPreSampleMessage)},
        {"failed", "VELTA [critical]: Import did not succeed.\r\r"}};
    for (test::Case c : test::ReadCases("open_refusals.txt")) {
        if (c.size() > 4) std::ofstream(dir / c[0].substr(1)) << c[4];
        c[0] = c[0][0] == '$' ? dir / c[0].substr(1) : Fixture(c[0]);
        if (starts.count(c[1])) c[1] = starts.at(c[1]);
        for (bool ready : {false, true}) {
            SCOPED_TRACE(c[0] + (ready ? " over an accepted pre-sample" : ""));
            Session ws = TypedSession({"3", "4", "5"}, ready);
            const auto before = Snapshot(ws);
            const ScriptedPlatform ui =
                RunWith(Command::Open, ws, {c[0]}, {c.size() > 3 ? c[3] : ""});
            const std::string shown = Shown(ui);
            EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
            EXPECT_TRUE(shown.starts_with(c[1])) << shown;
            EXPECT_NE(shown.find(c[2]), std::string::npos) << shown;
            EXPECT_EQ(Snapshot(ws), before);
        }
    }
    // An exception in any command is said, and nothing changes.
    Session ws = TypedSession({"3", "4", "5"});
    const auto before = Snapshot(ws);
    ThrowingPlatform ui;
    EXPECT_TRUE(RunCommand(ws, ui, Command::Open));
    EXPECT_EQ(Shown(ui), "VELTA [critical]: " + std::string(kUnexpectedErrorMessage) + "\n");
    EXPECT_TRUE(!ui.busy && Snapshot(ws) == before);
}

// Pre-sampling results

// Save answered with the given file and Yes/No answers: the messages shown.
std::string Save(Session& s, const std::string& file, std::deque<MsgAnswer> answers = {}) {
    return Shown(RunWith(Command::SaveTypedValues, s, {file}, {}, answers));
}

TEST(SaveCommand, SavedValuesAreReadBackBitForBitByXlrdAndByOpen) {
    // Values of 17 significant digits, the classic 0.1 + 0.2, -0 and a large
    // exponent, under a header of any script; any case of the extension is kept.
    const Texts typed = {
        "0.1", "0.3333333333333333",  "-123456.789", "1e-300", "42", "-0", "6.02214076e+23",
        "6,5", "0.30000000000000004", "41.2"};
    Folder dir;
    Session ws = TypedSession(typed);
    ws.units.SetCell(1, 0, "Größe Δ (µm)");
    ASSERT_EQ(Save(ws, dir / "exact.xLs"), "");
    EXPECT_TRUE(ws.typedValuesSaved && WindowViewOf(ws).canGenerate);
    EXPECT_EQ(ws.inputs.maxError, "0.5");  // no reset
    EXPECT_EQ(dir.Names(), Texts{"exact.xLs"});
    EXPECT_EQ(XlrdDump(dir / "exact.xLs"),
              "sheet1\n1 'Größe Δ (µm)'\n2 0.1\n2 0.3333333333333333\n2 -123456.789\n2 1e-300\n"
              "2 42.0\n2 -0.0\n2 6.02214076e+23\n2 6.5\n2 0.30000000000000004\n2 41.2\n");

    Session opened = TypedSession();
    ASSERT_EQ(Shown(RunWith(Command::Open, opened, {dir / "exact.xLs"})), "");
    ASSERT_EQ(WindowViewOf(opened).n, "10");
    for (size_t i = 0; i < typed.size(); ++i)
        EXPECT_EQ(std::bit_cast<uint64_t>(opened.analysis.pilot()->values[i]),
                  std::bit_cast<uint64_t>(*ParseNumber(typed[i])))
            << typed[i];
    // The header is kept; short values keep their short text.
    EXPECT_EQ(opened.units.CellText(1, 0) + "|" + opened.units.CellText(1, 9) + "|" +
                  opened.units.CellText(1, 10),
              "Größe Δ (µm)|0.30000000000000004|41.2");
}

TEST(SaveCommand, RefusedValuesAreSavedButNotAcceptedAndFilesAreReplacedOnlyWhenSaidSo) {
    Folder dir;
    const std::string refused = "VELTA [critical]: " + std::string(kBadTypedValuesMessage);
    // Nothing in the first cell: said before any dialog (its answer would cancel).
    Session ws = TypedSession({"", "4"});
    EXPECT_EQ(Save(ws, ""), refused + "\r\rCell A1 is empty.\n");
    // Values the statistics refuse are saved all the same, but not accepted.
    ws = TypedSession({"1", "two", "3"});
    EXPECT_EQ(Save(ws, dir / "t.xls"),
              refused + "\r\rCell A2 holds \"two\", which is not a number.\n");
    EXPECT_EQ(WindowViewOf(ws).statusMessage, "Pre-sampling values written to " + (dir / "t.xls"));
    EXPECT_TRUE(ws.typedValuesSaved && !WindowViewOf(ws).canGenerate);
    EXPECT_EQ(XlrdDump(dir / "t.xls"), "sheet1\n2 1.0\n1 'two'\n2 3.0\n");

    // The question is about the final name, the extension added; No stops it all.
    std::ofstream(dir / "old.xls") << "keep me";
    const std::string replace =
        "VELTA [question] [yes/no]: The file already exists. Replace it?\r\r" + (dir / "old.xls");
    ws = TypedSession({"1", "2", "3"});
    EXPECT_EQ(Save(ws, dir / "old", {MsgAnswer::No}), replace + "\n");
    EXPECT_FALSE(ws.typedValuesSaved || ws.analysis.pilot());
    EXPECT_EQ(test::ReadAllBytes(dir.path / "old.xls"), "keep me");
    EXPECT_EQ(Save(ws, dir / "old.xls", {MsgAnswer::Yes}), replace + "\n");
    EXPECT_TRUE(ws.typedValuesSaved);
    EXPECT_EQ(XlrdDump(dir / "old.xls"), "sheet1\n2 1.0\n2 2.0\n2 3.0\n");
    // A second export cancelled keeps the flag; the values are accepted again.
    ws.units.SetCell(1, 4, "4");
    EXPECT_EQ(Save(ws, "*.xls"), "");
    EXPECT_TRUE(ws.typedValuesSaved && WindowViewOf(ws).n == "4");

    // Cancelled on values not yet accepted: the dialog as asked, nothing changed.
    ws = TypedSession({"3", "4", "5"});
    const auto untouched = Snapshot(ws);
    const ScriptedPlatform ui = RunWith(Command::SaveTypedValues, ws, {""});
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const FileDialogRequest& asked = ui.fileRequests[0];
    EXPECT_EQ(
        std::tuple(asked.title, asked.fileName, asked.save, asked.filter, Shown(ui)),
        std::tuple("VELTA - Save an EXCEL FILE", "*.xls", true, "Excel file (*.xls)|*.xls", ""));
    EXPECT_EQ(Snapshot(ws), untouched);
    // A save that cannot be written says why and leaves the values unaccepted.
    ws = TypedSession({"1", "2", "3"});
    EXPECT_EQ(Save(ws, dir / "no/such/x.xls"),
              "VELTA [critical]: The pre-sampling values could not be saved in\r" +
                  (dir / "no/such/x.xls") + "\r\rThe folder " + (dir / "no/such") +
                  " does not exist\n");
    EXPECT_FALSE(ws.typedValuesSaved || ws.analysis.pilot());
    EXPECT_EQ(dir.Names(), (Texts{"old.xls", "t.xls"}));
}

}  // namespace
}  // namespace velta
