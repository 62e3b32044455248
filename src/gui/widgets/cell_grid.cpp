#include "gui/widgets/cell_grid.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

#include "gui/widgets/dialog_units.h"

namespace vornal {

CellGrid::CellGrid(QWidget* parent) : QTableView(parent), m_model(new CellGridModel(this)) {
  setModel(m_model);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setVisible(false);
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) Q_EMIT CellClicked();
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) Q_EMIT CellDoubleClicked();
  });
}

void CellGrid::Clear() {
  m_model->ClearTexts();
}

void CellGrid::SetRowCount(int rows) {
  m_model->SetRowCount(rows);
  m_row = std::clamp(m_row, 0, std::max(rows - 1, 0));
  m_rowSel = std::clamp(m_rowSel, 0, std::max(rows - 1, 0));
}

void CellGrid::SetColumnCount(int cols) {
  m_model->SetColCount(cols);
  m_col = std::clamp(m_col, 0, std::max(cols - 1, 0));
  m_colSel = std::clamp(m_colSel, 0, std::max(cols - 1, 0));
}

void CellGrid::SetFixedRows(int rows) {
  m_model->SetFixedRows(rows);
  horizontalHeader()->setVisible(rows > 0);
}

void CellGrid::SetFixedCols(int cols) {
  m_model->SetFixedCols(cols);
}

void CellGrid::SetCurrentRow(int row) {
  m_row = row;
  m_rowSel = row;
}

void CellGrid::SetCurrentColumn(int col) {
  m_col = col;
  m_colSel = col;
}

void CellGrid::SetSelectionEndRow(int row) {
  m_rowSel = row;
  ApplySelection();
}

void CellGrid::SetSelectionEndColumn(int col) {
  m_colSel = col;
  ApplySelection();
}

QString CellGrid::CurrentText() const {
  return m_model->CellText(m_row, m_col);
}

void CellGrid::SetCurrentText(const QString& text) {
  m_model->SetCellText(m_row, m_col, text);
}

QString CellGrid::CellText(int row, int col) const {
  return m_model->CellText(row, col);
}

void CellGrid::SetCellText(int row, int col, const QString& text) {
  m_model->SetCellText(row, col, text);
}

void CellGrid::SetAll(CellGridModel::Rows rows) {
  m_model->SetAll(std::move(rows));
  const int last = std::max(RowCount() - 1, 0);
  m_row = std::min(m_row, last);
  m_rowSel = std::min(m_rowSel, last);
}

void CellGrid::SetSource(std::unique_ptr<const CellSource> source) {
  m_model->SetSource(std::move(source));
  const int last = std::max(RowCount() - 1, 0);
  m_row = std::min(m_row, last);
  m_rowSel = std::min(m_rowSel, last);
}

void CellGrid::SetColumnWidthChars(int col, int chars) {
  setColumnWidth(col,
                 DluToPixelsX(4 * chars) + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin));
}

QString CellGrid::CutText(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  const QString text = index.data().toString();
  if (text.isEmpty()) return {};
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const int needed = itemDelegateForIndex(index)->sizeHint(option, index).width();
  return needed > columnWidth(index.column()) ? text : QString();
}

bool CellGrid::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString text = CutText(index);
  if (text.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
  return true;
}

int CellGrid::FirstSelectableCol() const {
  return std::min(m_model->FixedCols(), std::max(ColumnCount() - 1, 0));
}

// Shows the cells between the current cell and the selection end as selected
// and makes the current cell the view's, without raising CellSelectionChanged.
void CellGrid::ApplySelection() {
  const int fixedRows = m_model->FixedRows();
  const int top = std::min(m_row, m_rowSel) - fixedRows;
  const int bottom = std::max(m_row, m_rowSel) - fixedRows;
  const int left = std::max(std::min(m_col, m_colSel), FirstSelectableCol());
  const int right = std::max(m_col, m_colSel);
  const int viewRows = m_model->rowCount();
  m_syncing = true;
  selectionModel()->clearSelection();
  if (top >= 0 && bottom < viewRows && right < ColumnCount()) {
    const QModelIndex current = m_model->index(m_row - fixedRows, left);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    selectionModel()->select(
        QItemSelection(m_model->index(top, left), m_model->index(bottom, right)),
        QItemSelectionModel::ClearAndSelect);
    // Bring the row into view; the columns stay where the operator left them.
    const int across = horizontalScrollBar()->value();
    scrollTo(current);
    horizontalScrollBar()->setValue(across);
  }
  m_syncing = false;
}

void CellGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (m_syncing || !current.isValid()) return;
  m_row = current.row() + m_model->FixedRows();
  m_col = std::max(current.column(), FirstSelectableCol());
  m_rowSel = m_row;
  m_colSel = m_col;
  Q_EMIT CellSelectionChanged();
}

}  // namespace vornal
