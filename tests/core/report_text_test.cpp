// The report: its text byte for byte after a real road, its line rules from
// the analysis, and the command's dialog and completeness check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "commands/repeats.h"
#include "commands/write_report.h"
#include "io/report.h"
#include "road.h"
#include "test_folder.h"

using namespace velta;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    EXPECT_EQ(from, text.size()) << "text after the last CR LF";
    return lines;
}

// A session trimmed by hand, of four units 1 .. 4, with a manual size of 3.
Session ManualOnly() {
    Session s = test::HandTrimmed(4, 250, 1, [](int32_t, int32_t, bool) { return 0.0; });
    s.analysis.SetManual({3, {12.8125, 13.25, 12.375, 0.9, 1.2, 0.5, 0.5}, std::nullopt, false});
    s.inputs.maxError = "1";
    return s;
}

// The report of a session of N units has its layout's 71 + N lines, the
// given ones among them.
void ExpectLines(const Session& s, int N, const std::vector<std::string>& want) {
    const auto lines = SplitLines(BuildReport(s.analysis, s.inputs, "d", "t"));
    ASSERT_EQ(lines.size(), 71u + N);
    for (const std::string& text : want)
        EXPECT_NE(std::find(lines.begin(), lines.end(), text), lines.end()) << text;
}

// The stored report; with VELTA_WRITE_GOLDEN set to a folder, the report
// made now is also written there, for review when the output changes.
std::string Golden(const std::string& name, const std::string& made) {
    if (const char* out = std::getenv("VELTA_WRITE_GOLDEN"))
        std::ofstream(fs::path(out) / name, std::ios::binary) << made;
    return test::ReadAllBytes(fs::path(VELTA_TEST_DATA_DIR) / "reports" / name);
}

}  // namespace

// The rules of the report's lines against a stored report: the lines in n
// with each sign written once and no lone points or noise, four decimals
// in the statistics, a tie rounded to even, a Student-t size beyond the
// pre-sample's sizes, the repeats and the seed of the generation (the
// layout's line count is checked below).
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
    const std::string made = BuildReport(s.analysis, s.inputs, "d", "t");
    EXPECT_EQ(made, Golden("line_rules.dat", made));
}

// Nothing generated yet: the boxes are all there is; the file line says
// which column, its header and the cells skipped.
TEST(ReportLines, TheBoxesOfStagesNotRunYetAndTheFileLine) {
    for (const auto& [source, line] :
         {std::pair{PilotSource{"a.xls", "", 0, ""}, "a.xls (column A)"},
          {PilotSource{"f.xlsx", "", 1, "CO2 flux", 3},
           "f.xlsx (column B \"CO2 flux\"; 3 cells skipped as missing values)"},
          {PilotSource{"f.csv", "", 0, "", 1},
           "f.csv (column A; 1 cell skipped as missing values)"}}) {
        Session bare;
        bool finite = false;
        bare.analysis.SetPilot(MakePilot({"1", "2", "3"}, {1, 2, 3}, source, finite));
        bare.inputs.virtualSamples = "999";
        bare.inputs.trimPercent = "12";
        ExpectLines(bare, 3,
                    {std::string("Name of the opened file: ") + line, "Virtual samples number: 999",
                     "Trimming: 12 %", "Manual sample size: "});
    }
}

// The toolbar's Export asks for a file, checks that every result is there
// and says why a report could not be written.
TEST(WriteReport, DialogThenCompletenessCheck) {
    test::TestFolder dir;
    const std::string file = (dir.path / "r.dat").string();
    const std::string lost = (dir.path / "none" / "r.dat").string();
    for (const auto& [answer, manual, message] :  // no answer: the dialog cancelled
         {std::tuple<std::string, bool, std::string>{"", true, ""},
          {"*.dat", true, ""},
          {file, false, kIncompleteResultsMessage},
          {lost, true,
           std::string(kReportNotWrittenMessage) + "\r\r" + lost + "\rThe folder " +
               (dir.path / "none").string() + " does not exist"},
          {file, true, ""}}) {
        Session s = ManualOnly();
        if (!manual) s.analysis.SetTrimming(*s.analysis.trimming());
        ScriptedPlatform ui;
        if (!answer.empty()) ui.files.push_back(answer);
        ASSERT_TRUE(RunToolbarKey(s, ui, "Export"));
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        const auto& r = ui.fileRequests[0];
        EXPECT_EQ(std::tuple(r.title, r.filter, r.fileName, r.save),
                  std::tuple("VELTA - Save a REPORT FILE", "Config and Results file (*.dat)|*.dat",
                             "*.dat", true));
        if (!message.empty()) test::ExpectOnlyMessage(ui, message, MsgIcon::Critical);
        EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
        EXPECT_EQ(dir.Names().size(), answer == file && message.empty() ? 1u : 0u);
    }
}

// A small typed pilot taken down the whole road; the reports after the
// manual size alone and after Automatic and Student-t are compared with the
// stored ones byte for byte. The generation's random source starts where a
// fresh program starts, so the same virtual samples are always drawn.
TEST(WriteReport, WholeRoadOfATypedPilotAgainstTheStoredReports) {
    test::TestFolder dir;
    test::Road r(12, "40", [](int32_t i) {
        static const double units[] = {12.4, 15.1, 9.8,  13.3, 11.0, 14.6,
                                       10.7, 12.9, 16.2, 11.8, 13.7, 10.2};
        return units[i - 1];
    });
    r.ui.dateText = "07/12/2026";
    r.ui.timeText = "10:41:07";
    auto report = [&](const std::string& name) {
        r.ui.files.push_back((dir.path / name).string());
        EXPECT_TRUE(r.Run(Command::WriteReport));
        return test::ReadAllBytes(dir.path / name);
    };
    r.Trimmed();
    ASSERT_TRUE(r.Slide(6));
    ASSERT_TRUE(r.ui.messages.empty()) << r.ui.LastMessage();
    // Boxes edited after the trimming do not change the configuration the
    // report states: 40 virtual samples trimmed at 5 %.
    r.s.inputs.virtualSamples = "999";
    r.s.inputs.trimPercent = "9";
    const std::string manualOnly = report("manual.dat");
    EXPECT_EQ(manualOnly, Golden("manual_only.dat", manualOnly));

    ASSERT_TRUE(r.Run(Command::Automatic));
    ASSERT_TRUE(r.Slide(8));
    r.s.inputs.maxError = "2";
    ASSERT_TRUE(r.Run(Command::StudentT));
    ASSERT_EQ(r.ui.messages.size(), 1u) << r.ui.LastMessage();
    // Written while the repeats of the automatic size work, the report says
    // so; once they are done, it gives their spread.
    EXPECT_EQ(SplitLines(report("early.dat")).size(), 71u + 12u);
    WaitForRepeats(r.s);
    const std::string whole = report("whole.dat");
    EXPECT_EQ(whole, Golden("whole_road.dat", whole));
}
