// The report: its text byte for byte after a real road, its line rules from
// the analysis, and the command's dialog and completeness check.
#include "io/report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/version.h"
#include "commands/repeats.h"
#include "commands/write_report.h"
#include "output_targets.h"
#include "road.h"

using namespace velta;
namespace fs = std::filesystem;

namespace {

const std::string kStars(156, '*');

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    EXPECT_EQ(from, text.size()) << "text after the last CR LF";
    return lines;
}

// The 0-based index of layout item `item` (numbered as in the report's
// layout, where item 8 is the N sampling units, items 34, 38 and 47 are
// six-line blocks and item 49 the eight lines of the repeats) plus `within`
// lines.
size_t At(int item, int N, int within = 0) {
    int line = item <= 8 ? item : item + N - 1;
    if (item > 34) line += 5;
    if (item > 38) line += 5;
    if (item > 47) line += 5;
    if (item > 49) line += 7;
    return static_cast<size_t>(line - 1 + within);
}

// A trimmed session of four typed units with a manual size of 3.
Session ManualOnly() {
    Session s = test::HandTrimmed(4, 250, 1, [](int32_t, int32_t, bool) { return 1.0; });
    bool finite = false;
    s.analysis.SetPilot(MakePilot({"12.5", "13", "11.75", "14"}, {12.5, 13, 11.75, 14}, {}, finite));
    auto t = std::make_shared<CloudTables>();
    t->means.Resize(4, 251);
    t->sds.Resize(4, 251);
    t->samples = 250;
    Generation g;
    g.samples = 250;
    g.seed = 77;
    g.tables = t;
    s.analysis.SetGeneration(g);
    s.analysis.SetTrimming({5, t});
    s.analysis.SetManual({3, {12.8125, 13.25, 12.375, 0.9, 1.2, 0.5, 0.5}, std::nullopt, false});
    s.inputs.maxError = "1";
    return s;
}

std::vector<std::string> Lines(const Session& s) {
    return SplitLines(BuildReport(s.analysis, s.inputs, "d", "t"));
}

}  // namespace

TEST(ReportLines, LineRules) {
    Session s = ManualOnly();
    AutomaticAnswer a;
    a.succeeded = true;
    a.size = 7;
    a.means = {12.5, -0.25, 10.123456, 0.5, 12.8126, -3};
    a.statistics = {1e-5, 123456.123456, -2.5, 0.25, 2, 0.00004, 0.00004};
    s.analysis.SetAutomatic(a);
    s.analysis.SetStudentT({"0.10", "2.5", 2.5, "1", 1.0, 27, std::nullopt});
    s.analysis.SetRepeats({{{}, 250, 1, 5, 77}, {19, std::nullopt, 17, 19, 18}});
    const auto lines = Lines(s);
    const int N = 4;
    struct Case {
        size_t index;
        std::string text;
    } cases[] = {
        {At(8, N, 2), "11.75"},
        {At(11, N), "mean: 12.812"},  // 12.8125, a tie, to even
        {At(20, N), "Virtual samples number: 250"},
        {At(21, N), "Trimming: 5 %"},
        {At(26, N), "Automatic sample size: 7"},
        // The lines in n, each sign written once; no lone points, no noise.
        {At(29, N), "Up-left line: y = 12.5 - 0.25 * n"},
        {At(30, N), "Down-left line: y = 10.1235 + 0.5 * n"},
        {At(31, N), "Up-right line: y = 12.8126"},
        {At(32, N), "Down-right line: y = -3"},
        {At(34, N, 0), "Average mean: 0"},
        {At(34, N, 1), "Maximum mean: 123456.1235"},
        {At(34, N, 2), "Minimum mean: -2.5"},
        {At(34, N, 5), "Minimum standard deviation: 0"},
        {At(36, N), "Manual sample size: 3"},
        {At(38, N, 0), "Average mean: 12.8125"},
        {At(43, N), "Alpha: 0.10"},
        {At(44, N), "Maximum accepted error: 2.5"},
        {At(45, N), "Student-t sample size: 27"},
        {At(47, N, 0), "Average mean: not available (beyond the pre-sample's sizes)"},
        {At(48, N), kStars.c_str()},
        // How much the automatic size moved; the seed is the generation's.
        {At(49, N, 0), "STABILITY OF THE AUTOMATIC SAMPLE SIZE"},
        {At(49, N, 1), "Seed: 77"},
        {At(49, N, 2), "Virtual samples number: 250"},
        {At(49, N, 3), "Repeats of the automatic procedure: 5"},
        {At(49, N, 4), "Range of the automatic sample size: 17 to 19"},
        {At(49, N, 5), "Median of the automatic sample size: 18.5"},
        {At(49, N, 6), "Repeats that could not succeed: 1"},
        {At(49, N, 7), kStars.c_str()},
        {At(50, N), "Program: VELTA " + std::string(kVersion)},
    };
    ASSERT_EQ(lines.size(), 71u + N);
    for (const auto& c : cases) EXPECT_EQ(lines[c.index], c.text) << "index " << c.index;
}

TEST(ReportLines, WhatWasNotRunAndTheBoxesOfStagesNotRunYet) {
    Session s = ManualOnly();
    s.inputs.virtualSamples = "999";  // edited after the trimming
    s.inputs.trimPercent = "12";
    auto lines = Lines(s);
    const int N = 4;
    EXPECT_EQ(lines[At(20, N)], "Virtual samples number: 250");
    EXPECT_EQ(lines[At(21, N)], "Trimming: 5 %");
    EXPECT_EQ(lines[At(4, N)], "Name of the opened file: ");
    EXPECT_EQ(lines[At(26, N)], "Automatic sample size: ");
    EXPECT_EQ(lines[At(29, N)], "Up-left line: y = ");
    EXPECT_EQ(lines[At(30, N)], "Down-left line: y = ");
    EXPECT_EQ(lines[At(34, N, 3)], "Average standard deviation: not calculated");
    EXPECT_EQ(lines[At(44, N)], "Maximum accepted error: 1");
    EXPECT_EQ(lines[At(45, N)], "Student-t sample size: ");
    EXPECT_EQ(lines[At(47, N, 5)], "Minimum standard deviation: not calculated");
    // Nothing generated yet: the boxes are all there is.
    Session bare;
    bool finite = false;
    bare.analysis.SetPilot(MakePilot({"1", "2", "3"}, {1, 2, 3}, {"a.xls", "", 0, ""}, finite));
    bare.inputs.virtualSamples = "999";
    bare.inputs.trimPercent = "12";
    lines = Lines(bare);
    EXPECT_EQ(lines[At(4, 3)], "Name of the opened file: a.xls (column A)");
    EXPECT_EQ(lines[At(20, 3)], "Virtual samples number: 999");
    EXPECT_EQ(lines[At(21, 3)], "Trimming: 12 %");
    EXPECT_EQ(lines[At(36, 3)], "Manual sample size: ");
    // The file line says which column, its header and the cells skipped.
    for (const auto& [source, line] :
         {std::pair{PilotSource{"f.xlsx", "", 1, "CO2 flux", 3},
                    "f.xlsx (column B \"CO2 flux\"; 3 cells skipped as missing values)"},
          {PilotSource{"f.csv", "", 0, "", 1}, "f.csv (column A; 1 cell skipped as missing values)"}}) {
        Session one;
        one.analysis.SetPilot(MakePilot({"1", "2", "3"}, {1, 2, 3}, source, finite));
        EXPECT_EQ(Lines(one)[At(4, 3)], std::string("Name of the opened file: ") + line);
    }
}

namespace {

using Folder = test::TestFolder;
using test::ReadAllBytes;

// The stored report; with VELTA_WRITE_GOLDEN set to a folder, the report
// made now is also written there, for review when the output changes.
std::string Golden(const std::string& name, const std::string& made) {
    if (const char* out = std::getenv("VELTA_WRITE_GOLDEN"))
        std::ofstream(fs::path(out) / name, std::ios::binary) << made;
    return ReadAllBytes(fs::path(VELTA_TEST_DATA_DIR) / "reports" / name);
}

}  // namespace

TEST(WriteReport, DialogThenCompletenessCheck) {
    Folder dir;
    const std::string file = (dir.path / "r.dat").string();
    struct Case {
        const char* answer;  // nullptr: cancelled
        bool manual;
        const char* message;
        bool written;
    } cases[] = {
        {nullptr, true, nullptr, false},
        {"*.dat", true, nullptr, false},
        {"", false, kIncompleteResultsMessage, false},
        {"", true, nullptr, true},
    };
    for (const auto& c : cases) {
        fs::remove(file);
        Session s = ManualOnly();
        if (!c.manual) s.analysis.SetTrimming(*s.analysis.trimming());
        ScriptedPlatform ui;
        if (c.answer) ui.files.push_back(*c.answer ? c.answer : file);
        ASSERT_TRUE(RunToolbarKey(s, ui, "Export"));
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        const auto& r = ui.fileRequests[0];
        EXPECT_EQ(std::tuple(r.title, r.filter, r.fileName, r.save),
                  std::tuple(std::string("VELTA - Save a REPORT FILE"),
                             std::string("Config and Results file (*.dat)|*.dat"),
                             std::string("*.dat"), true));
        if (c.message) test::ExpectOnlyMessage(ui, c.message, MsgIcon::Critical);
        EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
        EXPECT_EQ(fs::exists(file), c.written);
        if (c.written) {
            EXPECT_EQ(ReadAllBytes(file), BuildReport(s.analysis, s.inputs, ui.dateText, ui.timeText));
        }
    }
}

// A report that cannot be written says why (every kind of target is tried
// on the file writer itself).
TEST(WriteReport, AReportThatCannotBeWrittenSaysWhy) {
    Folder dir;
    Session s = ManualOnly();
    ScriptedPlatform ui;
    const std::string file = (dir.path / "none" / "r.dat").string();
    ui.files.push_back(file);
    ASSERT_TRUE(RunCommand(s, ui, Command::WriteReport));
    test::ExpectOnlyMessage(ui,
                            std::string(kReportNotWrittenMessage) + "\r\r" + file +
                                "\rThe folder " + (dir.path / "none").string() + " does not exist",
                            MsgIcon::Critical);
    EXPECT_TRUE(dir.Names().empty());
}

// A small typed pilot taken down the whole road; the reports after the
// manual size alone and after Automatic and Student-t are compared with the
// stored ones byte for byte. The generation's random source starts where a
// fresh program starts, so the same virtual samples are always drawn.
TEST(WriteReport, WholeRoadOfATypedPilotAgainstTheStoredReports) {
    Folder dir;
    Session s;
    ScriptedPlatform ui;
    RandomSource rng;
    test::TypeUnits(s, {"12.4", "15.1", "9.8", "13.3", "11.0", "14.6", "10.7", "12.9", "16.2",
                        "11.8", "13.7", "10.2"});
    ASSERT_TRUE(AcceptUnits(s, ui, PilotSource()));
    s.inputs.virtualSamples = "40";
    ui.dateText = "07/12/2026";
    ui.timeText = "10:41:07";
    auto report = [&](const std::string& name) {
        const fs::path file = dir.path / name;
        ui.files.push_back(file.string());
        EXPECT_TRUE(RunCommand(s, ui, Command::WriteReport));
        return ReadAllBytes(file);
    };
    Generate(s, ui);
    ASSERT_TRUE(RunCommand(s, ui, Command::Trim));
    ASSERT_TRUE(MoveSlider(s, ui, 6));
    ASSERT_TRUE(ui.messages.empty()) << ui.LastMessage();
    // Boxes edited after the trimming do not change the configuration the
    // report states: 40 virtual samples trimmed at 5 %.
    s.inputs.virtualSamples = "999";
    s.inputs.trimPercent = "9";
    const std::string manualOnly = report("manual.dat");
    EXPECT_EQ(manualOnly, Golden("manual_only.dat", manualOnly));

    ASSERT_TRUE(RunCommand(s, ui, Command::Automatic));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    ASSERT_TRUE(MoveSlider(s, ui, 8));
    s.inputs.maxError = "2";
    ASSERT_TRUE(RunCommand(s, ui, Command::StudentT));
    ASSERT_EQ(ui.messages.size(), 1u) << ui.LastMessage();
    // Written while the repeats of the automatic size work, the report says
    // so; once they are done, it gives their spread.
    const std::string early = report("early.dat");
    EXPECT_EQ(SplitLines(early).size(), 71u + 12u);
    WaitForRepeats(s);
    const std::string whole = report("whole.dat");
    EXPECT_EQ(whole, Golden("whole_road.dat", whole));
    EXPECT_EQ(SplitLines(whole).size(), 71u + 12u);
    EXPECT_EQ(whole.find("not calculated"), std::string::npos);
}
