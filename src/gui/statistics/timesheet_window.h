#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <functional>
#include <optional>
#include <string>

#include "stats/day_timeline.h"
#include "stats/t13_sheet.h"
#include "stats/timesheet.h"
#include "store/database.h"

class QDate;

namespace Ui {
class TimesheetWindow;
}

namespace vornal {

class TimesheetModel;

// What the statistics window's "Посмотреть" opens for the chosen node: the
// month's (or year's) timesheet, its chart of hours, and one day as a
// timeline, for the chosen person or everybody; with CSV, PDF, printing and
// the signing sheets. It reads the database; it writes only the office's
// title when the operator changes it. It resizes and remembers its size.
class TimesheetWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TimesheetWindow(QWidget* parent = nullptr);
  ~TimesheetWindow() override;

  // Fills the window from the open database (not owned, must outlive the
  // run) and runs it modally. month 0: the whole year; day > 0: that day,
  // shown on the "День" tab beside its month's timesheet.
  int Exec(Database* database, int year, int month, int day, const std::string& login);
  // Fills the window; false when the database could not be read (said).
  bool Load(Database* database, int year, int month, int day, const std::string& login);

  const Timesheet& Sheet() const { return m_sheet; }
  QDate ShownDay() const;

  void SaveCsv();
  void SavePdf();
  void Print();
  void SaveSignSheets();
  void ShowDay(const QDate& day);
  // Form T-13 of the month as a PDF file the operator names.
  void SaveT13();

 protected:
  void done(int result) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Stores the office's title when the operator has changed it.
  void StoreOfficeTitle();
  QString SuggestedName(const QString& what, const QString& suffix) const;
  void Saved(const QString& path);
  // Writes a file the operator chose (WriteOutputFile); a refusal or
  // failure, or empty bytes (pages not drawn), is said and gives false.
  bool Write(const QString& path, const QByteArray& bytes);
  // Runs a database step; an engine error is said and gives false.
  bool Guarded(const std::function<void()>& step);
  // Reads the timesheet again after a change, keeping the tab and the day.
  void Reload();
  // The day timeline's requests: corrections of its intervals.
  void ChangeBar(const DayLane& lane, const DayLane::Bar& bar);
  void AddBar(const QString& login, int seconds);
  // The timesheet's context menu: absences of the selected cells.
  void TimesheetMenu(const QPoint& at);
  void SetAbsence(int code);

  QScopedPointer<Ui::TimesheetWindow> m_ui;
  TimesheetModel* m_model;
  Database* m_database = nullptr;
  std::string m_login;
  Timesheet m_sheet;
  T13Sheet m_t13;  // the month's codes, absences, corrections, norms (a month only)
  QString m_storedOffice;
};

}  // namespace vornal
