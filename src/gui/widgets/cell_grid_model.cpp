#include "gui/widgets/cell_grid_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace vornal {

CellGridModel::CellGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int CellGridModel::RowCount() const {
  return m_source ? m_source->RowCount() : static_cast<int>(m_cells.size());
}

void CellGridModel::Materialize() {
  if (!m_source) return;
  Rows rows(static_cast<std::size_t>(RowCount()),
            std::vector<QString>(static_cast<std::size_t>(m_cols)));
  if (!m_sourceCleared)
    for (std::size_t row = 0; row < rows.size(); ++row)
      for (std::size_t col = 0; col < rows[row].size(); ++col)
        rows[row][col] = m_source->Text(static_cast<int>(row), static_cast<int>(col));
  m_source.reset();
  m_cells = std::move(rows);
}

void CellGridModel::SetRowCount(int rows) {
  rows = std::max(rows, 0);
  if (rows == RowCount()) return;
  Materialize();
  beginResetModel();
  m_cells.resize(static_cast<std::size_t>(rows),
                 std::vector<QString>(static_cast<std::size_t>(m_cols)));
  endResetModel();
}

void CellGridModel::SetColCount(int cols) {
  cols = std::max(cols, 0);
  if (cols == m_cols) return;
  Materialize();
  beginResetModel();
  m_cols = cols;
  for (auto& row : m_cells) row.resize(static_cast<std::size_t>(cols));
  endResetModel();
}

void CellGridModel::SetFixedRows(int rows) {
  beginResetModel();
  m_fixedRows = std::max(rows, 0);
  endResetModel();
}

void CellGridModel::SetFixedCols(int cols) {
  beginResetModel();
  m_fixedCols = std::max(cols, 0);
  endResetModel();
}

QString CellGridModel::CellText(int row, int col) const {
  if (row < 0 || row >= RowCount() || col < 0 || col >= m_cols) return {};
  if (m_source) return m_sourceCleared ? QString() : m_source->Text(row, col);
  return m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void CellGridModel::SetCellText(int row, int col, const QString& text) {
  if (row < 0 || row >= RowCount() || col < 0 || col >= m_cols) return;
  Materialize();
  m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
  if (row < m_fixedRows) {
    Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
  } else {
    const QModelIndex cell = index(row - m_fixedRows, col);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
  }
}

void CellGridModel::ClearTexts() {
  m_sourceCleared = m_source != nullptr;
  for (auto& row : m_cells) std::fill(row.begin(), row.end(), QString());
  if (m_fixedRows > 0 && m_cols > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
  if (rowCount() > 0 && m_cols > 0)
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1), {Qt::DisplayRole});
}

void CellGridModel::SetAll(Rows rows) {
  beginResetModel();
  m_source.reset();
  m_cells = std::move(rows);
  for (auto& row : m_cells) row.resize(static_cast<std::size_t>(m_cols));
  endResetModel();
}

void CellGridModel::SetSource(std::unique_ptr<const CellSource> source) {
  beginResetModel();
  m_cells.clear();
  m_source = std::move(source);
  m_sourceCleared = false;
  endResetModel();
}

int CellGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(RowCount() - m_fixedRows, 0);
}

int CellGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_cols;
}

QVariant CellGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) return CellText(index.row() + m_fixedRows, index.column());
  if (role == Qt::BackgroundRole && index.column() < m_fixedCols)
    return QBrush(QColor(192, 192, 192));
  return {};
}

QVariant CellGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return m_fixedRows > 0 ? CellText(0, section) : QString();
  return section + m_fixedRows;
}

Qt::ItemFlags CellGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() < m_fixedCols) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace vornal
