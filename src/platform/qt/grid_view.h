#pragma once
// Shows a velta::Grid in a table view; an editable grid writes user edits
// and pastes back into the Grid and behaves like a spreadsheet: Enter and
// Return commit and move down, Tab moves right, a paste of several cells
// while a cell is being edited fills the cells from there, Delete clears the
// selection.
#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <cstdint>

#include "view/grid.h"

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
    int32_t ShownRows() const;
    int32_t ShownCols() const;
    Grid& grid_;
    bool editable_;
    uint64_t seenRevision_;
    int32_t shownRows_ = 0, shownCols_ = 0;
    int32_t limitCols_ = 0, limitRows_ = 0;
    QStringList colHeaders_, rowHeaders_;
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

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void MoveDown();

    GridModel* model_;
    bool editable_;
};

}  // namespace velta::qt
