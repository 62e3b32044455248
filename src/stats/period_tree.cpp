#include "stats/period_tree.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>

#include "text/login_key.h"

namespace vornal {
namespace {

constexpr int kFirstYear = 1981;

// After this many rows on one day, the walk seeks to the next day instead of
// reading on: a login's few rows a day are cheaper to read through, while
// everybody's thousands a day are cheaper to jump over.
constexpr int kRowsBeforeSeek = 6;

// The dates of one time column in [from, to] that are not among the known
// dates (sorted), in order. The walk reads the column's index in order and
// seeks past days that hold many rows or are known already.
std::vector<DateTime> DistinctDates(Database& db, std::string_view sql, const std::string& login,
                                    const DateTime& from, const DateTime& to,
                                    const std::vector<DateTime>& known) {
  const auto isKnown = [&known](const DateTime& date) {
    return std::binary_search(known.begin(), known.end(), date);
  };
  std::vector<DateTime> dates;
  std::optional<Statement> statement;
  const auto seek = [&](DateTime start) {
    while (isKnown(start) && start < to) start = start.AddDays(1);
    statement.reset();
    statement.emplace(db.Prepare(sql));
    if (login.empty())
      statement->Bind(start, to);
    else
      statement->Bind(login, start, to);
  };
  seek(from);
  std::string lastDay;
  DateTime lastDate;
  int rowsOnDay = 0;
  while (statement->Step()) {
    const std::string_view text = statement->TextView(0);
    const std::string_view day = text.substr(0, 10);
    if (day == lastDay) {
      if (++rowsOnDay >= kRowsBeforeSeek) {
        seek(lastDate.AddDays(1));
        lastDay.clear();
      }
      continue;
    }
    const std::optional<DateTime> time = DateTime::FromIso(text);
    if (!time) continue;
    lastDate = time->Date();
    lastDay = day;
    rowsOnDay = 0;
    if (!isKnown(lastDate)) dates.push_back(lastDate);
  }
  return dates;
}

// The same dates on a server, where each statement costs a round trip: one
// recursive statement whose every step seeks, through the column's index,
// the first row after the day found before.
std::vector<DateTime> ServerDistinctDates(Database& db, bool begins, const std::string& login,
                                          const DateTime& from, const DateTime& to) {
  static const auto sql = [](const char* column, bool oneLogin) {
    const std::string c = column;
    const std::string who = oneLogin ? "LoginKey = ? AND " : "";
    // The date is named apart: ORDER BY the column's bare name would mean it.
    const std::string first = "(SELECT CAST(" + c + " AS date) AS d FROM logs WHERE " + who;
    return "WITH RECURSIVE days (day) AS (SELECT " + first + c + " BETWEEN ? AND ? ORDER BY " + c +
           " LIMIT 1) UNION ALL SELECT " + first + c + " >= days.day + 1 AND " + c +
           " <= ? ORDER BY " + c +
           " LIMIT 1) FROM days WHERE days.day IS NOT NULL) "
           "SELECT CAST(day AS timestamp) FROM days WHERE day IS NOT NULL";
  };
  static const std::string kSql[2][2] = {{sql("EndTime", false), sql("EndTime", true)},
                                         {sql("BeginTime", false), sql("BeginTime", true)}};
  Statement statement = db.Prepare(kSql[begins][!login.empty()]);
  if (login.empty())
    statement.Bind(from, to, to);
  else
    statement.Bind(login, from, to, login, to);
  std::vector<DateTime> dates;
  while (statement.Step())
    if (const std::optional<DateTime> date = statement.Time(0)) dates.push_back(*date);
  return dates;
}

}  // namespace

PeriodTree BuildPeriodTree(Database& db, const std::string& login, const DateTime& now) {
  PeriodTree tree;
  if (now.Year() < kFirstYear) return tree;
  const DateTime from = *DateTime::FromParts(kFirstYear, 1, 1);
  const DateTime to = *DateTime::FromParts(now.Year(), 12, 31, 23, 59, 59);

  // The same walk over the begin times, then the end times, of one login or
  // of everybody.
  const bool everybody = login.empty();
  const std::string key = LoginKey(login);
  const char* beginSql = everybody ? "SELECT BeginTime FROM logs WHERE BeginTime BETWEEN ? AND ? "
                                     "ORDER BY BeginTime"
                                   : "SELECT BeginTime FROM logs WHERE LoginKey = ? AND BeginTime "
                                     "BETWEEN ? AND ? ORDER BY BeginTime";
  const char* endSql = everybody ? "SELECT EndTime FROM logs WHERE EndTime BETWEEN ? AND ? "
                                   "ORDER BY EndTime"
                                 : "SELECT EndTime FROM logs WHERE LoginKey = ? AND EndTime "
                                   "BETWEEN ? AND ? ORDER BY EndTime";
  const bool server = db.IsServer();
  const std::vector<DateTime> begins = server ? ServerDistinctDates(db, true, key, from, to)
                                              : DistinctDates(db, beginSql, key, from, to, {});
  const std::vector<DateTime> ends = server ? ServerDistinctDates(db, false, key, from, to)
                                            : DistinctDates(db, endSql, key, from, to, begins);
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

std::optional<Period> NodePeriod(int year, int month, int day) {
  const auto first = DateTime::FromParts(year, month == 0 ? 1 : month, day == 0 ? 1 : day);
  if (!first || month < 0 || day < 0 || (month == 0 && day != 0)) return std::nullopt;
  const int lastMonth = month == 0 ? 12 : month;
  const int lastDay = day == 0 ? DateTime::DaysInMonth(year, lastMonth) : day;
  return Period{*first, *DateTime::FromParts(year, lastMonth, lastDay, 23, 59, 59)};
}

}  // namespace vornal
