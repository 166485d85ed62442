// velta-cli run in-process: option checking (every bad value ends in status
// 2 and no output file), input from files, sheets, columns and standard
// input, --yes and the generation's questions, seeds, the CSV tables, every
// output onto every kind of target, standard output, the exit status of a
// failed procedure, the messages on standard error, and results equal to
// those of the window's commands driven the same way.
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "commands/command_table.h"
#include "view/window_view.h"
#include "cli/batch_platform.h"
#include "cli/options.h"
#include "cli/tables.h"
#include "analysis/random.h"
#include "commands/automatic.h"
#include "commands/repeats.h"
#include "commands/student_t.h"
#include "data/spreadsheet_commands.h"
#include "cases.h"
#include "output_targets.h"
#include "platform/scripted/scripted_platform.h"

using namespace velta;
using namespace velta::cli;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string kRoot = VELTA_SOURCE_DIR;
const std::string kPilot = kRoot + "/examples/pilot_sample.xls";
const std::string kCampaign = kRoot + "/examples/campaign.xlsx";
const std::string kSheets = kRoot + "/tests/data/spreadsheets";

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
    CliRun r;
    r.status =
        RunCli(static_cast<int>(argv.size()), argv.data(), {in, out, err, false}, renderChart);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// The JSON document of a run; expectedStatus -1 leaves the status unchecked.
json CliJson(std::vector<std::string> args, int expectedStatus, const std::string& input = "") {
    args.push_back("--json");
    args.push_back("-");
    const CliRun r = Cli(args, input);
    if (expectedStatus >= 0) {
        EXPECT_EQ(r.status, expectedStatus) << r.err;
    }
    return json::parse(r.out);
}

// A scratch folder of its own for each test.
struct Scratch {
    fs::path dir;
    Scratch() {
        dir = fs::temp_directory_path() /
              ("velta_cli_test_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string operator/(const std::string& name) const { return (dir / name).string(); }
    size_t Files() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
};

std::string ReadFile(const std::string& path) {
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

// A case's text with $PILOT, $CAMPAIGN, $SHEETS and $ROOT replaced, split at
// spaces into arguments (or not).
std::vector<std::string> Expand(std::string text, bool split = true) {
    for (const auto& [token, value] : {std::pair<std::string, std::string>{"$PILOT", kPilot},
                                       {"$CAMPAIGN", kCampaign}, {"$SHEETS", kSheets}, {"$ROOT", kRoot}})
        for (size_t at; (at = text.find(token)) != std::string::npos;) text.replace(at, token.size(), value);
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; split && in >> w;) words.push_back(w);
    return split ? words : std::vector<std::string>{text};
}

// The window: Open the pilot sample, then Generate from the seed box.
void OpenAndGenerate(Session& s, ScriptedPlatform& ui) {
    s = Session();
    ui.files = {kPilot};
    ASSERT_TRUE(RunCommand(s, ui, Command::Open));
    ASSERT_TRUE(RunCommand(s, ui, Command::Generate));
}

}  // namespace

TEST(Cli, EveryBadOptionOrInputEndsWithStatus2AndWritesNothing) {
    Scratch tmp;
    const std::string out = tmp / "out.json";
    const std::string rep = tmp / "r.dat";
    for (const test::Case& c : test::ReadCases("cli_refusals.txt")) {
        const std::vector<std::string> given = Expand(c[0]);
        std::vector<std::string> args = given;
        auto has = [&](const char* o) {
            return std::find(args.begin(), args.end(), std::string(o)) != args.end();
        };
        if (!has("--json") && !has("--report") && !has("--tables") && !args.empty())
            args.insert(args.end(), {"--report", rep, "--json", out});
        args.push_back("-q");  // refusals are said all the same
        const CliRun r = Cli(args, c.size() > 2 ? c[2] : "");
        const std::string all = c[0], says = Expand(c[1], false)[0];
        EXPECT_EQ(r.status, 2) << all << "\n" << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << all << "\n" << r.err;
        // Nothing but, once the input was read, a whole JSON document that
        // tells the same status, and Open's refusal among its messages.
        EXPECT_FALSE(fs::exists(rep)) << all;
        EXPECT_FALSE(fs::exists("-q") || fs::exists("--quiet")) << all;
        EXPECT_EQ(tmp.Files(), fs::exists(out) ? 1u : 0u) << all;
        if (fs::exists(out)) {
            const json j = json::parse(ReadFile(out));
            EXPECT_EQ(j["exitStatus"], 2) << all;
            if (j["results"].empty() && !j["inputMessages"].empty()) {
                const json& m = j["inputMessages"].back();
                EXPECT_EQ(m["command"], "Open") << all;
                const std::string text = says.substr(says.starts_with("VELTA (") ? says.find(": ") + 2 : 0);
                EXPECT_NE(m["text"].get<std::string>().find(text), std::string::npos) << m.dump();
            }
            fs::remove(out);
        }
    }
}

TEST(Cli, HelpListsEveryOptionAndExitsWithZero) {
    const CliRun help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--sheet", "--column", "--all-columns", "--virtual-samples", "--trim",
                               "--manual", "--alpha", "--max-error", "--sd", "--seed", "--report",
                               "--json", "--tables", "--chart-means", "--chart-sds", "--chart-width",
                               "--yes", "--quiet", "--version", "--values"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(Cli, QuestionsStopTheRunUnlessAnsweredYes) {
    // 20 values allow 184,756 distinct samples, 24 allow 2,704,156: more
    // than 300,000 asks the "high" question, more than the maximum the
    // "exceeds" one.
    auto units = [](int n) {
        std::string values;
        for (int i = 1; i <= n; ++i) values += std::to_string(i) + "\n";
        return values;
    };
    const struct {
        int n;
        const char* v;
        const char* question;
    } cases[] = {{24, "300001", "is high"}, {20, "184757", "exceeds the maximum number"}};
    for (const auto& c : cases) {
        const std::string values = units(c.n);
        const CliRun no = Cli({"-", "-V", c.v, "-q"}, values);
        EXPECT_EQ(no.status, 2) << no.err;
        EXPECT_NE(no.err.find(std::string("VELTA (question): The specified number of virtual "
                                          "samples ") +
                              c.question),
                  std::string::npos)
            << no.err;
        EXPECT_NE(no.err.find("-> No"), std::string::npos);
        EXPECT_NE(no.err.find("run again with --yes"), std::string::npos);

        const json yes = CliJson({"-", "-V", c.v, "--yes", "--replicates", "0", "-q"}, -1, values);
        const json& res = yes["results"][0];
        EXPECT_EQ(res["generation"]["V"], std::stoi(c.v));
        EXPECT_EQ(res["steps"][1]["status"], "done");
        EXPECT_EQ(res["messages"][0]["answer"], "Yes");
    }
}

TEST(Cli, InputFromStdinValuesAndSheetsByNameOrNumber) {
    const json piped = CliJson({"-", "-q"}, -1, "1\n2\n\n3\n4\n5\n");
    const json& p = piped["results"][0];
    EXPECT_EQ(p["input"]["N"], 5);
    EXPECT_EQ(p["input"]["file"], nullptr);
    EXPECT_EQ(p["preSample"]["texts"]["mean"], "3");
    EXPECT_EQ(p["preSample"]["texts"]["jackknifeSeMean"], "0.707");
    EXPECT_EQ(p["preSample"]["texts"]["maximumNumber"], "Maximum number: 10");
    EXPECT_NEAR(p["preSample"]["sd"].get<double>(), 1.58113883, 1e-8);
    EXPECT_EQ(p["generation"]["V"], 10);  // the acceptance capped 250 to the maximum

    const json typed = CliJson({"--values", "1", "2", "3", "4", "5", "-q"}, -1);
    EXPECT_EQ(typed["results"][0]["preSample"], p["preSample"]);

    // The same sheet by number and by name.
    for (const std::string file : {"three_sheets.xls", "three_sheets.ods"}) {
        const json byNumber = CliJson({kSheets + "/" + file, "--sheet", "2", "-q"}, -1);
        const json& r = byNumber["results"][0];
        ASSERT_FALSE(r["input"]["sheet"].is_null()) << file;
        const std::string name = r["input"]["sheet"];
        const json byName = CliJson({kSheets + "/" + file, "--sheet", name, "-q"}, -1);
        EXPECT_EQ(byName["results"][0]["input"], r["input"]) << file;
    }
}

TEST(Cli, AllColumnsSizesEveryColumnAsASingleColumnRunWould) {
    const json all = CliJson({kCampaign, "--all-columns", "-q"}, -1);
    ASSERT_EQ(all["results"].size(), 3u);
    const char* headers[] = {"Tree height (m)", "Trunk diameter (cm)", "Crown width (m)"};
    for (int c = 0; c < 3; ++c) {
        json one = CliJson({kCampaign, "--column", std::string(1, 'A' + c), "-q"}, -1);
        json& r = one["results"][0];
        EXPECT_EQ(r["input"]["header"], headers[c]);
        EXPECT_EQ(r["input"]["column"], std::string(1, 'A' + c));
        EXPECT_EQ(r["input"]["N"], 20);
        EXPECT_EQ(r, all["results"][c]) << c;
    }
    // The short table on standard output has a line per column.
    const CliRun table = Cli({kCampaign, "--all-columns", "-q"});
    for (const char* h : headers) EXPECT_NE(table.out.find(h), std::string::npos) << table.out;
}

TEST(Cli, TheSeedGivesTheWindowsCloudsWhateverRanBefore) {
    Scratch tmp;
    auto tables = [&](const std::vector<std::string>& extra, const std::string& dir) {
        std::vector<std::string> args = {kPilot, "-q", "--tables", tmp / dir};
        args.insert(args.end(), extra.begin(), extra.end());
        Cli(args);
        return ReadFile(tmp / (dir + "/means.csv"));
    };
    const std::string plain = tables({}, "plain");
    EXPECT_EQ(tables({"--seed", "5489"}, "same"), plain);
    EXPECT_NE(tables({"--seed", "7"}, "other"), plain);

    Session s;
    ScriptedPlatform ui;
    ASSERT_NO_FATAL_FAILURE(OpenAndGenerate(s, ui));
    const Generation& g = *s.analysis.generation();
    EXPECT_EQ(plain, TableCsv(g.tables->means, 24, g.samples, g.jump));
    EXPECT_EQ(ReadFile(tmp / "plain/sds.csv"), TableCsv(g.tables->sds, 24, g.samples, g.jump));
    // Other generations first, then seed 7: the command line's seed 7.
    s.inputs.seed = "123";
    ASSERT_TRUE(RunCommand(s, ui, Command::Generate));
    s.inputs.seed = "7";
    ASSERT_TRUE(RunCommand(s, ui, Command::Generate));
    const Generation& seven = *s.analysis.generation();
    EXPECT_EQ(ReadFile(tmp / "other/means.csv"),
              TableCsv(seven.tables->means, 24, seven.samples, seven.jump));
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

TEST(Cli, ResultsEqualTheWindowsForTheSameSteps) {
    const json cli = CliJson({kPilot, "--trim", "5", "--max-error", "1", "-q"}, -1);
    const json& r = cli["results"][0];

    Session s;
    ScriptedPlatform ui;
    ASSERT_NO_FATAL_FAILURE(OpenAndGenerate(s, ui));
    s.inputs.trimPercent = "5";
    RunCommand(s, ui, Command::Trim);
    RunCommand(s, ui, Command::Automatic);
    s.inputs.maxError = "1";
    RunCommand(s, ui, Command::StudentT);

    const WindowView v = WindowViewOf(s);
    const Generation& g = *s.analysis.generation();
    EXPECT_EQ(r["preSample"]["texts"]["mean"], v.mean);
    EXPECT_EQ(r["preSample"]["texts"]["sd"], v.sd);
    EXPECT_EQ(r["generation"]["Jump"], g.jump);
    EXPECT_EQ(r["generation"]["meansAxis"], json({g.meansAxis.lower, g.meansAxis.upper}));
    EXPECT_EQ(r["generation"]["sdsAxis"], json({g.sdsAxis.lower, g.sdsAxis.upper}));
    EXPECT_EQ(r["trimming"]["done"], v.trimmed);
    auto sizeOf = [](const json& j) {
        return j.is_null() ? std::string() : std::to_string(j.get<int>());
    };
    EXPECT_EQ(sizeOf(r["automatic"].value("size", json())), v.automaticSize);
    EXPECT_EQ(r["manual"].is_null() ? std::string() : sizeOf(r["manual"]["size"]), v.manualSize);
    EXPECT_EQ(r["studentT"]["succeeded"] == true ? sizeOf(r["studentT"]["size"]) : "",
              v.studentTSize);
    // Every message the window showed, in order, with its title.
    std::vector<std::string> windowTexts, cliTexts;
    for (const auto& m : ui.messages) windowTexts.push_back(PlainText(m.text));
    for (const auto& m : r["messages"]) cliTexts.push_back(m["text"]);
    EXPECT_EQ(cliTexts, windowTexts);
}

// Every output of the command line onto every kind of target: the right
// content lands, or the run stops before any work (status 2) saying why and
// the target is left as it was. The tables' target is means.csv in the folder.
TEST(Cli, EveryOutputWritesEveryKindOfTargetOrRefusesIt) {
    const struct {
        std::string option;
        std::string name;
        bool (*content)(const std::string&);
    } writers[] = {
        {"--report", "r.dat",
         [](const std::string& t) { return t.rfind(std::string(156, '*') + "\r\n", 0) == 0; }},
        {"--json", "r.json",
         [](const std::string& t) { return json::parse(t)["exitStatus"] == 0; }},
        {"--tables", "means.csv", [](const std::string& t) { return t.rfind("size,v1,", 0) == 0; }},
        {"--chart-means", "m.png", [](const std::string& t) { return t == "chart as png"; }},
    };
    for (const auto& w : writers) {
        for (test::TargetKind kind : test::kTargetKinds) {
            SCOPED_TRACE(w.option + " onto a " + test::KindName(kind));
            Scratch tmp;
            test::OutputTarget target(kind, tmp / w.name);
            if (!target.Skip().empty()) {
                std::cout << "[  SKIPPED ] " << test::KindName(kind) << ": " << target.Skip()
                          << '\n';
                continue;
            }
            const std::string given = w.option == "--tables" ? tmp.dir.string() : target.Path();
            // Few samples and no repeats: the outputs are what is tested.
            const CliRun r = Cli({kPilot, "-V", "250", "--seed", "2", "--replicates", "0", "-q",
                                  w.option, given},
                                 "", FakeChart);
            if (target.Refused()) {
                EXPECT_EQ(r.status, 2) << r.err;
                EXPECT_EQ(r.err, "velta-cli: " + w.option + " " + target.Path() + ": " +
                                     test::ExpectedRefusal(kind) + "\n");
            } else {
                EXPECT_EQ(r.status, 0) << r.err;
                if (target.Readable()) {
                    EXPECT_TRUE(w.content(target.Landed()));
                }
            }
            target.ExpectIntact();
        }
    }
}

// "-" sends an output to standard output, which then carries nothing else.
TEST(Cli, StandardOutputTakesOneOutputAndNoTable) {
    const struct {
        std::vector<std::string> args;
        std::string starts;
    } cases[] = {
        {{"--report", "-"}, std::string(156, '*') + "\r\n"},
        {{"--chart-sds", "-"}, "chart as png"},
        {{"--json", "-", "--chart-means", "m.svg"}, "{"},
        {{}, "column "},
    };
    for (const auto& c : cases) {
        Scratch tmp;
        std::vector<std::string> args = {kPilot, "-V", "250", "--seed", "2", "--replicates", "0",
                                         "-q"};
        for (const std::string& a : c.args) args.push_back(a == "m.svg" ? tmp / a : a);
        const CliRun r = Cli(args, "", FakeChart);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.rfind(c.starts, 0), 0u) << r.out.substr(0, 200);
        const bool table = r.out.find("\nA Leaf length (mm)  24  ") != std::string::npos;
        EXPECT_EQ(table, c.args.empty()) << r.out.substr(0, 200);
    }
}

// Automatic fails on a pilot too small for two breakpoints: status 1, a
// null size in the JSON, and a report that needs --manual is not written.
// A failed generation is status 1 as well.
TEST(Cli, FailedAutomaticIsStatus1WithANullSize) {
    Scratch tmp;
    const CliRun r =
        Cli({"--values", "1", "2", "3", "4", "5", "6", "--report", tmp / "r.dat", "--json", "-"});
    EXPECT_EQ(r.status, 1) << r.err;
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc["exitStatus"], 1);
    const json& automatic = doc["results"][0]["automatic"];
    EXPECT_EQ(automatic["succeeded"], false);
    ASSERT_TRUE(automatic.contains("size"));
    EXPECT_TRUE(automatic["size"].is_null());
    EXPECT_EQ(automatic["reason"], "The automatic procedure cannot succeed.");
    EXPECT_NE(r.err.find("VELTA (critical): The report needs a manual sample size: Automatic "
                         "gave none; choose one with --manual SIZE"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(tmp.Files(), 0u);
    // Given a manual size, the report is written; Automatic still failed.
    EXPECT_EQ(Cli({"--values", "1", "2", "3", "4", "5", "6", "--manual", "3", "-q", "--report",
                   tmp / "r.dat"})
                  .status,
              1);
    EXPECT_TRUE(fs::exists(tmp / "r.dat"));
    // A generation the memory cannot hold fails too (and is not attempted).
    const CliRun big = Cli({"--values", "1", "2", "3", "4", "5", "6", "-V", "2000000000", "-q"});
    EXPECT_EQ(big.status, 1) << big.err;
    EXPECT_NE(big.err.find("There is not enough memory for 2000000000 virtual samples"),
              std::string::npos)
        << big.err;
}

// With --all-columns every line on standard error names its column; texts
// that point at the window's controls point at options there, while the
// JSON keeps the window's words.
TEST(Cli, AllColumnsMessagesNameTheirColumnInTheCommandLinesWords) {
    const CliRun r = Cli({kCampaign, "--all-columns", "--max-error", "2", "--json", "-"});
    EXPECT_EQ(r.status, 0);  // every column gets all three sizes
    std::istringstream lines(r.err);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        if (line.rfind("    ", 0) == 0) continue;  // a message's second line
        EXPECT_TRUE(line.rfind("column A: ", 0) == 0 || line.rfind("column B: ", 0) == 0 ||
                    line.rfind("column C: ", 0) == 0)
            << line;
    }
    EXPECT_GE(count, 4);
    EXPECT_NE(r.err.find("column A: VELTA (information): You may try other sample sizes with "
                         "--manual SIZE (2 .. 19)\n"),
              std::string::npos)
        << r.err;
    // A Student-t size beyond the pilot's sizes is an answer, said once.
    EXPECT_NE(r.err.find("column B: VELTA (information): " + BeyondChartsMessage(41, 19) + "\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("slider"), std::string::npos);
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc["results"][0]["messages"][0]["text"], kTrySliderMessage);
    const json& student = doc["results"][1]["studentT"];
    EXPECT_EQ(student["size"], 41);
    EXPECT_EQ(student["withinCharts"], false);
    EXPECT_TRUE(student["statistics"].is_null());
    EXPECT_TRUE(student["reason"].is_null());
    // Beyond ten million units the search gives up, and says so in the
    // command line's words.
    const CliRun tiny = Cli({"--values", "1", "2", "3", "4", "5", "6", "--max-error", "1e-5"});
    EXPECT_NE(tiny.err.find("VELTA (critical): The Student-t sample size would exceed 10,000,000: "
                            "the Max. accepted error is too small for this standard deviation. "
                            "Try a higher --max-error\n"),
              std::string::npos)
        << tiny.err;
}

TEST(BatchPlatform, PrintsEachMessageWithTitleAndKindAndAnswersQuestionsPerYes) {
    const struct {
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
        bool yes;
        bool quiet;
        MsgAnswer answer;
        std::string printed;
    } cases[] = {
        {MsgButtons::Ok, MsgIcon::Critical, "VELTA", false, false, MsgAnswer::Ok,
         "VELTA (critical): a\n    b\n"},
        {MsgButtons::Ok, MsgIcon::None, "", false, false, MsgAnswer::Ok,
         "VELTA (message): a\n    b\n"},
        {MsgButtons::Ok, MsgIcon::Exclamation, "VELTA", false, true, MsgAnswer::Ok,
         "VELTA (warning): a\n    b\n"},
        // The import's refusals have no icon: --quiet keeps them.
        {MsgButtons::Ok, MsgIcon::None, "Result", false, true, MsgAnswer::Ok,
         "Result (message): a\n    b\n"},
        {MsgButtons::Ok, MsgIcon::Information, "VELTA", false, true, MsgAnswer::Ok, ""},
        {MsgButtons::Ok, MsgIcon::Information, "VELTA", false, false, MsgAnswer::Ok,
         "VELTA (information): a\n    b\n"},
        {MsgButtons::YesNo, MsgIcon::None, "VELTA", false, false, MsgAnswer::No,
         "VELTA (question): a\n    b\n    -> No\n"},
        {MsgButtons::YesNo, MsgIcon::None, "VELTA", true, false, MsgAnswer::Yes,
         "VELTA (question): a\n    b\n    -> Yes (--yes)\n"},
        {MsgButtons::YesNo, MsgIcon::None, "VELTA", true, true, MsgAnswer::Yes, ""},
        {MsgButtons::YesNo, MsgIcon::None, "VELTA", false, true, MsgAnswer::No,
         "VELTA (question): a\n    b\n    -> No\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream err;
        BatchPlatform ui(err, c.yes, c.quiet, false);
        ui.BeginStep("Generate", nullptr);
        EXPECT_EQ(ui.MessageBox("a\rb\r", c.buttons, c.icon, c.title), c.answer);
        ui.EndStep();
        EXPECT_EQ(err.str(), c.printed);
        ASSERT_EQ(ui.StepMessages().size(), 1u);
        EXPECT_EQ(ui.StepMessages()[0].step, "Generate");
        EXPECT_EQ(ui.unansweredQuestion, c.answer == MsgAnswer::No);
    }
}

TEST(BatchPlatform, AnswersTheSheetQuestionByNumberOrName) {
    const std::string prompt = SheetChoicePrompt({"Alpha", "Beta 2", "1)  odd"});
    const struct {
        std::string answer;
        std::string given;
        bool notFound;
    } cases[] = {{"", "1", false},        {"2", "2", false}, {"Beta 2", "2", false},
                 {"1)  odd", "3", false}, {"4", "", true},   {"0", "", true},
                 {"Gamma", "", true}};
    for (const auto& c : cases) {
        std::ostringstream err;
        BatchPlatform ui(err, false, false, false);
        ui.sheetAnswer = c.answer;
        EXPECT_EQ(ui.InputBox(prompt, kSheetChoiceTitle, "1"), c.given) << c.answer;
        EXPECT_EQ(ui.sheetNotFound, c.notFound) << c.answer;
        EXPECT_EQ(ui.offeredSheets, (std::vector<std::string>{"Alpha", "Beta 2", "1)  odd"}));
    }
}

TEST(Cli, MissingValuesAndHeadersOfTheColumnRead) {
    // --column answers the column question; without it, column A is read.
    const json b = CliJson({kSheets + "/two_columns.xlsx", "--column", "B", "-q"}, -1);
    EXPECT_EQ(b["results"][0]["input"]["header"], "CO2 flux");
    EXPECT_EQ(b["results"][0]["input"]["N"], 5);
    const CliRun a = Cli({kSheets + "/two_columns.xlsx", "-q"});
    EXPECT_EQ(a.status, 2);
    EXPECT_NE(a.err.find("Cell A2 cannot be used: it holds a date"), std::string::npos) << a.err;

    // The skipped cells are in the JSON; --quiet keeps their message off standard error.
    const std::vector<std::string> cells = {"A4", "A6", "A8", "A10", "A12", "A14"};
    for (const char* file : {"missing_values.csv", "missing_values.xlsx", "missing_values.ods"}) {
        SCOPED_TRACE(file);
        for (const bool quiet : {true, false}) {
            std::vector<std::string> args = {kSheets + "/" + file, "--json", "-"};
            if (quiet) args.push_back("-q");
            const CliRun r = Cli(args);
            const json j = json::parse(r.out);
            const json& in = j["results"][0]["input"];
            EXPECT_EQ(in["N"], 8);
            EXPECT_EQ(in["header"], "Girth");
            EXPECT_EQ(in["missingValues"]["count"], 6);
            EXPECT_EQ(in["missingValues"]["cells"], json(cells));
            EXPECT_EQ(j["results"][0]["messages"][0]["kind"], "information");
            EXPECT_EQ(r.err.find("skipped as missing values") == std::string::npos, quiet) << r.err;
        }
    }
    // Typed values skip nothing.
    const json typed = CliJson({"--values", "-0", "1", "2", "-q"}, -1);
    EXPECT_EQ(typed["results"][0]["input"]["missingValues"],
              json({{"count", 0}, {"cells", json::array()}}));
    EXPECT_TRUE(std::signbit(typed["results"][0]["input"]["values"][0].get<double>()));
}

TEST(Options, ColumnsByLetterOrNumber) {
    const struct {
        const char* text;
        int32_t column;
    } cases[] = {{"A", 0},   {"b", 1},       {"Z", 25},   {"AA", 26},   {"AB", 27},
                 {"1", 0},   {"3", 2},       {"0", -1},   {"", -1},     {"A1", -1},
                 {"-1", -1}, {"XFD", 16383}, {"XFE", -1}, {"16385", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(ColumnFromText(c.text), c.column) << c.text;
        if (c.column >= 0 && c.text[0] > '9') {
            std::string upper = c.text;
            for (char& ch : upper) ch = static_cast<char>(std::toupper(ch));
            EXPECT_EQ(ColumnLetter(c.column), upper);
        }
    }
}

// The repeats of the automatic size: the JSON holds each one with its seed,
// the report's block and the summary's range say the same, the window's
// repeats are the command line's, and --replicates 0 runs none.
TEST(Cli, RepeatsAgreeInTheJsonTheReportTheTableAndTheWindow) {
    Scratch tmp;
    const CliRun r = Cli({kPilot, "-V", "2000", "--replicates", "5", "--json", tmp / "r.json",
                          "--report", tmp / "r.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json repeats = json::parse(ReadFile(tmp / "r.json"))["results"][0]["automatic"]["repeats"];
    ASSERT_EQ(repeats["R"], 5);
    EXPECT_EQ(repeats["seed"], kDefaultSeed);
    EXPECT_EQ(repeats["V"], 2000);
    EXPECT_EQ(repeats["P"], 5);
    std::vector<int> sizes;
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(repeats["seeds"][i], RepeatSeed(kDefaultSeed, static_cast<int32_t>(i) + 1));
        if (!repeats["sizes"][i].is_null()) sizes.push_back(repeats["sizes"][i]);
    }
    ASSERT_FALSE(sizes.empty());
    const auto [lo, hi] = std::minmax_element(sizes.begin(), sizes.end());
    EXPECT_EQ(repeats["smallest"], *lo);
    EXPECT_EQ(repeats["largest"], *hi);
    EXPECT_EQ(repeats["failures"], 5 - static_cast<int>(sizes.size()));
    const std::string range =
        *lo == *hi ? std::to_string(*lo) : std::to_string(*lo) + " to " + std::to_string(*hi);
    const std::string report = ReadFile(tmp / "r.dat");
    EXPECT_NE(report.find("Repeats of the automatic procedure: 5\r\nRange of the automatic sample "
                          "size: " + range + "\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(r.out.find("  " + range + "  "), std::string::npos) << r.out;

    // The window's repeats of the same analysis.
    Session s;
    ScriptedPlatform ui;
    ui.files = {kPilot};
    ASSERT_TRUE(RunCommand(s, ui, Command::Open));
    s.inputs.virtualSamples = "2000";
    s.repeats = 5;
    for (Command c : {Command::Generate, Command::Trim, Command::Automatic})
        ASSERT_TRUE(RunCommand(s, ui, c));
    WaitForRepeats(s);
    ASSERT_NE(s.analysis.repeats(), nullptr);
    for (size_t i = 0; i < 5; ++i) {
        const auto& size = s.analysis.repeats()->sizes[i];
        EXPECT_EQ(repeats["sizes"][i], size ? json(*size) : json(nullptr));
    }

    const json none = CliJson({kPilot, "-V", "2000", "--replicates", "0", "-q"}, 0);
    EXPECT_TRUE(none["results"][0]["automatic"]["repeats"].is_null());
}
