// The report: its text byte for byte after a real road, its line rules, the
// dialog and completeness check, and the file written onto every kind of
// target or refused with the reason.
#include "report/report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/random.h"
#include "headless.h"
#include "output_targets.h"

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
// layout, where item 8 is the N sampling units and items 34, 38 and 47 are
// six-line blocks) plus `within` lines.
size_t At(int item, int N, int within = 0) {
    int line = item <= 8 ? item : item + N - 1;
    if (item > 34) line += 5;
    if (item > 38) line += 5;
    if (item > 47) line += 5;
    return static_cast<size_t>(line - 1 + within);
}

void SetColumn(Grid& g, int32_t col, const std::vector<std::string>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) g.SetCell(col, static_cast<int32_t>(i) + 1, rows[i]);
}

// Only a manual size: what a user has after trimming and one slider move.
Workspace ManualOnly() {
    Workspace ws;
    Form_Load(ws);
    SetColumn(ws.sprMain, 1, {"12.5", "13", "11.75", "14"});
    ws.txtSampleMean.text = "12.813";
    ws.txtSampleStDev.text = ".966";
    ws.txtSampleN.text = "4";
    ws.txtOrvoStDev.text = ".966";
    ws.txtOrvoStErr.text = ".483";
    ws.TrimmedTable.V = 250;
    ws.TrimmedTable.P = 5;
    ws.TrimmedTable.means.Resize(4, 251);
    ws.TrimmedTable.sds.Resize(4, 251);
    ws.Text4.text = "3";
    SetColumn(ws.sprRep, 1, {"12.8125", "13.25", "12.375", ".9", "1.2", ".5"});
    ws.Text1.text = "1";
    return ws;
}

TEST(Report, LineRules) {
    Workspace ws = ManualOnly();
    ws.StatusBar1[2].text = "pilot é.xls";
    ws.Text3.text = "7";
    SetColumn(ws.sprReport, 2, {"", "", "12.5", "10.123456", "12.8126", "-3"});
    SetColumn(ws.sprReport, 3, {"", "", "-0.25", "0.5"});
    ws.sprReport.SetCell(2, 12, "27");
    SetColumn(ws.sprRep, 2, {"1e-5", "123456.123456", "-2.5", "", "x", "0.00004"});
    const auto lines = SplitLines(BuildReport(ws, "d", "t"));
    const int N = 4;
    struct Case {
        size_t index;
        const char* text;
    } cases[] = {
        {At(4, N), "Name of the opened file: pilot é.xls"},
        {At(26, N), "Automatic sample size: 7"},
        {At(29, N), "Up-left line: y = 12.5 -.25 * x"},
        {At(30, N), "Down-left line: y = 10.123 +.5 * x"},
        {At(31, N), "Up-right line: y = 12.813"},
        {At(32, N), "Down-right line: y = -3."},
        {At(34, N, 0), "Average mean: ."},
        {At(34, N, 1), "Maximum mean: 123456.1235"},
        {At(34, N, 2), "Minimum mean: -2.5"},
        {At(34, N, 3), "Average standard deviation: not calculated"},
        {At(34, N, 4), "Maximum standard deviation: x"},
        {At(34, N, 5), "Minimum standard deviation: ."},
        {At(45, N), "Student-t sample size: 27"},
        {At(48, N), kStars.c_str()},
    };
    ASSERT_EQ(lines.size(), 62u + N);
    for (const auto& c : cases) EXPECT_EQ(lines[c.index], c.text) << "index " << c.index;
}

TEST(Report, ManualSizeRoundsHalfToEven) {
    for (auto [text4, size] :
         {std::pair{"12", "12"}, {"12.5", "12"}, {"13.5", "14"}, {"12.51", "13"}}) {
        Workspace ws = ManualOnly();
        ws.Text4.text = text4;
        EXPECT_EQ(SplitLines(BuildReport(ws, "", ""))[At(36, 4)],
                  std::string("Manual sample size: ") + size);
    }
}

TEST(Report, ConfigurationIsTheOneTheResultsCameFrom) {
    Workspace ws = ManualOnly();
    ws.txtLimite.text = "999";  // edited after the trimming
    ws.txtPerc.text = "12";
    auto lines = SplitLines(BuildReport(ws, "", ""));
    EXPECT_EQ(lines[At(20, 4)], "Virtual samples number: 250");
    EXPECT_EQ(lines[At(21, 4)], "Trimming: 5 %");
    // No trimmed tables at all: the boxes are all there is.
    ws.TrimmedTable = {};
    lines = SplitLines(BuildReport(ws, "", ""));
    EXPECT_EQ(lines[At(20, 4)], "Virtual samples number: 999");
    EXPECT_EQ(lines[At(21, 4)], "Trimming: 12 %");
}

TEST(Report, LineCountFollowsTheUnits) {
    for (int32_t n : {3, 17, 500}) {
        Workspace ws = ManualOnly();
        ws.sprMain.ClearAll();
        for (int32_t i = 1; i <= n; ++i) ws.sprMain.SetCell(1, i, "u" + std::to_string(i));
        const auto lines = SplitLines(BuildReport(ws, "", ""));
        ASSERT_EQ(lines.size(), 62u + n);
        EXPECT_EQ(lines[6], "SAMPLING UNITS:");
        EXPECT_EQ(lines[7 + n - 1], "u" + std::to_string(n));
        EXPECT_EQ(lines[7 + n], "");
    }
}

using Folder = test::TestFolder;

TEST(ReportCommand, DialogThenCompletenessCheck) {
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
        Workspace ws = ManualOnly();
        if (!c.manual) ws.Text4.text.clear();
        ScriptedPlatform ui;
        if (c.answer) ui.files.push_back(*c.answer ? c.answer : file);
        ASSERT_TRUE(RunCommand(ws, ui, Command::ConfigurationAndResults));
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
            EXPECT_EQ(test::ReadAllBytes(file), BuildReport(ws, ui.dateText, ui.timeText));
        }
    }
}

// Through the toolbar's Export, onto every kind of target: the report lands,
// or the window says why and the target is left as it was.
TEST(ReportCommand, ExportWritesEveryKindOfTargetOrSaysWhy) {
    for (test::TargetKind kind : test::kTargetKinds) {
        SCOPED_TRACE(test::KindName(kind));
        Folder dir;
        test::OutputTarget target(kind, dir.path / "r.dat");
        if (!target.Skip().empty()) {
            std::cout << "[  SKIPPED ] " << test::KindName(kind) << ": " << target.Skip() << '\n';
            continue;
        }
        Workspace ws = ManualOnly();
        ScriptedPlatform ui;
        ui.dateText = "7/12/26";
        ui.timeText = "01:02:03";
        ui.files.push_back(target.Path());
        ASSERT_TRUE(Toolbar1_ButtonClick(ws, ui, "Export"));
        if (target.Refused()) {
            test::ExpectOnlyMessage(ui,
                                    std::string(kReportNotWrittenMessage) + "\r\r" + target.Path() +
                                        "\r" + test::ExpectedRefusal(kind),
                                    MsgIcon::Critical);
        } else if (target.Readable()) {
            EXPECT_EQ(target.Landed(), BuildReport(ws, "7/12/26", "01:02:03"));
        }
        EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
        target.ExpectIntact();
    }
    // A folder that does not exist is named.
    Folder dir;
    Workspace ws = ManualOnly();
    ScriptedPlatform ui;
    const std::string file = (dir.path / "none" / "r.dat").string();
    ui.files.push_back(file);
    ASSERT_TRUE(RunCommand(ws, ui, Command::ConfigurationAndResults));
    test::ExpectOnlyMessage(ui,
                            std::string(kReportNotWrittenMessage) + "\r\r" + file +
                                "\rThe folder " + (dir.path / "none").string() + " does not exist",
                            MsgIcon::Critical);
    EXPECT_TRUE(dir.Names().empty());
}

TEST(ReportCommand, UnreadableManualSizeIsAnUnexpectedError) {
    Folder dir;
    Workspace ws = ManualOnly();
    ws.Text4.text = "three";
    ScriptedPlatform ui;
    ui.files.push_back((dir.path / "r.dat").string());
    ASSERT_TRUE(RunCommand(ws, ui, Command::ConfigurationAndResults));
    EXPECT_EQ(ui.LastMessage(), kUnexpectedErrorMessage);
    EXPECT_TRUE(dir.Names().empty());
}

// A small typed pre-sample taken down the whole road; the reports after the
// manual size alone and after Automatic and Student-t are compared with the
// stored ones byte for byte. The generation's random source is the program's
// own, unseeded, so a fresh start always draws the same virtual samples.
struct Road {
    Workspace ws;
    ScriptedPlatform ui;
    RandomSource rng;
    Folder dir;
    Road() {
        Form_Load(ws);
        const char* units[] = {"12.4", "15.1", "9.8",  "13.3", "11.0", "14.6",
                               "10.7", "12.9", "16.2", "11.8", "13.7", "10.2"};
        for (int32_t i = 0; i < 12; ++i) ws.sprMain.SetCell(1, i + 1, units[i]);
        EXPECT_TRUE(ComputePreSampleStats(ws, ui));
        ws.txtLimite.text = "40";
        ui.dateText = "07/12/2026";
        ui.timeText = "10:41:07";
    }
    std::string Report(const std::string& name) {
        const fs::path file = dir.path / name;
        ui.files.push_back(file.string());
        EXPECT_TRUE(RunCommand(ws, ui, Command::ConfigurationAndResults));
        return test::ReadAllBytes(file);
    }
};

// The stored report; with VELTA_WRITE_GOLDEN set to a folder, the report
// made now is also written there, for review when the output changes.
std::string Golden(const std::string& name, const std::string& made) {
    if (const char* out = std::getenv("VELTA_WRITE_GOLDEN"))
        std::ofstream(fs::path(out) / name, std::ios::binary) << made;
    return test::ReadAllBytes(fs::path(VELTA_TEST_DATA_DIR) / "reports" / name);
}

}  // namespace

TEST(ReportGolden, WholeRoadOfATypedPreSample) {
    Road road;
    Workspace& ws = road.ws;
    RunGeneration(ws, road.ui, road.rng);
    ASSERT_TRUE(RunCommand(ws, road.ui, Command::Trim));
    ASSERT_TRUE(RunSlider(ws, road.ui, 6));
    ASSERT_TRUE(road.ui.messages.empty()) << road.ui.LastMessage();
    EXPECT_EQ(ws.TrimmedTable.P, 5);
    // Boxes edited after the trimming do not change the configuration the
    // report states: 40 virtual samples trimmed at 5 %.
    ws.txtLimite.text = "999";
    ws.txtPerc.text = "9";
    const std::string manualOnly = road.Report("manual.dat");
    EXPECT_EQ(manualOnly, Golden("manual_only.dat", manualOnly));

    ASSERT_TRUE(RunCommand(ws, road.ui, Command::Automatic));
    ASSERT_EQ(road.ui.messages.size(), 1u);
    EXPECT_EQ(road.ui.messages[0].icon, MsgIcon::Information);
    ASSERT_TRUE(RunSlider(ws, road.ui, 8));
    ws.Text1.text = "2";
    ASSERT_TRUE(RunCommand(ws, road.ui, Command::StudentT));
    ASSERT_EQ(road.ui.messages.size(), 1u) << road.ui.LastMessage();
    const std::string whole = road.Report("whole.dat");
    EXPECT_EQ(whole, Golden("whole_road.dat", whole));
    EXPECT_EQ(SplitLines(whole).size(), 62u + 12u);
    EXPECT_EQ(whole.find("not calculated"), std::string::npos);
}
