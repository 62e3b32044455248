#pragma once

#include <QTableView>

#include "personnel/flex_grid_model.h"

namespace vornal {

// A grid of text cells addressed by row and column, the fixed rows counted
// (row 0 is the header when there is one fixed row). Its current cell and
// selection are set by the program without raising events; the events
// Click, DblClick and SelChange come from the operator only.
class CMSFlexGrid : public QTableView {
  Q_OBJECT

 public:
  explicit CMSFlexGrid(QWidget* parent = nullptr);

  // Empties the texts of all cells, the header included.
  void Clear();
  int GetRows() const { return m_model->RowCount(); }
  void SetRows(int rows);
  int GetCols() const { return m_model->ColCount(); }
  void SetCols(int cols);
  void SetFixedRows(int rows);
  void SetFixedCols(int cols);

  // The current cell; setting it also moves the selection end there.
  int GetRow() const { return m_row; }
  void SetRow(int row);
  int GetCol() const { return m_col; }
  void SetCol(int col);
  // The selection end: the cells from the current cell to this one are
  // selected.
  void SetRowSel(int row);
  void SetColSel(int col);

  // The text of the current cell.
  QString GetText() const;
  void SetText(const QString& text);
  QString GetTextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, const QString& text);
  // Sets every cell at once, the fixed rows included; the row count becomes
  // rows.size(). The quick way to fill a large grid.
  void SetAll(FlexGridModel::Rows rows);

  // The width of a column as that of a text of `chars` characters.
  void SetColWidthChars(int col, int chars);

 Q_SIGNALS:
  void Click();
  void DblClick();
  void SelChange();

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void ApplySelection();
  int FirstSelectableCol() const;

  FlexGridModel* m_model;
  int m_row = 0;
  int m_col = 0;
  int m_rowSel = 0;
  int m_colSel = 0;
  // Set while the program moves the view's current cell.
  bool m_syncing = false;
};

}  // namespace vornal
