#include "platform/qt/grid_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace velta::qt {

namespace {

// Extra empty rows below the data so there is always room to type.
constexpr int32_t kSpareRows = 20;

// Lines and cells of pasted text: line breaks of any platform, trailing
// empty lines dropped.
QList<QStringList> SplitCells(const QString& text) {
    QString t = text;
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    QStringList lines = t.split('\n');
    while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    QList<QStringList> cells;
    for (const QString& line : lines) cells << line.split('\t');
    return cells;
}

// The editor of a cell hands a paste of several cells to the view.
class CellDelegate : public QStyledItemDelegate {
  public:
    CellDelegate(QTableView* view) : QStyledItemDelegate(view), view_(view) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor) editor->installEventFilter(view_);
        return editor;
    }

  private:
    QTableView* view_;
};

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
    if (limitRows_ > 0) return limitRows_;
    return std::max(grid_.MaxRows(), grid_.DataRowCount() + (editable_ ? kSpareRows : 0));
}

int32_t GridModel::ShownCols() const {
    if (limitCols_ > 0) return limitCols_;
    return std::max(grid_.MaxCols(), grid_.UsedCols());
}

void GridModel::SetHeaders(const QStringList& cols, const QStringList& rows) {
    colHeaders_ = cols;
    rowHeaders_ = rows;
    if (shownCols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, shownCols_ - 1);
    if (shownRows_ > 0) emit headerDataChanged(Qt::Vertical, 0, shownRows_ - 1);
}

void GridModel::SetShownLimit(int32_t cols, int32_t rows) {
    beginResetModel();
    limitCols_ = cols;
    limitRows_ = rows;
    shownRows_ = ShownRows();
    shownCols_ = ShownCols();
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}
int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    // The tip shows a number in full where a narrow column elides it.
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return QString::fromStdString(grid_.CellText(index.column() + 1, index.row() + 1));
    // Results read from the left: where a long number is cut, its leading
    // digits stay in view.
    if (role == Qt::TextAlignmentRole)
        return int((editable_ ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable_ || role != Qt::EditRole || !index.isValid()) return false;
    const std::string text = value.toString().toStdString();
    // Leaving a cell as it was is no edit: nothing to undo, nothing changed.
    if (grid_.CellText(index.column() + 1, index.row() + 1) == text) return true;
    Record();
    grid_.SetCell(index.column() + 1, index.row() + 1, text);
    Written(index.row(), index.column(), index.row(), index.column());
    return true;
}

void GridModel::Written(int32_t firstRow, int32_t firstCol, int32_t lastRow, int32_t lastCol) {
    // Cells written through the view (from 0): grow the rows and columns and
    // show them, without a reset that would lose the current cell and the
    // scroll position.
    seenRevision_ = grid_.Revision();
    const int32_t rows = ShownRows();
    if (rows > shownRows_) {
        beginInsertRows({}, shownRows_, rows - 1);
        shownRows_ = rows;
        endInsertRows();
    }
    const int32_t cols = ShownCols();
    if (cols > shownCols_) {
        beginInsertColumns({}, shownCols_, cols - 1);
        shownCols_ = cols;
        endInsertColumns();
    }
    lastRow = std::min(lastRow, shownRows_ - 1);
    lastCol = std::min(lastCol, shownCols_ - 1);
    if (firstRow <= lastRow && firstCol <= lastCol)
        emit dataChanged(index(firstRow, firstCol), index(lastRow, lastCol));
    emit cellsEdited(firstCol + 1, lastCol + 1);
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Vertical)
        return section < rowHeaders_.size() ? QVariant(rowHeaders_[section])
                                            : QVariant(section + 1);
    if (section < colHeaders_.size()) return colHeaders_[section];
    const std::string& header = grid_.CellText(section + 1, 0);
    return QString::fromStdString(header.empty() ? ColumnLetters(section + 1) : header);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_) f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::Sync() {
    if (seenRevision_ == grid_.Revision()) return false;
    beginResetModel();
    seenRevision_ = grid_.Revision();
    shownRows_ = ShownRows();
    shownCols_ = ShownCols();
    endResetModel();
    return true;
}

void GridModel::Record() {
    if (history_) history_->Record(grid_);
}

void GridModel::AllWritten() {
    if (shownCols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, shownCols_ - 1);
    Written(0, 0, INT32_MAX - 1, std::max(shownCols_, grid_.UsedCols()) - 1);
}

void GridModel::InsertRows(int32_t row, int32_t count) {
    if (!editable_ || row < 1 || count < 1) return;
    Record();
    grid_.InsertRows(row, count);
    AllWritten();
}

void GridModel::DeleteRows(QList<int32_t> rows) {
    if (!editable_) return;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([](int32_t r) { return r < 1; });
    if (rows.isEmpty()) return;
    Record();
    // From the bottom up, so that the rows still to go keep their numbers.
    for (const int32_t r : rows) grid_.DeleteRows(r, 1);
    AllWritten();
}

bool GridModel::Undo() {
    if (!editable_ || !history_ || !history_->Undo(grid_)) return false;
    AllWritten();
    return true;
}

bool GridModel::Redo() {
    if (!editable_ || !history_ || !history_->Redo(grid_)) return false;
    AllWritten();
    return true;
}

void GridModel::SetBlock(int32_t col, int32_t row, const QList<QStringList>& cells) {
    if (cells.isEmpty()) return;
    Record();
    int32_t width = 0;
    for (int r = 0; r < cells.size(); ++r) {
        for (int c = 0; c < cells[r].size(); ++c)
            grid_.SetCell(col + c, row + r, cells[r][c].trimmed().toStdString());
        width = std::max<int32_t>(width, static_cast<int32_t>(cells[r].size()));
    }
    if (cells.isEmpty() || width == 0) return;
    Written(row - 1, col - 1, row - 2 + static_cast<int32_t>(cells.size()), col - 2 + width);
}

void GridModel::ClearCells(const QModelIndexList& cells) {
    if (std::none_of(cells.begin(), cells.end(), [this](const QModelIndex& i) {
            return !grid_.CellText(i.column() + 1, i.row() + 1).empty();
        }))
        return;
    Record();
    int32_t top = INT32_MAX, left = INT32_MAX, bottom = 0, right = 0;
    for (const QModelIndex& i : cells) {
        grid_.SetCell(i.column() + 1, i.row() + 1, std::string());
        top = std::min(top, i.row());
        left = std::min(left, i.column());
        bottom = std::max(bottom, i.row());
        right = std::max(right, i.column());
    }
    Written(top, left, bottom, right);
}

GridView::GridView(Grid& grid, bool editable, QWidget* parent)
    : QTableView(parent), model_(new GridModel(grid, editable, this)), editable_(editable) {
    setModel(model_);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(90);
    if (!editable) {
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        // Tab goes on to the next control; the arrow keys move in the grid.
        setTabKeyNavigation(false);
        // One line per cell: wrapping would break a number after its decimal
        // point. A cut number keeps its leading digits; the tip has it all.
        setWordWrap(false);
    } else {
        setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
        setItemDelegate(new CellDelegate(this));
        BuildMenu();
        connect(model_, &GridModel::cellsEdited, this, [this] { FitColumns(); });
        FitColumns();
    }
}

void GridView::BuildMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName("gridMenu");
    auto add = [this](const char* name, const QString& text, const QKeySequence& keys, auto&& run) {
        QAction* a = menu_->addAction(text, this, run);
        a->setObjectName(name);
        a->setShortcut(keys);
        // The keys themselves are handled by keyPressEvent.
        a->setShortcutContext(Qt::WidgetShortcut);
        return a;
    };
    QAction* undo = add("undoAction", "Undo", QKeySequence::Undo, [this] { model_->Undo(); });
    QAction* redo = add("redoAction", "Redo", QKeySequence("Ctrl+Y"), [this] { model_->Redo(); });
    menu_->addSeparator();
    add("cutAction", "Cut", QKeySequence::Cut, [this] { CutSelection(); });
    add("copyAction", "Copy", QKeySequence::Copy, [this] { CopySelection(); });
    add("pasteAction", "Paste", QKeySequence::Paste,
        [this] { PasteText(QApplication::clipboard()->text()); });
    add("clearAction", "Clear", QKeySequence::Delete,
        [this] { model_->ClearCells(selectedIndexes()); });
    menu_->addSeparator();
    add("insertRowsAction", "Insert rows", QKeySequence("Ctrl++"),
        [this] { InsertRowsAtSelection(); });
    add("deleteRowsAction", "Delete rows", QKeySequence("Ctrl+-"),
        [this] { DeleteSelectedRows(); });
    connect(menu_, &QMenu::aboutToShow, this, [this, undo, redo] {
        const GridHistory* h = model_->history();
        undo->setEnabled(h && h->CanUndo());
        redo->setEnabled(h && h->CanRedo());
    });
}

void GridView::contextMenuEvent(QContextMenuEvent* e) {
    if (!menu_) return QTableView::contextMenuEvent(e);
    menu_->popup(e->globalPos());
}

QList<int32_t> GridView::SelectedRows() const {
    QList<int32_t> rows;
    for (const QModelIndex& i : selectedIndexes()) rows << i.row() + 1;
    if (rows.isEmpty() && currentIndex().isValid()) rows << currentIndex().row() + 1;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void GridView::InsertRowsAtSelection() {
    const QList<int32_t> rows = SelectedRows();
    if (rows.isEmpty()) return;
    const QModelIndex at = currentIndex();
    model_->InsertRows(rows.front(), static_cast<int32_t>(rows.size()));
    // The current cell stays on its value, now lower down.
    if (at.isValid())
        setCurrentIndex(model_->index(at.row() + static_cast<int>(rows.size()), at.column()));
}

void GridView::DeleteSelectedRows() {
    const QList<int32_t> rows = SelectedRows();
    if (rows.isEmpty()) return;
    const QModelIndex at = currentIndex();
    model_->DeleteRows(rows);
    clearSelection();
    if (at.isValid()) setCurrentIndex(model_->index(std::max(0, rows.front() - 1), at.column()));
}

void GridView::CopySelection() {
    QModelIndexList cells = selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid()) cells << currentIndex();
    if (cells.isEmpty()) return;
    int top = INT_MAX, left = INT_MAX, bottom = 0, right = 0;
    for (const QModelIndex& i : cells) {
        top = std::min(top, i.row());
        left = std::min(left, i.column());
        bottom = std::max(bottom, i.row());
        right = std::max(right, i.column());
    }
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        QStringList line;
        for (int c = left; c <= right; ++c)
            line << (selectionModel()->isSelected(model_->index(r, c)) || cells.size() == 1
                         ? model_->index(r, c).data().toString()
                         : QString());
        lines << line.join('\t');
    }
    QApplication::clipboard()->setText(lines.join('\n') + '\n');
}

void GridView::CutSelection() {
    CopySelection();
    QModelIndexList cells = selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid()) cells << currentIndex();
    model_->ClearCells(cells);
}

void GridView::FitColumns() {
    if (!editable_) return;
    const Grid& g = model_->grid();
    const QFontMetrics cell = fontMetrics();
    const QFontMetrics header = horizontalHeader()->fontMetrics();
    const int32_t rows = g.DataRowCount();
    const int32_t cols = std::min(std::max(g.UsedCols(), 1), model_->columnCount());
    for (int32_t c = 1; c <= cols; ++c) {
        // Room for the cell's margins and the header's sort-free padding.
        int width = header.horizontalAdvance(
                        model_->headerData(c - 1, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    16;
        for (int32_t r = 1; r <= rows; ++r) {
            const std::string& text = g.CellText(c, r);
            if (!text.empty())
                width = std::max(width, cell.horizontalAdvance(QString::fromStdString(text)) + 12);
        }
        width = std::max(width, horizontalHeader()->defaultSectionSize());
        if (columnWidth(c - 1) != width) setColumnWidth(c - 1, width);
    }
}

void GridView::Sync() {
    if (!model_->Sync()) return;
    FitColumns();
    if (model_->grid().DataRowCount() == 0) {
        scrollToTop();
        horizontalScrollBar()->setValue(0);
        if (editable_) setCurrentIndex(model_->index(0, 0));
    }
}

bool GridView::IsBlock(const QString& text) {
    const QList<QStringList> cells = SplitCells(text);
    return cells.size() > 1 || (cells.size() == 1 && cells[0].size() > 1);
}

void GridView::PasteText(const QString& text) {
    if (!editable_) return;
    const QModelIndex at = currentIndex().isValid() ? currentIndex() : model_->index(0, 0);
    model_->SetBlock(at.column() + 1, at.row() + 1, SplitCells(text));
}

void GridView::MoveDown() {
    const QModelIndex at = currentIndex();
    if (!at.isValid()) return;
    const QModelIndex below = model_->index(at.row() + 1, at.column());
    if (below.isValid()) setCurrentIndex(below);
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Enter and Return end an edit with SubmitModelCache: commit, then go on
    // to the cell below, as in a spreadsheet.
    QTableView::closeEditor(editor, hint == QAbstractItemDelegate::SubmitModelCache
                                        ? QAbstractItemDelegate::NoHint
                                        : hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache) MoveDown();
}

bool GridView::eventFilter(QObject* watched, QEvent* e) {
    // A paste of several cells into a cell being edited goes to the grid,
    // from this cell on; a single value is left to the editor.
    if (editable_ && e->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched)) {
        auto* key = static_cast<QKeyEvent*>(e);
        const QString text = QApplication::clipboard()->text();
        if (key->matches(QKeySequence::Paste) && IsBlock(text)) {
            QTableView::closeEditor(static_cast<QWidget*>(watched),
                                    QAbstractItemDelegate::RevertModelCache);
            PasteText(text);
            return true;
        }
    }
    return QTableView::eventFilter(watched, e);
}

void GridView::keyPressEvent(QKeyEvent* e) {
    // Tab moves between the cells; Ctrl+Tab leaves the grid for the next
    // control, Ctrl+Shift+Tab for the one before.
    if ((e->modifiers() & Qt::ControlModifier) &&
        (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)) {
        QWidget::focusNextPrevChild(e->key() == Qt::Key_Tab &&
                                    !(e->modifiers() & Qt::ShiftModifier));
        return;
    }
    const bool editing = state() == QAbstractItemView::EditingState;
    if (!editing && e->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (editable_ && !editing) {
        const bool ctrl = e->modifiers() & Qt::ControlModifier;
        if (e->matches(QKeySequence::Undo)) {
            model_->Undo();
            return;
        }
        if (e->matches(QKeySequence::Redo) || (ctrl && e->key() == Qt::Key_Y)) {
            model_->Redo();
            return;
        }
        if (e->matches(QKeySequence::Cut)) {
            CutSelection();
            return;
        }
        // Ctrl++ (Ctrl+= without Shift on most keyboards) and Ctrl+-, as in
        // spreadsheets.
        if (ctrl && (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Equal)) {
            InsertRowsAtSelection();
            return;
        }
        if (ctrl && e->key() == Qt::Key_Minus) {
            DeleteSelectedRows();
            return;
        }
    }
    if (editable_ && state() != QAbstractItemView::EditingState &&
        (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        e->modifiers() == Qt::NoModifier) {
        MoveDown();
        return;
    }
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
