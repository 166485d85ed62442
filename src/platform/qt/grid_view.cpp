#include "platform/qt/grid_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace velta::qt {

namespace {

QString ColumnLetters(int col) {
    QString s;
    for (int c = col; c > 0; c = (c - 1) / 26) s.prepend(QChar('A' + (c - 1) % 26));
    return s;
}

// Extra empty rows below the data so there is always room to type.
constexpr int32_t kSpareRows = 20;

}  // namespace

GridModel::GridModel(Grid& grid, bool editable, QObject* parent)
    : QAbstractTableModel(parent),
      grid_(grid),
      editable_(editable),
      seenRevision_(grid.Revision()) {
    shownRows_ = ShownRows();
    shownCols_ = ShownCols();
}

int32_t GridModel::ShownRows() const {
    return std::max(grid_.MaxRows(), grid_.DataRowCount() + (editable_ ? kSpareRows : 0));
}

int32_t GridModel::ShownCols() const {
    return std::max(grid_.MaxCols(), grid_.UsedCols());
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}
int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return QString::fromStdString(grid_.CellText(index.column() + 1, index.row() + 1));
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable_ || role != Qt::EditRole || !index.isValid()) return false;
    grid_.SetCell(index.column() + 1, index.row() + 1, value.toString().toStdString());
    seenRevision_ = grid_.Revision();
    emit dataChanged(index, index);
    const int32_t rows = ShownRows();
    if (rows > shownRows_) {
        beginInsertRows({}, shownRows_, rows - 1);
        shownRows_ = rows;
        endInsertRows();
    }
    emit cellsEdited(index.column() + 1, index.column() + 1);
    return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Vertical) return section + 1;
    const std::string& header = grid_.CellText(section + 1, 0);
    return header.empty() ? ColumnLetters(section + 1) : QString::fromStdString(header);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_) f |= Qt::ItemIsEditable;
    return f;
}

void GridModel::Sync() {
    if (seenRevision_ == grid_.Revision()) return;
    beginResetModel();
    seenRevision_ = grid_.Revision();
    shownRows_ = ShownRows();
    shownCols_ = ShownCols();
    endResetModel();
}

void GridModel::SetBlock(int32_t col, int32_t row, const QList<QStringList>& cells) {
    for (int r = 0; r < cells.size(); ++r)
        for (int c = 0; c < cells[r].size(); ++c)
            grid_.SetCell(col + c, row + r, cells[r][c].trimmed().toStdString());
    Sync();
    int widest = 0;
    for (const QStringList& line : cells) widest = std::max(widest, static_cast<int>(line.size()));
    if (widest > 0) emit cellsEdited(col, col + widest - 1);
}

void GridModel::ClearCells(const QModelIndexList& cells) {
    int first = 0, last = 0;
    for (const QModelIndex& i : cells) {
        grid_.SetCell(i.column() + 1, i.row() + 1, std::string());
        first = first == 0 ? i.column() + 1 : std::min(first, i.column() + 1);
        last = std::max(last, i.column() + 1);
    }
    Sync();
    if (first > 0) emit cellsEdited(first, last);
}

GridView::GridView(Grid& grid, bool editable, QWidget* parent)
    : QTableView(parent), model_(new GridModel(grid, editable, this)), editable_(editable) {
    setModel(model_);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(90);
    if (!editable) setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void GridView::PasteText(const QString& text) {
    if (!editable_) return;
    QString t = text;
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    QStringList lines = t.split('\n');
    while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    QList<QStringList> cells;
    for (const QString& line : lines) cells << line.split('\t');
    const QModelIndex at = currentIndex().isValid() ? currentIndex() : model_->index(0, 0);
    model_->SetBlock(at.column() + 1, at.row() + 1, cells);
}

void GridView::keyPressEvent(QKeyEvent* e) {
    if (editable_ && e->matches(QKeySequence::Paste)) {
        PasteText(QApplication::clipboard()->text());
        return;
    }
    if (editable_ && (e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace) &&
        state() != QAbstractItemView::EditingState) {
        model_->ClearCells(selectedIndexes());
        return;
    }
    QTableView::keyPressEvent(e);
}

}  // namespace velta::qt
