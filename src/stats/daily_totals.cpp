#include "stats/daily_totals.h"

#include <algorithm>
#include <unordered_map>

#include "stats/period_listing.h"
#include "stats/period_queries.h"

namespace vornal {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// One statement per engine dialect and login condition: grouped by login,
// day and event, so the engine returns a few rows per login and day.
std::string TotalsSql(const Database& db, bool oneLogin) {
  const std::string day = db.DateOfSql("BeginTime");
  return "SELECT Login, " + day + ", Event, SUM(" + db.SecondsBetweenSql("BeginTime", "EndTime") +
         "), COUNT(*), COUNT(EndTime) FROM logs WHERE " + (oneLogin ? "LoginKey = ? AND " : "") +
         "BeginTime >= ? AND BeginTime < ? GROUP BY Login, " + day + ", Event";
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
                               const std::string& login) {
  DailyTotals totals;
  totals.first = first.Date();
  if (last.Date() < totals.first) return totals;
  totals.dayCount = static_cast<int>(last.Date().SecondsSince(totals.first) / kSecondsPerDay) + 1;
  totals.dayTotals.resize(static_cast<std::size_t>(totals.dayCount));

  Statement statement = db.Prepare(TotalsSql(db, !login.empty()));
  const DateTime after = last.Date().AddDays(1);
  if (login.empty())
    statement.Bind(totals.first, after);
  else
    statement.Bind(LoginKey(login), totals.first, after);

  std::unordered_map<std::string, std::size_t> index;  // LoginKey -> logins
  const std::int64_t firstSeconds = totals.first.ToSeconds();
  while (statement.Step()) {
    const RowLabel label = LabelOf(statement.TextView(2));
    if (label == RowLabel::Unknown) continue;
    const std::optional<DateTime> date = DateTime::FromIso(statement.TextView(1));
    if (!date) continue;
    const std::int64_t day = (date->ToSeconds() - firstSeconds) / kSecondsPerDay;
    if (day < 0 || day >= totals.dayCount) continue;

    const std::string_view stored = statement.TextView(0);
    auto [found, added] = index.try_emplace(LoginKey(stored), totals.logins.size());
    if (added)
      totals.logins.push_back({std::string(stored),
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

  std::sort(totals.logins.begin(), totals.logins.end(),
            [](const DailyTotals::Login& a, const DailyTotals::Login& b) {
              return LoginKey(a.login) < LoginKey(b.login);
            });
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
