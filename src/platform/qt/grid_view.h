#pragma once
// Shows a velta::Grid in a table view; an editable grid writes user edits
// and pastes back into the Grid and behaves like a spreadsheet: Enter and
// Return commit and move down, Tab moves right, a paste of several cells
// while a cell is being edited fills the cells from there, Delete clears the
// selection, Ctrl++ and Ctrl+- insert and delete rows, Ctrl+Z and Ctrl+Y
// undo and redo every edit; the same from its context menu. Its columns
// widen to show every text whole.
#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <cstdint>

#include "view/grid.h"
#include "view/grid_history.h"

class QMenu;

namespace velta::qt {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    GridModel(Grid& grid, bool editable, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Re-reads the grid when it changed behind the model's back; true when
    // it did.
    bool Sync();
    // Writes a block of cells at once (a paste); rows and columns from 1.
    void SetBlock(int32_t col, int32_t row, const QList<QStringList>& cells);
    void ClearCells(const QModelIndexList& cells);
    // Rows from 1, in every column.
    void InsertRows(int32_t row, int32_t count);
    void DeleteRows(QList<int32_t> rows);
    // Where the edits are kept for undo (none: no undo).
    void SetHistory(GridHistory* history) { history_ = history; }
    const GridHistory* history() const { return history_; }
    bool Undo();
    bool Redo();
    Grid& grid() { return grid_; }
    // Header captions in place of letters and numbers; a limited view shows
    // only the first `cols` x `rows` cells (0: no limit). The cells are not
    // touched.
    void SetHeaders(const QStringList& cols, const QStringList& rows);
    void SetShownLimit(int32_t cols, int32_t rows);

  signals:
    // The user changed cells (typed, pasted or deleted), columns from 1.
    void cellsEdited(int firstCol, int lastCol);

  private:
    void Written(int32_t firstRow, int32_t firstCol, int32_t lastRow, int32_t lastCol);
    // Every cell may have changed (rows moved, an undo).
    void AllWritten();
    void Record();
    int32_t ShownRows() const;
    int32_t ShownCols() const;
    Grid& grid_;
    bool editable_;
    uint64_t seenRevision_;
    int32_t shownRows_ = 0, shownCols_ = 0;
    int32_t limitCols_ = 0, limitRows_ = 0;
    QStringList colHeaders_, rowHeaders_;
    GridHistory* history_ = nullptr;
};

class GridView : public QTableView {
    Q_OBJECT
  public:
    GridView(Grid& grid, bool editable, QWidget* parent = nullptr);
    GridModel* gridModel() const { return model_; }
    // Re-reads the grid; an emptied grid (New, a fresh import) shows its
    // first cell again.
    void Sync();
    // Pastes tab- and newline-separated text at the current cell.
    void PasteText(const QString& text);
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    // True when a paste of `text` fills more than one cell.
    static bool IsBlock(const QString& text);

    // The selection (or the current cell) as tab- and newline-separated
    // text on the clipboard; Cut clears it too.
    void CopySelection();
    void CutSelection();
    // Rows before the current one, as many as the selection spans; the
    // selected rows.
    void InsertRowsAtSelection();
    void DeleteSelectedRows();
    // The context menu of an editable grid.
    QMenu* ContextMenu() const { return menu_; }
    // Widens the columns to their texts and headers (an editable grid).
    void FitColumns();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void MoveDown();
    void BuildMenu();
    QList<int32_t> SelectedRows() const;

    GridModel* model_;
    bool editable_;
    QMenu* menu_ = nullptr;
};

}  // namespace velta::qt
