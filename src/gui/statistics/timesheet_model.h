#pragma once

#include <QAbstractTableModel>

#include "stats/t13_sheet.h"
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
  // A month's marks beside it (nothing for a year): absences (their codes
  // in the cells, a day with hours as well flagged "!"), corrected days
  // ("*", the reason in the tooltip), days off by the working calendar,
  // and each person's norm and difference as two more columns.
  void SetMarks(const T13Sheet* marks);
  // The person row's marks; nothing for the totals row or without marks.
  const T13Row* Marks(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // The cells of a row: a person's, or the totals for the last row.
  const std::vector<DayWork>& Cells(int row) const;
  const DayWork& Total(int row) const;
  QString Text(int row, int column) const;

  bool DayOff(int column) const;

  const Timesheet* m_sheet = nullptr;
  const T13Sheet* m_marks = nullptr;
  std::vector<const T13Row*> m_rowMarks;  // per person row
};

}  // namespace vornal
