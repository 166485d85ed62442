#include "view/grid_history.h"

#include <utility>

namespace velta {

namespace {

// Swaps the grid with the last kept state, moving the grid's present state
// to the other list; views see a new revision.
bool Step(Grid& grid, std::vector<Grid>& from, std::vector<Grid>& to) {
    if (from.empty()) return false;
    to.push_back(std::move(grid));
    grid = std::move(from.back());
    from.pop_back();
    grid.Redraw();
    return true;
}

}  // namespace

void GridHistory::Record(const Grid& grid) {
    if (undo_.size() == kMaxSteps) undo_.erase(undo_.begin());
    undo_.push_back(grid);
    redo_.clear();
}

bool GridHistory::Undo(Grid& grid) {
    return Step(grid, undo_, redo_);
}

bool GridHistory::Redo(Grid& grid) {
    return Step(grid, redo_, undo_);
}

void GridHistory::Clear() {
    undo_.clear();
    redo_.clear();
}

}  // namespace velta
