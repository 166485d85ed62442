#pragma once
// Undo and redo of the edits of a grid (typing, a paste, clearing cells,
// inserting or deleting rows). Each step keeps the whole grid as it was
// before the edit: a grid of sampling units is at most a few thousand short
// texts, so a copy is cheap, and it cannot get out of step with any edit.
#include <cstddef>
#include <vector>

#include "view/grid.h"

namespace velta {

class GridHistory {
  public:
    // Older steps are forgotten beyond this many.
    static constexpr size_t kMaxSteps = 100;

    // Called just before `grid` is changed: the change becomes one step to
    // undo, and what was undone before can no longer be redone.
    void Record(const Grid& grid);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Puts `grid` back as it was before the last step, or after the last
    // undone one; false when there is none.
    bool Undo(Grid& grid);
    bool Redo(Grid& grid);
    void Clear();

  private:
    std::vector<Grid> undo_, redo_;
};

}  // namespace velta
