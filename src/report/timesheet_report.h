#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include "stats/timesheet.h"

class QPagedPaintDevice;
class QPageSize;

namespace vornal {

// The printed forms of a timesheet, drawn the same on a PDF file and on a
// printer: the timesheet itself on landscape pages (a row per person, a
// column per day, weekends shaded, the totals), and the signing sheets, one
// portrait page per person with their days, hours and totals and lines for
// the person's and the manager's signatures. Every page carries the office's
// title, the period and its page number.
class TimesheetReport {
  Q_DECLARE_TR_FUNCTIONS(TimesheetReport)

 public:
  TimesheetReport(const Timesheet& sheet, const QString& office);

  // Draws on the device (its page size as set; the orientation is set
  // here); false when the device cannot be painted on.
  bool PaintTimesheet(QPagedPaintDevice& device) const;
  bool PaintSignSheets(QPagedPaintDevice& device) const;
  // A PDF document, on A4 pages unless another size is given; empty when
  // the pages cannot be drawn. Write it with WriteOutputFile.
  QByteArray TimesheetPdf(const QPageSize& size) const;
  QByteArray TimesheetPdf() const;
  QByteArray SignSheetsPdf() const;

  // Texts the windows share with the pages.
  static QString MonthName(int month);           // "Январь"
  static QString MonthInText(int month);         // "январь", "January"
  static QString MonthShortName(int month);      // "Янв"
  static QString WeekdayShortName(int weekday);  // "Пн" for 0 ... "Вс" for 6
  static QString WeekdayName(int weekday);  // "понедельник" for 0 ... "воскресенье" for 6
  static QString PeriodText(int year, int month);  // "июнь 2025 г.", "2025 г." for month 0
  // A column's title: the day's number, or the month's short name.
  static QString ColumnTitle(const Timesheet& sheet, int column);
  // "Петров Пётр (petrov)", or the login alone when nobody has entered it;
  // what would steer the text unseen shown as escapes (VisibleText).
  static QString PersonText(const Timesheet::Row& row);

 private:
  enum class Form { Timesheet, SignSheets };
  bool Paint(QPagedPaintDevice& device, Form form) const;
  QByteArray Pdf(Form form, const QPageSize& size) const;

  const Timesheet& m_sheet;
  QString m_office;
};

}  // namespace vornal
