#pragma once

#include <QTableView>

namespace vornal {

// A read-only table of rows chosen one at a time, as the windows' lists
// are: whole rows selected, fixed row heights, headings on the left, no row
// numbers. Its preferred size shows every column and a number of rows, so
// a window laid out around it opens wide enough for its columns. A cell
// whose text its column cuts shows the whole text in a tooltip.
class TableView : public QTableView {
  Q_OBJECT

 public:
  explicit TableView(QWidget* parent = nullptr);

  // The rows the preferred height shows (10 unless set).
  void SetShownRows(int rows);
  // A column as wide as a text of `chars` average characters.
  void SetColumnChars(int column, int chars);
  // True when the cell's column shows its text whole.
  bool ShowsWhole(const QModelIndex& index) const;
  // The line shown under the headings while there are no rows.
  void SetEmptyText(const QString& text);
  // That line when it is shown now; empty otherwise.
  QString ShownEmptyText() const;

  QSize sizeHint() const override;

 protected:
  bool viewportEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int m_shownRows = 10;
  QString m_emptyText;
};

}  // namespace vornal
