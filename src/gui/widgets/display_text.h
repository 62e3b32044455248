#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "stats/period_listing.h"
#include "stats/work_calendar.h"

namespace vornal {

class CorrectionRefused;
struct DayWork;
struct Presence;
struct SweepSummary;
struct Timesheet;
class DateTime;

// The windows' words for the core's values, in one place: the listing's
// labels, times and totals, the timesheet's hours and headings, the names
// of the two event families, who is at work, and what Process did. Every
// text goes through tr(); the Russian source texts are those the windows
// have always shown.
class DisplayText {
  Q_DECLARE_TR_FUNCTIONS(DisplayText)

 public:
  // ---- The statistics listing ----
  enum class ListingColumn { Event, Begin, End, Duration, Login };
  static constexpr int kListingColumns = 5;
  // The headings of a listing: "Событие " ... "Login".
  static QString ListingHeading(int column);
  // The headings the empty grid shows before anything is listed: "Событие"
  // ... "Работник".
  static QString EmptyListingHeading(int column);
  // "Идет рабочий день", "Выполняется 3 задание", ..., "Unknown".
  static QString EventLabel(RowLabel label, int taskNumber);
  // "09:05 07 Oct 02" (English month names, as ever), or empty for
  // ListedRow::kNoTime.
  static QString ListingTime(std::int64_t seconds);
  // "HH:MM" of the absolute value, whole days left out; empty when empty.
  static QString Clock(const WorkDuration& duration);
  // "3 дней 02:30"; "-1 дней 02:30" for -26:30, "-0 дней 00:10" below zero
  // by less than a day; empty when empty.
  static QString Total(const WorkDuration& duration);
  // " Всего отработано" (tasks) and " Общее рабочее время" (working days),
  // as the totals rows of the listing name them.
  static QString TaskTotalCaption();
  static QString DayTotalCaption();
  // Both totals in one line: "Всего отработано: … Общее рабочее время: …".
  static QString TotalsLine(const PeriodListing& listing);
  // A month by its number, 1 to 12, in the windows' language: "Март".
  static QString MonthName(int month);
  // The person list of the statistics window: "3. Петров Пётр (petrov)",
  // trailing blanks of the name and the login left out.
  static QString PersonEntry(std::int64_t id, const std::string& name, const std::string& login);

  // ---- The timesheet and its pictures ----
  enum class Heading { Days, Work, Tasks, Total, Norm, Difference };
  // "Дней", "Работа", "Задания", "Итого".
  static QString TimesheetHeading(Heading heading);
  // The two event families, as the chart's series ("Рабочее время",
  // "Задания") and as the day's timeline names a bar ("рабочий день",
  // "задание").
  static QString FamilySeries(bool task);
  static QString FamilyBar(bool task);
  // "8:15": hours and minutes, seconds dropped; "-1:30" below zero.
  static QString Hours(std::int64_t seconds);
  // The working time or the task time, with "?" after it when an interval
  // without an end leaves the sum unknown.
  static QString WorkHours(const DayWork& work);
  static QString TaskHours(const DayWork& work);
  // A timesheet cell: empty for a day without work, else WorkHours; and its
  // tooltip with both times.
  static QString WorkCell(const DayWork& work);
  static QString WorkTip(const DayWork& work);
  // The timesheet as a CSV file (UTF-8 with a byte-order mark): "Login",
  // "ФИО", the columns' numbers, "Дней", "Работа", "Задания", then a row per
  // person. Other programs read the file: its headings are those vornal-cli
  // writes, whatever the windows' language.
  static std::string TimesheetCsv(const Timesheet& sheet);

  // ---- The person list ----
  // "на работе с 09:05", "был 07.12 18:03": the date for a day other than
  // the latest event's, the year for another year; empty when unknown.
  static QString PresenceState(const Presence& presence, const std::optional<DateTime>& latest);

  // ---- Process ----
  // The completion message: "Обработка выполнена", or for a stopped sweep
  // what it collected and left, then what the sweep did, its counts and its
  // notes.
  static QString ProcessReport(const SweepSummary& summary);

  // ---- Corrections, absences, the working calendar ----
  // Why a correction was refused, in a sentence.
  static QString CorrectionRefusalText(const CorrectionRefused& refusal);
  // What became of a correction an engine error stopped.
  static QString NothingCorrected();
  static QString ReasonPrompt();
  static QString RemoveRowTitle();
  static QString UndoTitle();
  // "Исправлено: забыл завершить день" for a tooltip.
  static QString CorrectedTip(const std::string& reason);
  // A code of the timesheet form: "ОТ — Ежегодный основной оплачиваемый
  // отпуск", its meaning in the windows' language.
  static QString TimesheetCodeItem(int number);
  // The letters of a code ("ОТ"), its number when the list has none.
  static QString CodeLetters(int number);
  // A day of the working calendar: "рабочий", "сокращённый", "выходной",
  // "праздничный".
  static QString DayKindName(DayKind kind);
};

}  // namespace vornal
