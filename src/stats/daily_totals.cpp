#include "stats/daily_totals.h"

#include <algorithm>
#include <unordered_map>

#include "stats/period_listing.h"

namespace vornal {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// One statement per day, grouped by login key and event: the engine sorts a
// day's rows at a time (half the time of grouping a month by day), and the
// day is the bound range, not an engine's date function.
std::string TotalsSql(const Database& db, bool oneLogin) {
  return "SELECT LoginKey, MIN(Login), Event, SUM(" + db.SecondsBetweenSql("BeginTime", "EndTime") +
         "), COUNT(*), COUNT(EndTime) FROM logs WHERE " + (oneLogin ? "LoginKey = ? AND " : "") +
         "BeginTime >= ? AND BeginTime < ? GROUP BY LoginKey, Event";
}

}  // namespace

DayWork& DayWork::operator+=(const DayWork& other) {
  work += other.work;
  tasks += other.tasks;
  rows += other.rows;
  openWork += other.openWork;
  openTasks += other.openTasks;
  days += other.days;
  return *this;
}

DailyTotals ComputeDailyTotals(Database& db, const DateTime& first, const DateTime& last,
                               const std::string& login, const DayProgress& progress) {
  DailyTotals totals;
  totals.first = first.Date();
  if (last.Date() < totals.first) return totals;
  totals.dayCount = static_cast<int>(last.Date().SecondsSince(totals.first) / kSecondsPerDay) + 1;
  totals.dayTotals.resize(static_cast<std::size_t>(totals.dayCount));

  const std::string sql = TotalsSql(db, !login.empty());
  const std::string key = LoginKey(login);
  std::unordered_map<std::string, std::size_t> index;  // LoginKey -> logins
  for (int day = 0; day < totals.dayCount; ++day) {
    if (progress && !progress(day, totals.dayCount)) {
      totals.cancelled = true;
      return totals;
    }
    const DateTime from = totals.first.AddDays(day);
    Statement statement = db.Prepare(sql);
    if (login.empty())
      statement.Bind(from, from.AddDays(1));
    else
      statement.Bind(key, from, from.AddDays(1));
    while (statement.Step()) {
      const RowLabel label = LabelOf(statement.TextView(2));
      if (label == RowLabel::Unknown) continue;
      auto [found, added] =
          index.try_emplace(std::string(statement.TextView(0)), totals.logins.size());
      if (added)
        totals.logins.push_back({std::string(statement.TextView(0)),
                                 statement.Text(1),
                                 std::vector<DayWork>(static_cast<std::size_t>(totals.dayCount)),
                                 {}});
      DayWork& work = totals.logins[found->second].days[static_cast<std::size_t>(day)];
      const std::int64_t seconds = statement.Int(3);
      const int rows = static_cast<int>(statement.Int(4));
      const int open = rows - static_cast<int>(statement.Int(5));
      if (IsDayLabel(label)) {
        work.work += seconds;
        work.openWork += open;
      } else {
        work.tasks += seconds;
        work.openTasks += open;
      }
      work.rows += rows;
      work.days = 1;
    }
  }

  std::sort(totals.logins.begin(), totals.logins.end(),
            [](const DailyTotals::Login& a, const DailyTotals::Login& b) { return a.key < b.key; });
  for (DailyTotals::Login& person : totals.logins) {
    for (std::size_t day = 0; day < person.days.size(); ++day) {
      person.total += person.days[day];
      totals.dayTotals[day] += person.days[day];
    }
    totals.total += person.total;
  }
  return totals;
}

}  // namespace vornal
