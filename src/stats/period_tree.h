#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/database.h"

namespace vornal {

// The years (from 1981 to the current year), months and days in which a row
// of the login (everybody, for an empty login) begins or ends, in calendar
// order; and which nodes the tree opens and selects.
struct PeriodTree {
  struct Month {
    int month = 0;
    std::vector<int> days;
  };
  struct Year {
    int year = 0;
    std::vector<Month> months;
  };

  std::vector<Year> years;
  // The current year's node, expanded: an index into years, or -1.
  int currentYear = -1;
  // The last month node with the current month's number, in any year,
  // expanded: indexes into years and its months, or -1.
  int currentMonthYear = -1;
  int currentMonth = -1;

  // Nothing found: the tree shows one node with the empty text.
  bool IsEmpty() const { return years.empty(); }
  // The last day node, selected, is years.back().months.back().days.back().
};

PeriodTree BuildPeriodTree(Database& db, const std::string& login,
                           const DateTime& now = DateTime::Now());

// The period a node lists: a whole year (month 0), a whole month (day 0) or
// one day, from 00:00:00 of its first day to 23:59:59 of its last; nothing
// for a year, month or day that does not exist.
struct Period {
  DateTime start;
  DateTime end;
};
std::optional<Period> NodePeriod(int year, int month = 0, int day = 0);

}  // namespace vornal
