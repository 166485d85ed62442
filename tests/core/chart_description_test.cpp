// What an exported chart and the status line say: where the pilot came
// from, V, P and the seed, a legend of what is drawn and nothing else, the
// words of a long step while it runs, and where the report went.
#include <gtest/gtest.h>

#include "commands/repeats.h"

#include "output_targets.h"
#include "road.h"

using namespace velta;

TEST(PilotSource, InWords) {
    const std::pair<PilotSource, const char*> cases[] = {
        {{}, "typed values"},
        {{"/data/pilot.csv", "", 0, ""}, "pilot.csv, column A"},
        {{"/data/forest/campaign.xlsx", "Plots", 1, "Trunk diameter (cm)"},
         "campaign.xlsx, sheet \"Plots\", column B (Trunk diameter (cm))"},
        {{"pilot.xls", "Sheet1", 27, ""}, "pilot.xls, sheet \"Sheet1\", column AB"},
    };
    for (const auto& [source, words] : cases) EXPECT_EQ(PilotSourceText(source), words);
}

TEST(ChartDescription, TitleAndLegendFollowTheRoad) {
    using Kind = LegendEntry::Kind;
    using Legend = std::vector<LegendEntry>;
    test::Road r(24, "40");
    EXPECT_EQ(r.View().pilotSource, "typed values");
    // Nothing drawn yet: nothing to describe.
    EXPECT_TRUE(r.View().meansChart.subtitle.empty() && r.View().meansChart.legend.empty());

    r.Generate();
    const std::string seed = std::to_string(r.analysis().generation()->seed);
    WindowView v = r.View();
    EXPECT_EQ(v.meansChart.subtitle, "typed values; V = 40, seed " + seed);
    EXPECT_EQ(v.meansChart.legend, (Legend{{Kind::Cloud, "Virtual samples"}}));

    r.s.inputs.trimPercent = "5";
    ASSERT_TRUE(r.Run(Command::Trim));
    v = r.View();
    EXPECT_EQ(v.sdsChart.subtitle, "typed values; V = 40, P = 5, seed " + seed);
    EXPECT_EQ(v.sdsChart.legend, (Legend{{Kind::Cloud, "Trimmed virtual samples"}}));

    // A manual size of 3 has no line on the charts, so no legend line.
    ASSERT_TRUE(r.Slide(3));
    EXPECT_EQ(r.View().meansChart.legend.size(), 1u);
    ASSERT_TRUE(r.Slide(9));
    EXPECT_EQ(r.View().meansChart.legend.back(), (LegendEntry{Kind::Manual, "Manual size: 9"}));

    ASSERT_TRUE(r.Run(Command::Automatic));
    ASSERT_TRUE(r.analysis().automatic() && r.analysis().automatic()->succeeded);
    const std::string size = std::to_string(r.analysis().automatic()->size);
    r.s.inputs.maxError = "2";
    ASSERT_TRUE(r.Run(Command::StudentT));
    ASSERT_TRUE(r.analysis().studentT());
    const std::string student = std::to_string(r.analysis().studentT()->size);
    v = r.View();
    for (const ChartPicture* c : {&v.meansChart, &v.sdsChart})
        EXPECT_EQ(c->legend, (Legend{{Kind::Cloud, "Trimmed virtual samples"},
                                     {Kind::FittedLines, "Fitted lines"},
                                     {Kind::Automatic, "Automatic size: " + size},
                                     {Kind::Manual, "Manual size: " + size},
                                     {Kind::StudentT, "Student-t size: " + student}}));
    // New takes everything with it.
    ASSERT_TRUE(r.Run(Command::New));
    v = r.View();
    EXPECT_EQ(v.pilotSource + v.meansChart.subtitle, "");
    EXPECT_TRUE(v.meansChart.legend.empty());
}

TEST(StatusLine, LongStepsSayWhatTheyDoAndTheReportWhereItWent) {
    test::Road r(24, "40");
    r.Generate();
    std::vector<std::string> shown;
    r.ui.onShowNow = [&] { shown.push_back(WindowViewOf(r.s).statusMessage); };
    ASSERT_TRUE(r.Run(Command::Trim));
    ASSERT_TRUE(r.Run(Command::Automatic));
    // The repeats of the automatic size say how far they are while they run.
    EXPECT_NE(r.View().repeatsProgress.find("Repeating the automatic procedure: "),
              std::string::npos);
    WaitForRepeats(r.s);
    ASSERT_TRUE(r.Slide(10));
    r.s.inputs.maxError = "2";
    ASSERT_TRUE(r.Run(Command::StudentT));
    EXPECT_EQ(shown, (std::vector<std::string>{"Trimming the virtual samples...",
                                               "Searching for the automatic sample size..."}));
    EXPECT_EQ(r.View().statusMessage, "");

    test::TestFolder dir;
    const std::string report = (dir.path / "road.dat").string();
    r.ui.files = {report};
    ASSERT_TRUE(r.Run(Command::WriteReport));
    EXPECT_EQ(r.View().statusMessage, "Report written to " + report);
    // A report that could not be written says nothing new.
    r.ui.files = {(dir.path / "no" / "such" / "folder.dat").string()};
    r.ui.messages.clear();
    ASSERT_TRUE(r.Run(Command::WriteReport));
    EXPECT_EQ(r.ui.messages.size(), 1u);
    EXPECT_EQ(r.View().statusMessage, "Report written to " + report);
    // A failed step clears its words too.
    r.ui.onShowNow = nullptr;
    r.s.inputs.trimPercent = "x";
    ASSERT_TRUE(r.Run(Command::Trim));
    EXPECT_EQ(r.s.busyStatus, "");
}
