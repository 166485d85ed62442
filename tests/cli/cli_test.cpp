// velta-cli run in-process: refusals (status 2) and failures (status 1) say
// why and write nothing but the JSON; the inputs, outputs and messages; and
// one whole analysis equal to the window's commands driven the same way.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cases.h"
#include "cli/batch_platform.h"
#include "cli/options.h"
#include "cli/tables.h"
#include "commands/automatic.h"
#include "commands/command_table.h"
#include "commands/repeats.h"
#include "platform/scripted/scripted_platform.h"
#include "test_folder.h"
#include "view/window_view.h"

using namespace velta;
using namespace velta::cli;
namespace fs = std::filesystem;
using nlohmann::json;
using test::ReadAllBytes;

namespace {

const std::string kRoot = VELTA_SOURCE_DIR;
const std::string kPilot = kRoot + "/examples/pilot_sample.xls";
const std::string kCampaign = kRoot + "/examples/campaign.xlsx";
const std::string kSheets = kRoot + "/tests/data/spreadsheets";
// Few samples and no repeats, where the outputs are what is tested.
const std::vector<std::string> kQuickPilot = {kPilot, "-V",           "250", "--seed",
                                              "2",    "--replicates", "0",   "-q"};

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Stands in for the window's chart drawing: the bytes name the format.
bool FakeChart(const ChartPicture&, const std::string& format, int, int, std::string& bytes,
               std::string&) {
    bytes = "chart as " + format;
    return true;
}

CliRun Cli(std::vector<std::string> args, const std::string& input = "",
           const ChartRenderer& renderChart = {}) {
    args.insert(args.begin(), "velta-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status =
        RunCli(static_cast<int>(argv.size()), argv.data(), {in, out, err, false}, renderChart);
    return {status, out.str(), err.str()};
}

// The JSON document a run sends to standard output.
json CliJson(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.end(), {"--json", "-"});
    return json::parse(Cli(args, input).out);
}

// A case's text with $PILOT, $CAMPAIGN, $SHEETS and $ROOT replaced.
std::string Expand(std::string text) {
    for (const auto& [token, value] : {std::pair<std::string, std::string>{"$PILOT", kPilot},
                                       {"$CAMPAIGN", kCampaign},
                                       {"$SHEETS", kSheets},
                                       {"$ROOT", kRoot}})
        for (size_t at; (at = text.find(token)) != std::string::npos;)
            text.replace(at, token.size(), value);
    return text;
}

// A case's arguments: its words, expanded.
std::vector<std::string> Args(const std::string& text) {
    std::vector<std::string> args;
    std::istringstream words(Expand(text));
    for (std::string w; words >> w;) args.push_back(w);
    return args;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Cli, EveryRefusalOrFailureSaysWhyWithItsStatusAndWritesNothingButTheJson) {
    test::TestFolder tmp;
    const std::string out = tmp.path / "out.json", rep = tmp.path / "r.dat";
    for (const auto& [file, status] : {std::pair{"cli_refusals.txt", 2}, {"cli_failures.txt", 1}})
        for (const test::Case& c : test::ReadCases(file)) {
            std::vector<std::string> args = Args(c[0]);
            auto has = [&](const char* o) { return std::ranges::find(args, o) != args.end(); };
            if (!has("--json") && !has("--report") && !has("--tables") && !args.empty())
                args.insert(args.end(), {"--report", rep, "--json", out});
            args.push_back("-q");  // refusals are said all the same
            const CliRun r = Cli(args, c.size() > 2 ? c[2] : "");
            const std::string& all = c[0];
            const std::string says = Expand(c[1]);
            EXPECT_EQ(r.status, status) << all << "\n" << r.err;
            EXPECT_TRUE(Has(r.err, says)) << all << "\n" << r.err;
            // Nothing but, once the input was read, a whole JSON document that
            // tells the same status, and Open's refusal among its messages.
            EXPECT_FALSE(fs::exists(rep) || fs::exists("-q") || fs::exists("--quiet")) << all;
            EXPECT_EQ(tmp.Names().size(), fs::exists(out) ? 1u : 0u) << all;
            if (!fs::exists(out)) continue;
            const json j = json::parse(ReadAllBytes(out));
            EXPECT_EQ(j["exitStatus"], status) << all;
            if (j["results"].empty() && !j["inputMessages"].empty()) {
                const json& m = j["inputMessages"].back();
                EXPECT_EQ(m["command"], "Open") << all;
                const size_t title = says.starts_with("VELTA (") ? says.find(": ") + 2 : 0;
                EXPECT_TRUE(Has(m["text"], says.substr(title))) << m.dump();
            }
            fs::remove(out);
        }
}

// Input from standard input (with --yes), typed values, a sheet by number or
// by name, and a column with missing values, whose cells are in the JSON and
// said on standard error (an information, which --quiet keeps off).
TEST(Cli, InputFromStdinValuesSheetsAndColumnsWithMissingValues) {
    const json p = CliJson({"-", "-q"}, "1\n2\n\n3\n4\n5\n")["results"][0];
    // The acceptance capped the 250 virtual samples to the maximum, 10.
    EXPECT_EQ(json({p["input"]["N"], p["input"]["file"], p["preSample"]["texts"]["mean"],
                    p["preSample"]["texts"]["jackknifeSeMean"], p["generation"]["V"]}),
              json({5, nullptr, "3", "0.707", 10}));
    EXPECT_NEAR(p["preSample"]["sd"].get<double>(), 1.58113883, 1e-8);
    const json typed = CliJson({"--values", "1", "2", "3", "4", "5", "-q"});
    EXPECT_EQ(typed["results"][0]["preSample"], p["preSample"]);
    // 20 units allow 184,756 distinct samples, one fewer than asked for: --yes
    // answers the question.
    std::string units;
    for (int i = 1; i <= 20; ++i) units += std::to_string(i) + "\n";
    const json yes = CliJson({"-", "-V", "184757", "--yes", "--replicates", "0", "-q"}, units);
    const json& y = yes["results"][0];
    EXPECT_EQ(json({y["generation"]["V"], y["steps"][1]["status"], y["messages"][0]["answer"]}),
              json({184757, "done", "Yes"}));

    const std::string workbook = kSheets + "/three_sheets.ods";
    const json byNumber = CliJson({workbook, "--sheet", "2", "-q"})["results"][0];
    ASSERT_TRUE(byNumber["input"]["sheet"].is_string());
    const json byName = CliJson({workbook, "--sheet", byNumber["input"]["sheet"], "-q"});
    EXPECT_EQ(byName["results"][0]["input"], byNumber["input"]);

    const CliRun r = Cli({kSheets + "/missing_values.xlsx", "--replicates", "0", "--json", "-"});
    const json m = json::parse(r.out)["results"][0];
    EXPECT_EQ(json({m["input"]["N"], m["input"]["header"], m["messages"][0]["kind"]}),
              json({8, "Girth", "information"}));
    EXPECT_EQ(m["input"]["missingValues"],
              json({{"count", 6}, {"cells", {"A4", "A6", "A8", "A10", "A12", "A14"}}}));
    EXPECT_TRUE(Has(r.err, "6 cells were skipped as missing values")) << r.err;
}

// A column as a single-column run would size it, a line of the table each;
// a message on standard error names its column, and texts that point at the
// window's controls point at options there, while the JSON keeps the
// window's words.
TEST(Cli, AllColumnsSizesEachColumnAndNamesItInTheCommandLinesWords) {
    test::TestFolder tmp;
    const json single =
        CliJson({kCampaign, "--max-error", "2", "--replicates", "0", "--column", "B", "-q"});
    const CliRun r = Cli({kCampaign, "--max-error", "2", "--replicates", "0", "--all-columns",
                          "--json", tmp.path / "all.json"});
    EXPECT_EQ(r.status, 0);  // every column gets all three sizes
    const json all = json::parse(ReadAllBytes(tmp.path / "all.json"))["results"];
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1], single["results"][0]);
    EXPECT_EQ(json({all[1]["input"]["header"], all[1]["input"]["column"], all[1]["input"]["N"]}),
              json({"Trunk diameter (cm)", "B", 20}));
    // A Student-t size beyond the pilot's sizes is an answer, said once.
    EXPECT_EQ(r.out, ReadAllBytes(kRoot + "/tests/data/cli/campaign_all_columns.txt"));
    EXPECT_EQ(r.err, ReadAllBytes(kRoot + "/tests/data/cli/campaign_all_columns_stderr.txt"));
    EXPECT_EQ(all[0]["messages"][0]["text"], kTrySliderMessage);
    const json& student = all[1]["studentT"];
    EXPECT_EQ(
        json({student["size"], student["withinCharts"], student["statistics"], student["reason"]}),
        json({41, false, nullptr, nullptr}));
}

TEST(Cli, TablesHaveOneLinePerGeneratedSizeAndOneColumnPerSample) {
    Table2D t(6, 4);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 4; ++c) t(r, c) = r + c / 10.0;
    // N = 6: charted rows 0 .. 3; with Jump 2 only rows 1 and 3 hold data.
    EXPECT_EQ(TableCsv(t, 6, 3, 1),
              "size,v1,v2,v3\n2,0,0.1,0.2\n3,1,1.1,1.2\n4,2,2.1,2.2\n5,3,3.1,3.2\n");
    EXPECT_EQ(TableCsv(t, 6, 3, 2), "size,v1,v2,v3\n3,1,1.1,1.2\n5,3,3.1,3.2\n");
}

// Every output of one whole analysis against the window's commands driven
// the same way, after other generations: the seed alone makes the clouds.
TEST(Cli, AWholeAnalysisEqualsTheWindowsInEveryOutput) {
    test::TestFolder tmp;
    const CliRun r = Cli({kPilot, "-V", "2000", "--seed", "7", "--trim", "5", "--max-error", "1",
                          "--replicates", "5", "--json", tmp.path / "r.json", "--report",
                          tmp.path / "r.dat", "--tables", tmp.path});
    ASSERT_EQ(r.status, 0) << r.err;
    const json res = json::parse(ReadAllBytes(tmp.path / "r.json"))["results"][0];

    Session s;
    ScriptedPlatform ui;
    ui.files = {kPilot};
    ASSERT_TRUE(RunCommand(s, ui, Command::Open));
    s.inputs.virtualSamples = "2000";
    s.inputs.seed = "123";
    ASSERT_TRUE(RunCommand(s, ui, Command::Generate));
    s.inputs.seed = "7";
    s.inputs.maxError = "1";
    s.repeats = 5;
    for (Command c : {Command::Generate, Command::Trim, Command::Automatic, Command::StudentT})
        ASSERT_TRUE(RunCommand(s, ui, c));
    WaitForRepeats(s);

    const WindowView v = WindowViewOf(s);
    const Generation& g = *s.analysis.generation();
    const json& gen = res["generation"];
    EXPECT_EQ(
        json({res["preSample"]["texts"]["mean"], res["preSample"]["texts"]["sd"], gen["Jump"],
              res["trimming"]["done"], gen["meansAxis"], gen["sdsAxis"]}),
        json({v.mean, v.sd, g.jump, v.trimmed, json::array({g.meansAxis.lower, g.meansAxis.upper}),
              json::array({g.sdsAxis.lower, g.sdsAxis.upper})}));
    EXPECT_EQ(ReadAllBytes(tmp.path / "means.csv"),
              TableCsv(g.tables->means, 24, g.samples, g.jump));
    EXPECT_EQ(ReadAllBytes(tmp.path / "sds.csv"), TableCsv(g.tables->sds, 24, g.samples, g.jump));
    auto sizeOf = [](const json& j) { return j.is_null() ? "" : std::to_string(j.get<int>()); };
    EXPECT_EQ(sizeOf(res["automatic"]["size"]), v.automaticSize);
    EXPECT_EQ(res["manual"].is_null() ? "" : sizeOf(res["manual"]["size"]), v.manualSize);
    EXPECT_EQ(res["studentT"]["succeeded"] == true ? sizeOf(res["studentT"]["size"]) : "",
              v.studentTSize);
    // Every message the window showed, in order, with its title.
    std::vector<std::string> windowTexts, cliTexts;
    for (const auto& m : ui.messages) windowTexts.push_back(PlainText(m.text));
    for (const auto& m : res["messages"]) cliTexts.push_back(m["text"]);
    EXPECT_EQ(cliTexts, windowTexts);

    // The window's repeats, in the JSON and the report.
    ASSERT_TRUE(s.analysis.repeats());
    json sizes = json::array();
    for (const auto& size : s.analysis.repeats()->sizes)
        sizes.push_back(size ? json(*size) : json(nullptr));
    EXPECT_EQ(res["automatic"]["repeats"]["sizes"], sizes);
    EXPECT_TRUE(Has(ReadAllBytes(tmp.path / "r.dat"), "Repeats of the automatic procedure: 5\r\n"));
}

// Each output goes to its file, or with "-" to standard output, which then
// carries nothing else. The file writer itself is tested on every kind of
// target in the core tests.
TEST(Cli, OutputsGoToTheirFilesOrAloneToStandardOutput) {
    for (const test::Case& c : test::ReadCases("cli_outputs.txt")) {
        test::TestFolder tmp;
        std::vector<std::string> args = kQuickPilot;
        for (std::string a : Args(c[0]))
            args.push_back(a.starts_with("$TMP") ? a.replace(0, 4, tmp.path.string()) : a);
        const CliRun r = Cli(args, "", FakeChart);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.out.starts_with(c[1])) << c[0] << "\n" << r.out.substr(0, 200);
        EXPECT_EQ(Has(r.out, "\nA Leaf length (mm)  24  "), c[0].empty()) << r.out.substr(0, 200);
        for (size_t i = 2; i + 1 < c.size(); i += 2)
            EXPECT_TRUE(ReadAllBytes(tmp.path / c[i]).starts_with(c[i + 1])) << c[i];
    }
}

// --quiet keeps information and questions answered Yes off standard error,
// but not warnings, refusals (which have no icon) or a question answered No.
TEST(BatchPlatform, QuietKeepsOffOnlyInformationAndQuestionsAnsweredYes) {
    const std::map<std::string, MsgIcon> icons = {{"none", MsgIcon::None},
                                                  {"warning", MsgIcon::Exclamation},
                                                  {"information", MsgIcon::Information}};
    for (const test::Case& c : test::ReadCases("batch_messages.txt")) {
        const bool question = c[0] == "YesNo", yes = Has(c[3], "yes");
        const MsgAnswer answer = !question ? MsgAnswer::Ok : yes ? MsgAnswer::Yes : MsgAnswer::No;
        std::ostringstream err;
        BatchPlatform ui(err, yes, Has(c[3], "quiet"), false);
        EXPECT_EQ(ui.MessageBox("a\rb\r", question ? MsgButtons::YesNo : MsgButtons::Ok,
                                icons.at(c[1]), c[2]),
                  answer);
        EXPECT_EQ(err.str(), c[4]) << c[0] << " " << c[1] << " " << c[3];
        EXPECT_EQ(ui.unansweredQuestion, answer == MsgAnswer::No);
    }
}

TEST(Options, ColumnsByLetterOrNumber) {
    for (const test::Case& c : test::ReadCases("cli_columns.txt")) {
        EXPECT_EQ(ColumnFromText(c[0]), std::stoi(c[1])) << c[0];
        if (c.size() > 2) {
            EXPECT_EQ(ColumnLetter(std::stoi(c[1])), c[2]);
        }
    }
}
