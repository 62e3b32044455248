#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

namespace vornal {

// The texts of a grid made when a cell is drawn, for grids too large to
// hold every text: rows in grid coordinates, the fixed rows included.
class CellSource {
 public:
  virtual ~CellSource() = default;
  virtual int RowCount() const = 0;
  virtual QString Text(int row, int col) const = 0;
};

// The cells of a CellGrid: rows of texts, the fixed rows and columns
// included. The fixed rows are shown as the view's header; the fixed columns
// as grey cells that cannot be selected.
class CellGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using Rows = std::vector<std::vector<QString>>;

  explicit CellGridModel(QObject* parent = nullptr);

  int RowCount() const;
  int ColCount() const { return m_cols; }
  void SetRowCount(int rows);
  void SetColCount(int cols);
  int FixedRows() const { return m_fixedRows; }
  int FixedCols() const { return m_fixedCols; }
  void SetFixedRows(int rows);
  void SetFixedCols(int cols);

  // Grid coordinates, the fixed rows counted; out of range reads empty and
  // writes nothing.
  QString CellText(int row, int col) const;
  void SetCellText(int row, int col, const QString& text);
  void ClearTexts();
  // Replaces every cell at once; the row count becomes rows.size(), short
  // rows are padded.
  void SetAll(Rows rows);
  // Replaces every cell by the source's; the row count becomes the source's.
  // Writing a cell or a count afterwards copies the texts first.
  void SetSource(std::unique_ptr<const CellSource> source);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // Turns the source's texts into cells of their own.
  void Materialize();

  Rows m_cells;
  std::unique_ptr<const CellSource> m_source;
  bool m_sourceCleared = false;  // the source gives the row count, its texts are emptied
  int m_cols = 0;
  int m_fixedRows = 0;
  int m_fixedCols = 0;
};

}  // namespace vornal
