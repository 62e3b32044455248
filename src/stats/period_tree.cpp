#include "stats/period_tree.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace vornal {
namespace {

constexpr int kFirstYear = 1981;

// The distinct dates of one time column in [from, to], found by one index
// seek per date: the first time at or after the day that follows the last
// date found.
std::vector<DateTime> DistinctDates(Database& db, std::string_view sql, const std::string& login,
                                    DateTime from, const DateTime& to) {
  std::vector<DateTime> dates;
  for (;;) {
    Statement statement = db.Prepare(sql);
    if (login.empty())
      statement.Bind(from, to);
    else
      statement.Bind(login, from, to);
    if (!statement.Step()) break;
    const std::optional<DateTime> time = statement.Time(0);
    if (!time) break;
    dates.push_back(time->Date());
    from = dates.back().AddDays(1);
  }
  return dates;
}

}  // namespace

PeriodTree BuildPeriodTree(Database& db, const std::string& login, const DateTime& now) {
  PeriodTree tree;
  if (now.Year() < kFirstYear) return tree;
  const DateTime from = *DateTime::FromParts(kFirstYear, 1, 1);
  const DateTime to = *DateTime::FromParts(now.Year(), 12, 31, 23, 59, 59);

  std::vector<DateTime> begins, ends;
  if (login.empty()) {
    begins = DistinctDates(db,
                           "SELECT BeginTime FROM logs WHERE BeginTime BETWEEN ? AND ? "
                           "ORDER BY BeginTime LIMIT 1",
                           login, from, to);
    ends = DistinctDates(db,
                         "SELECT EndTime FROM logs WHERE EndTime BETWEEN ? AND ? "
                         "ORDER BY EndTime LIMIT 1",
                         login, from, to);
  } else {
    begins = DistinctDates(db,
                           "SELECT BeginTime FROM logs WHERE Login = ? AND BeginTime BETWEEN ? "
                           "AND ? ORDER BY BeginTime LIMIT 1",
                           login, from, to);
    ends = DistinctDates(db,
                         "SELECT EndTime FROM logs WHERE Login = ? AND EndTime BETWEEN ? "
                         "AND ? ORDER BY EndTime LIMIT 1",
                         login, from, to);
  }
  std::vector<DateTime> dates;
  dates.reserve(begins.size() + ends.size());
  std::set_union(begins.begin(), begins.end(), ends.begin(), ends.end(), std::back_inserter(dates));

  for (const DateTime& date : dates) {
    if (tree.years.empty() || tree.years.back().year != date.Year()) {
      tree.years.push_back({date.Year(), {}});
      if (date.Year() == now.Year()) tree.currentYear = static_cast<int>(tree.years.size()) - 1;
    }
    PeriodTree::Year& year = tree.years.back();
    if (year.months.empty() || year.months.back().month != date.Month()) {
      year.months.push_back({date.Month(), {}});
      if (date.Month() == now.Month()) {
        tree.currentMonthYear = static_cast<int>(tree.years.size()) - 1;
        tree.currentMonth = static_cast<int>(year.months.size()) - 1;
      }
    }
    year.months.back().days.push_back(date.Day());
  }
  return tree;
}

std::string YearNodeText(int year) {
  return std::to_string(year);
}

std::string MonthNodeText(int month) {
  const auto first = DateTime::FromParts(2000, month, 1);
  return first ? first->Format("%B") : std::string();
}

std::string DayNodeText(int day) {
  return std::to_string(day);
}

std::optional<Period> NodePeriod(int year, int month, int day) {
  const auto first = DateTime::FromParts(year, month == 0 ? 1 : month, day == 0 ? 1 : day);
  if (!first || month < 0 || day < 0 || (month == 0 && day != 0)) return std::nullopt;
  const int lastMonth = month == 0 ? 12 : month;
  const int lastDay = day == 0 ? DateTime::DaysInMonth(year, lastMonth) : day;
  return Period{*first, *DateTime::FromParts(year, lastMonth, lastDay, 23, 59, 59)};
}

}  // namespace vornal
