// Open on a session: only a pilot read and accepted replaces the analysis.
#include <gtest/gtest.h>

#include "road.h"

using namespace velta;

namespace {

std::string Example(const char* name) {
    return std::string(VELTA_SOURCE_DIR) + "/examples/" + name;
}

}  // namespace

TEST(Open, AnAcceptedSheetStartsAFreshAnalysis) {
    test::Road r(12, "40");
    r.Trimmed();
    r.s.inputs.maxError = "2";
    r.ui.files = {Example("pilot_sample.xls")};
    ASSERT_TRUE(r.Run(Command::Open));
    ASSERT_TRUE(r.ui.messages.empty()) << r.ui.LastMessage();
    const Pilot& p = *r.analysis().pilot();
    EXPECT_EQ(p.Size(), 24);
    EXPECT_EQ(p.source.file, Example("pilot_sample.xls"));
    EXPECT_EQ(p.source.header, "Leaf length (mm)");
    EXPECT_EQ(p.texts.front(), "41.2");
    EXPECT_FALSE(r.analysis().generation());
    // A session that held a pilot starts afresh: the boxes too.
    EXPECT_EQ(r.s.inputs.maxError, "");
    EXPECT_EQ(r.s.inputs.virtualSamples, "30000");
    EXPECT_EQ(r.s.units.CellText(1, 0), "Leaf length (mm)");  // the header titles the column
    EXPECT_EQ(r.s.units.MaxCols(), 1);
    const WindowView v = r.View();
    EXPECT_EQ(v.fileName, Example("pilot_sample.xls"));
    EXPECT_TRUE(v.canGenerate);
}

TEST(Open, ARefusedOrCancelledOpenChangesNothing) {
    test::Road r(12, "40");
    r.Trimmed();
    const auto tables = r.analysis().trimming()->tables;
    for (const std::string& file :
         {std::string(), Example("make_campaign.py"), Example("missing.xls"),
          std::string(VELTA_TEST_DATA_DIR) + "/spreadsheets/text_in_column.xls"}) {
        r.ui.messages.clear();
        if (!file.empty()) r.ui.files = {file};
        ASSERT_TRUE(r.Run(Command::Open));
        EXPECT_EQ(r.ui.messages.size(), file.empty() ? 0u : 1u) << file;
        EXPECT_EQ(r.analysis().trimming()->tables, tables) << file;
        EXPECT_EQ(r.s.inputs.virtualSamples, "40");
    }
}
