#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/work_calendar.h"
#include "store/database.h"

namespace vornal {

// The numbers of the timesheet form's codes that are computed from the
// hours (the front ends hold the one table of every code's letter and
// name): day work, night work, work on a day off or holiday, a day off.
inline constexpr int kCodeDayWork = 1;
inline constexpr int kCodeNightWork = 2;
inline constexpr int kCodeDayOffWork = 3;
inline constexpr int kCodeDayOff = 26;
// Annual and additional paid leave: a public holiday inside them is no day
// of leave but a holiday.
inline constexpr int kCodeAnnualLeave = 9;
inline constexpr int kCodeExtraLeave = 10;

// One code of a day, with its hours (0: a code without hours).
struct T13Mark {
  int code = 0;
  std::int64_t seconds = 0;
};

struct T13Day {
  CalendarDay calendar;
  std::int64_t worked = 0;  // seconds of working-day rows on this day
  std::int64_t night = 0;   // of them, between 22:00 and 06:00
  int absence = 0;          // the absence code set for the day; 0 none
  std::string absenceNote;
  std::string correction;  // the latest correction's reason; empty when none
  // The absence first, then day and night work or work on a day off; on a
  // day off with neither, the day-off code.
  std::vector<T13Mark> marks;

  // An absence and recorded hours on the same day.
  bool Flagged() const { return absence != 0 && worked > 0; }
};

struct T13Total {
  int days = 0;  // days with worked time
  std::int64_t seconds = 0;
  T13Total& operator+=(const T13Day& day);
};

struct T13Row {
  int number = 0;  // from 1
  std::string login;
  std::string name;  // empty when nobody has the login
  std::string profession;
  std::string personnelNumber;
  std::string department;
  std::vector<T13Day> days;  // one per day of the month
  T13Total halves[2];        // days 1 to 15, 16 to the end
  T13Total month;
  std::int64_t night = 0;       // seconds at night
  std::int64_t dayOffWork = 0;  // seconds on days off and holidays
  std::int64_t norm = 0;        // the month's norm less the absent working days'
  std::int64_t Difference() const { return month.seconds - norm; }
  std::int64_t OverNorm() const { return Difference() > 0 ? Difference() : 0; }
  struct AbsenceDays {
    int code;
    int days;
  };
  std::vector<AbsenceDays> absences;  // by code
};

// The content of the form for a month: the calendar, its norm, and a row per
// person (the person list's order, then the logins nobody has entered).
struct T13Sheet {
  int year = 0;
  int month = 0;
  std::vector<CalendarDay> calendar;
  std::int64_t norm = 0;
  std::vector<T13Row> rows;
  // The structural unit: the department asked for, else the one every row
  // shares; empty when they differ.
  std::string unit;
};

// The form's content of the month (1 to 12), of the login or of everybody
// (of the people of the department alone, when one is given): working-day
// rows with an end, each part counted on the day it falls on; absences;
// corrections. Nothing for a month that does not exist.
std::optional<T13Sheet> BuildT13Sheet(Database& db, int year, int month,
                                      const std::string& login = {},
                                      const std::string& department = {});

}  // namespace vornal
