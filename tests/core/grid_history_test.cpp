// The units grid's history keeps the last hundred steps (the edits
// themselves are undone through the window), and its column letters.
#include "view/grid_history.h"

#include <gtest/gtest.h>

#include <string>

using namespace velta;

TEST(GridHistory, KeepsTheLastHundredSteps) {
    Grid g;
    GridHistory h;
    for (int32_t i = 1; i <= 150; ++i) {
        h.Record(g);
        g.SetCell(1, 1, std::to_string(i));
    }
    int32_t undone = 0;
    while (h.Undo(g)) ++undone;
    EXPECT_EQ(undone, static_cast<int32_t>(GridHistory::kMaxSteps));
    EXPECT_EQ(g.CellText(1, 1), "50");
}

TEST(GridColumns, LettersOfTheColumns) {
    const std::pair<int32_t, const char*> cases[] = {{1, "A"},     {26, "Z"},     {27, "AA"},
                                                     {52, "AZ"},   {53, "BA"},    {702, "ZZ"},
                                                     {703, "AAA"}, {16384, "XFD"}};
    for (const auto& [col, letters] : cases) EXPECT_EQ(ColumnLetters(col), letters) << col;
}
