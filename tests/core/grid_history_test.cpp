// The units grid as a spreadsheet: rows inserted and deleted in every
// column under a header that stays, and undo and redo of every edit.
#include "view/grid_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velta;

namespace {

// Column `col` from row 1 to the last data row, as texts.
std::vector<std::string> Column(const Grid& g, int32_t col = 1) {
    std::vector<std::string> cells;
    for (int32_t r = 1; r <= g.DataRowCount(); ++r) cells.push_back(g.CellText(col, r));
    return cells;
}

Grid Units() {
    Grid g;
    g.SetCell(1, 0, "Sampling units");
    for (int32_t r = 1; r <= 5; ++r) {
        g.SetCell(1, r, std::to_string(r));
        if (r <= 3) g.SetCell(2, r, "b" + std::to_string(r));
    }
    return g;
}

}  // namespace

TEST(GridRows, InsertAndDeleteMoveEveryColumnBelowTheHeader) {
    using V = std::vector<std::string>;
    struct Case {
        bool insert;
        int32_t row, count;
        V column1, column2;
    };
    const Case cases[] = {
        {true, 1, 1, {"", "1", "2", "3", "4", "5"}, {"", "b1", "b2", "b3", "", ""}},
        {true, 3, 2, {"1", "2", "", "", "3", "4", "5"}, {"b1", "b2", "", "", "b3", "", ""}},
        // Below the data of column 2 only column 1 moves.
        {true, 5, 1, {"1", "2", "3", "4", "", "5"}, {"b1", "b2", "b3", "", "", ""}},
        {true, 40, 3, {"1", "2", "3", "4", "5"}, {"b1", "b2", "b3", "", ""}},
        {false, 1, 1, {"2", "3", "4", "5"}, {"b2", "b3", "", ""}},
        {false, 2, 3, {"1", "5"}, {"b1", ""}},
        // Deleting past the end takes what is there.
        {false, 4, 10, {"1", "2", "3"}, {"b1", "b2", "b3"}},
        {false, 9, 1, {"1", "2", "3", "4", "5"}, {"b1", "b2", "b3", "", ""}},
        {true, 2, 0, {"1", "2", "3", "4", "5"}, {"b1", "b2", "b3", "", ""}},
    };
    for (const Case& c : cases) {
        Grid g = Units();
        const uint64_t before = g.Revision();
        if (c.insert)
            g.InsertRows(c.row, c.count);
        else
            g.DeleteRows(c.row, c.count);
        const std::string where = (c.insert ? "insert " : "delete ") + std::to_string(c.row) + "+" +
                                  std::to_string(c.count);
        EXPECT_EQ(Column(g, 1), c.column1) << where;
        EXPECT_EQ(Column(g, 2), c.column2) << where;
        EXPECT_EQ(g.CellText(1, 0), "Sampling units") << where;
        if (c.count > 0) {
            EXPECT_NE(g.Revision(), before) << where;
        }
    }
    Grid g = Units();
    EXPECT_ANY_THROW(g.InsertRows(0, 1));  // the header row stays where it is
    EXPECT_ANY_THROW(g.DeleteRows(0, 1));
    EXPECT_ANY_THROW(g.DeleteRows(1, -1));
}

TEST(GridHistory, UndoAndRedoWalkBackAndForthThroughEveryKindOfEdit) {
    Grid g = Units();
    GridHistory h;
    EXPECT_FALSE(h.Undo(g));
    EXPECT_FALSE(h.Redo(g));
    std::vector<std::vector<std::string>> states{Column(g)};
    // Typing, a paste of a block, clearing, inserting and deleting rows.
    h.Record(g);
    g.SetCell(1, 2, "20");
    states.push_back(Column(g));
    h.Record(g);
    g.SetCell(1, 6, "6");
    g.SetCell(1, 7, "7");
    states.push_back(Column(g));
    h.Record(g);
    g.SetCell(1, 1, "");
    states.push_back(Column(g));
    h.Record(g);
    g.InsertRows(2, 2);
    states.push_back(Column(g));
    h.Record(g);
    g.DeleteRows(1, 3);
    states.push_back(Column(g));

    for (size_t i = states.size() - 1; i > 0; --i) {
        const uint64_t revision = g.Revision();
        ASSERT_TRUE(h.Undo(g));
        EXPECT_EQ(Column(g), states[i - 1]) << i;
        EXPECT_NE(g.Revision(), revision);  // views repaint
    }
    EXPECT_FALSE(h.CanUndo());
    EXPECT_EQ(g.CellText(1, 0), "Sampling units");
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(h.Redo(g));
        EXPECT_EQ(Column(g), states[i]) << i;
    }
    EXPECT_FALSE(h.Redo(g));

    // A new edit after undoing drops what could be redone.
    ASSERT_TRUE(h.Undo(g));
    h.Record(g);
    g.SetCell(1, 1, "x");
    EXPECT_FALSE(h.CanRedo());
    ASSERT_TRUE(h.Undo(g));
    EXPECT_EQ(Column(g), states[states.size() - 2]);
}

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
