// The reader process: its exchange form, its exit statuses, and how the
// caller survives a reader that crashes, hangs, spins, floods or talks
// nonsense.
#include "data/sheet_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <tuple>

#include "commands/command_table.h"
#include "commands/messages.h"
#include "commands/pilot_commands.h"
#include "data/presample.h"
#include "platform/scripted/scripted_platform.h"

namespace velta {
namespace {

namespace fs = std::filesystem;
using Status = SheetReadResult::Status;

std::string Fixture(const std::string& name) {
    return std::string(VELTA_TEST_DATA_DIR) + "/spreadsheets/" + name;
}

TEST(SheetExchange, WellFormedTextsOnly) {
    const std::string good = ReadSheetToText(Fixture("one_sheet.xls"), 0);
    SheetReadResult r;
    ASSERT_TRUE(ParseSheetText(good, r));
    EXPECT_EQ(r.status, Status::Read);
    EXPECT_EQ(r.names, std::vector<std::string>{"Pilot"});
    EXPECT_EQ(r.column.rows, 7);
    EXPECT_EQ(r.column.Text(6), "12");

    // Row 1 of a sheet for the column question, and a text file's rows beyond a sheet's.
    const std::string head = "V 2 0\n\nS 0 0\n\nN 0 1\nx\nR 2 0\n\n";
    ASSERT_TRUE(ParseSheetText(head + "C 0 1\n7\nF 3 0\n\nH 0 4\nDate\nH 2 1\nx\nE 0 0\n\n", r));
    EXPECT_EQ(r.column.firstRowFilled, 3);
    EXPECT_EQ(r.column.firstRow, (std::map<int32_t, std::string>{{0, "Date"}, {2, "x"}}));
    EXPECT_TRUE(ParseSheetText(
        "V 2 0\n\nS 0 0\n\nN 0 1\nx\nR 2000000 0\n\nC 1999999 1\n7\nM 1 0\n\nE 0 0\n\n", r));
    EXPECT_TRUE(r.column.tooManyMissing);

    // Each is refused as a whole: the caller then reports a stopped reader.
    for (const std::string& bad : std::vector<std::string>{
             std::string(), good.substr(0, good.size() - 1),       // cut short
             good + "E 0 0\n\n",                                   // something after the end
             "S 0 0\n\nV 2 0\n\nE 0 0\n\n",                        // version not first
             "V 1 0\n\nS 0 0\n\nE 0 0\n\n",                        // an older reader
             "V 2 0\n\nE 0 0\n\n",                                 // no status
             "V 2 0\n\nS 9 0\n\nE 0 0\n\n",                        // unknown status
             head + "C 5 1\n7\nE 0 0\n\n",                         // a cell beyond the row count
             head + "C 1 1\n7\nC 1 1\n8\nE 0 0\n\n",               // the same row twice
             head + "C 1 1\n7\nO 1 1\nx\nE 0 0\n\n",               // a cell and a note in one row
             head + "C 0 0\n\nE 0 0\n\n",                          // an empty cell
             head + "C -1 1\n7\nE 0 0\n\n",                        // a negative row
             "V 2 0\n\nS 0 0\n\nN 0 1\nx\nR 2147483648 0\n\nE 0 0\n\n",  // rows beyond 32 bits
             head + "C 1 99999999999999999999\n7\nE 0 0\n\n",      // a length beyond 64 bits
             head + "C 1 5\n7\nE 0 0\n\n",                         // a length beyond the text
             head + "X 0 0\n\nE 0 0\n\n",                          // unknown record
             "V 2 0\n\nS 0 0\n\nE 0 0\n\n",                        // read, but no sheet names
             head + "M 2 0\n\nE 0 0\n\n",                          // a flag that is not 0 or 1
             head + "F 1 0\n\nH 0 1\na\nH 1 1\nb\nE 0 0\n\n",      // more texts than filled cells
             head + "F 2 0\n\nH 1 1\na\nH 0 1\nb\nE 0 0\n\n",      // columns out of order
             head + "F 1 0\n\nH 0 0\n\nE 0 0\n\n",                 // an empty text
         }) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseSheetText(bad, r));
    }
    // As many row-1 texts as the question lists, no more.
    std::string listed = head + "F 100 0\n\n";
    for (int c = 0; c <= kMaxListedColumns; ++c) listed += "H " + std::to_string(c) + " 1\nx\n";
    EXPECT_FALSE(ParseSheetText(listed + "E 0 0\n\n", r));
}

// A stand-in reader: a shell script given by VELTA_SHEET_READER.
class FakeReader : public ::testing::Test {
  protected:
    fs::path dir = fs::temp_directory_path() / ("velta-fake-reader-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override {
        unsetenv("VELTA_SHEET_READER");
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void Use(const std::string& script) {
        const fs::path p = dir / "reader.sh";
        std::ofstream(p) << "#!/bin/sh\n" << script << "\n";
        chmod(p.c_str(), 0755);
        setenv("VELTA_SHEET_READER", p.c_str(), 1);
    }
};

TEST_F(FakeReader, EveryWayOfStoppingIsReported) {
    const ReaderLimits quick{.cpuSeconds = 1, .wallMilliseconds = 1500, .maxOutputBytes = 1 << 20};
    // A spinning reader meets its CPU limit long before a wall-clock limit this far.
    const ReaderLimits spin{.cpuSeconds = 1, .wallMilliseconds = 60000};
    std::ofstream(dir / "good.txt") << ReadSheetToText(Fixture("one_sheet.xls"), 0);
    const std::string good = "cat '" + (dir / "good.txt").string() + "'";
    const std::string wall = "Reading it took more than 1.5 seconds, the most VELTA waits for one file.";
    // The script, its limits, and what the caller is told ("" = the sheet is read).
    const std::vector<std::tuple<std::string, ReaderLimits, std::string>> cases = {
        {good, quick, ""},
        {"kill -SEGV $$", quick, kReaderStoppedDetail},  // crash
        {"exec sleep 30", quick, wall},                  // hang
        {"while :; do :; done", spin,
         "Reading it took more than 1 seconds of processor time, the most VELTA gives one file."},
        {good + "; exec sleep 30", quick, wall},  // answers, never ends
        {"exec yes", quick, "Its reader's answer is larger than 1 MiB, the most VELTA accepts."},
        {"exit 5", quick,  // the reader's own report of memory exhausted
         "Reading it needs more than 2 GiB of memory, the most VELTA gives one file."},
        {"echo nonsense", quick, kReaderStoppedDetail},  // talks nonsense
        {good + "; exit 1", quick, kReaderStoppedDetail},  // fails after answering
        {"exit 0", quick, kReaderStoppedDetail},           // says nothing
    };
    for (const auto& [script, limits, why] : cases) {
        SCOPED_TRACE(script);
        Use(script);
        const SheetReadResult r = ReadSheetColumn(Fixture("one_sheet.xls"), 0, limits);
        EXPECT_EQ(r.status, why.empty() ? Status::Read : Status::ReaderStopped);
        EXPECT_EQ(r.why, why);
    }
    // A reader that cannot be started at all.
    setenv("VELTA_SHEET_READER", (dir / "missing").c_str(), 1);
    EXPECT_EQ(ReadSheetColumn(Fixture("one_sheet.xls"), 0, quick).status, Status::ReaderStopped);
}

TEST(SheetReaderProgram, EnvironmentFirstThenBuildTreeAndItsExitStatus) {
    setenv("VELTA_SHEET_READER", "/somewhere/reader", 1);
    EXPECT_EQ(SheetReaderProgram(), "/somewhere/reader");
    unsetenv("VELTA_SHEET_READER");
    const std::string reader = SheetReaderProgram();
    ASSERT_TRUE(fs::exists(reader)) << reader;
    // The program itself: 2 for arguments it does not take, 3 when its
    // answer cannot be written (standard output closed), 0 otherwise.
    const std::string file = "'" + Fixture("one_sheet.xls") + "'";
    for (const auto& [arguments, status] :
         {std::pair<std::string, int>{"0 -- " + file, 0}, {"0:-1 -- " + file, 2},
          {"x -- " + file, 2}, {"0 + " + file, 2}, {"0 -- " + file + " >&-", 3}}) {
        FILE* p = popen(("'" + reader + "' " + arguments + "; echo \" $?\"").c_str(), "r");
        ASSERT_TRUE(p);
        std::string out;
        for (int c; (c = fgetc(p)) != EOF;) out += static_cast<char>(c);
        pclose(p);
        EXPECT_TRUE(out.ends_with(" " + std::to_string(status) + "\n")) << arguments << ": " << out.substr(0, 80);
    }
}

// A platform whose dialog fails as an allocation would.
struct ThrowingPlatform : ScriptedPlatform {
    std::string FileDialog(const FileDialogRequest&) override { throw std::bad_alloc(); }
};

TEST(RunCommand, AnyExceptionEndsInTheUnexpectedErrorMessage) {
    for (const Command c : {Command::Open, Command::SaveTypedValues}) {
        Session ws;
        for (int32_t r = 1; r <= 3; ++r) ws.units.SetCell(1, r, "3");
        ThrowingPlatform ui;
        EXPECT_TRUE(RunCommand(ws, ui, c));
        ASSERT_EQ(ui.messages.size(), 1u);
        const auto& m = ui.messages[0];
        EXPECT_EQ(m.title + ": " + m.text, "VELTA: " + std::string(kUnexpectedErrorMessage));
        EXPECT_EQ(m.icon, MsgIcon::Critical);
        EXPECT_FALSE(ui.busy);
        EXPECT_EQ(ws.units.CellText(1, 1), "3");
    }
}

}  // namespace
}  // namespace velta
