#pragma once

#include <QAbstractTableModel>

#include "stats/timesheet.h"

namespace vornal {

// The "Табель" tab's table: a row per person and a totals row, a column per
// day (or month) and the person's days, working time and task time. The
// person's name stands in the row header, so it stays in sight when the
// days scroll; weekends are shaded.
class TimesheetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The longest row heading shown, in characters; a longer one is cut.
  static constexpr int kHeadingChars = 40;

  explicit TimesheetModel(QObject* parent = nullptr);

  void SetTimesheet(const Timesheet* sheet);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // The cells of a row: a person's, or the totals for the last row.
  const std::vector<DayWork>& Cells(int row) const;
  const DayWork& Total(int row) const;
  QString Text(int row, int column) const;

  const Timesheet* m_sheet = nullptr;
};

}  // namespace vornal
