#pragma once

#include <optional>
#include <string>
#include <vector>

#include "stats/daily_totals.h"

namespace vornal {

// The month timesheet: one row per person, one column per day of the month
// (per month, for a whole year), the totals per person and per column.
struct Timesheet {
  struct Row {
    std::string login;
    std::string name;            // from the person list; empty when nobody has this login
    std::vector<DayWork> cells;  // one per column
    DayWork total;               // total.days: the days with work
  };

  int year = 0;
  int month = 0;  // 1 to 12; 0 for a whole year, a column per month
  std::vector<Row> rows;
  std::vector<DayWork> columnTotals;  // everybody's sum per column
  DayWork total;

  int ColumnCount() const { return static_cast<int>(columnTotals.size()); }
  bool ByMonth() const { return month == 0; }
  // The first day of a column (its day, or its month's first day).
  DateTime ColumnDate(int column) const;
  // Saturday or Sunday; never for a month column.
  bool IsWeekend(int column) const;
};

// The timesheet of a month (month 1 to 12) or of a whole year (month 0), of
// the login or, for an empty login, of everybody: every person of the person
// list (in ID order, one row per login, letter case ignored), then the
// logins nobody has entered, in login order. A login with no rows still has
// its row. Nothing for a month that does not exist, or when the progress
// callback asks to stop.
std::optional<Timesheet> BuildTimesheet(Database& db, int year, int month, const std::string& login,
                                        const DayProgress& progress = {});

// 0 for Monday ... 6 for Sunday.
int WeekdayOf(const DateTime& date);

}  // namespace vornal
