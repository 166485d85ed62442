// Open on a session: only a pilot read and accepted replaces the analysis.
#include <gtest/gtest.h>

#include "road.h"

using namespace velta;

namespace {

std::string Example(const char* name) {
    return std::string(VELTA_SOURCE_DIR) + "/examples/" + name;
}

}  // namespace

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
