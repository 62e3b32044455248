#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <optional>

#include "stats/work_calendar.h"
#include "store/database.h"

namespace Ui {
class CalendarDialog;
}

namespace vornal {

// The working calendar a month at a time: each day's kind and hours, the
// operator's changes marked, and the month's norm. The context menu of the
// chosen days makes them working, short or off days, or puts them back to
// the default; each change is stored at once.
class CalendarDialog : public QDialog {
  Q_OBJECT

 public:
  CalendarDialog(Database& db, int year, int month, QWidget* parent = nullptr);
  ~CalendarDialog() override;

  // Whether a day was changed while the dialog was open.
  bool Changed() const { return m_changed; }
  // Shows the month; false when the database could not be read (said).
  bool ShowMonth(int year, int month);
  // Sets the chosen days to the kind (nothing: back to the default).
  void SetChosen(std::optional<DayKind> kind);

 private:
  void Menu(const QPoint& at);

  QScopedPointer<Ui::CalendarDialog> m_ui;
  Database& m_db;
  int m_year = 0;
  int m_month = 0;
  std::vector<CalendarDay> m_days;
  bool m_changed = false;
};

}  // namespace vornal
