#pragma once

#include <QTableView>

#include "gui/widgets/cell_grid_model.h"

namespace vornal {

// A grid of text cells addressed by row and column, the fixed rows counted
// (row 0 is the header when there is one fixed row). Its current cell and
// selection are set by the program without raising signals; the signals
// CellClicked, CellDoubleClicked and CellSelectionChanged come from the
// operator only.
class CellGrid : public QTableView {
  Q_OBJECT

 public:
  explicit CellGrid(QWidget* parent = nullptr);

  // Empties the texts of all cells, the header included.
  void Clear();
  int RowCount() const { return m_model->RowCount(); }
  void SetRowCount(int rows);
  int ColumnCount() const { return m_model->ColCount(); }
  void SetColumnCount(int cols);
  void SetFixedRows(int rows);
  void SetFixedCols(int cols);

  // The current cell; setting it also moves the selection end there.
  int CurrentRow() const { return m_row; }
  void SetCurrentRow(int row);
  int CurrentColumn() const { return m_col; }
  void SetCurrentColumn(int col);
  // The selection end: the cells from the current cell to this one are
  // selected.
  void SetSelectionEndRow(int row);
  void SetSelectionEndColumn(int col);

  // The text of the current cell.
  QString CurrentText() const;
  void SetCurrentText(const QString& text);
  QString CellText(int row, int col) const;
  void SetCellText(int row, int col, const QString& text);
  // Sets every cell at once, the fixed rows included; the row count becomes
  // rows.size(). The quick way to fill a large grid.
  void SetAll(CellGridModel::Rows rows);
  // Cells whose texts are made when drawn (see CellSource); the row count
  // becomes the source's. The way to show a listing of a million rows.
  void SetSource(std::unique_ptr<const CellSource> source);

  // The width of a column as that of a text of `chars` characters.
  void SetColumnWidthChars(int col, int chars);

  // The text of a cell that its column is too narrow to show whole; empty
  // when it shows whole. Such a cell shows its text in a tooltip.
  QString CutText(const QModelIndex& index) const;

 Q_SIGNALS:
  void CellClicked();
  void CellDoubleClicked();
  void CellSelectionChanged();

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void ApplySelection();
  int FirstSelectableCol() const;

  CellGridModel* m_model;
  int m_row = 0;
  int m_col = 0;
  int m_rowSel = 0;
  int m_colSel = 0;
  // Set while the program moves the view's current cell.
  bool m_syncing = false;
};

}  // namespace vornal
