#pragma once
// Shows a velta::Grid in a table view; an editable grid writes user edits
// and pastes back into the Grid.
#include <QAbstractTableModel>
#include <QTableView>
#include <cstdint>

#include "model/grid.h"

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

    // Re-reads the grid when it changed behind the model's back.
    void Sync();
    // Writes a block of cells at once (a paste); rows and columns from 1.
    void SetBlock(int32_t col, int32_t row, const QList<QStringList>& cells);
    void ClearCells(const QModelIndexList& cells);
    Grid& grid() { return grid_; }

  signals:
    // The user changed cells (typed, pasted or deleted), columns from 1.
    void cellsEdited(int firstCol, int lastCol);

  private:
    int32_t ShownRows() const;
    int32_t ShownCols() const;
    Grid& grid_;
    bool editable_;
    uint64_t seenRevision_;
    int32_t shownRows_ = 0, shownCols_ = 0;
};

class GridView : public QTableView {
    Q_OBJECT
  public:
    GridView(Grid& grid, bool editable, QWidget* parent = nullptr);
    GridModel* gridModel() const { return model_; }
    void Sync() { model_->Sync(); }
    // Pastes tab- and newline-separated text at the current cell.
    void PasteText(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    GridModel* model_;
    bool editable_;
};

}  // namespace velta::qt
