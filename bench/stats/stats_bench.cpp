// Times the statistics on a database made by make_stats_db: the tree for one
// login and for everybody, and the grid of a day, a month and a year of one
// login and of a month of everybody. Each is run several times; the first
// (cold statement cache) and the median of the rest are printed.
//
//   stats_bench PATH [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "stats/daily_totals.h"
#include "stats/period_tree.h"
#include "stats/stat_grid.h"
#include "stats/timesheet.h"
#include "store/database.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void Time(const char* what, int runs, const std::function<std::size_t()>& work) {
  std::vector<double> times;
  std::size_t size = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    size = work();
    times.push_back(Milliseconds(Clock::now() - start));
  }
  const double first = times.front();
  std::vector<double> rest(times.begin() + (runs > 1 ? 1 : 0), times.end());
  std::sort(rest.begin(), rest.end());
  std::printf("%-34s %9zu  first %9.2f ms  median %9.2f ms\n", what, size, first,
              rest[rest.size() / 2]);
}

void Plan(vornal::Database& db, const std::string& sql) {
  vornal::Statement statement = db.Prepare("EXPLAIN QUERY PLAN " + sql);
  std::printf("  %s\n", sql.c_str());
  while (statement.Step()) std::printf("    -> %s\n", statement.Text(3).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: stats_bench PATH [RUNS]\n", stderr);
    return 2;
  }
  const int runs = argc > 2 ? std::max(2, std::atoi(argv[2])) : 7;
  vornal::Database db;
  db.Open(argv[1]);
  const std::string login = "user0500";
  std::printf("database %s, %d runs each; size = nodes or grid rows\n", argv[1], runs);

  const auto countDays = [](const vornal::PeriodTree& tree) {
    std::size_t days = 0;
    for (const auto& year : tree.years)
      for (const auto& month : year.months) days += month.days.size();
    return days;
  };
  Time("tree, one login (days)", runs,
       [&] { return countDays(vornal::BuildPeriodTree(db, login)); });
  Time("tree, everybody (days)", runs, [&] { return countDays(vornal::BuildPeriodTree(db, "")); });

  const auto grid = [&](const vornal::Period& period, const std::string& who) {
    return static_cast<std::size_t>(
        vornal::BuildStatGrid(db, period.start, period.end, who).RowCount());
  };
  Time("grid, day of one login", runs,
       [&] { return grid(*vornal::NodePeriod(2025, 6, 11), login); });
  Time("grid, month of one login", runs, [&] { return grid(*vornal::NodePeriod(2025, 6), login); });
  Time("grid, year of one login", runs, [&] { return grid(*vornal::NodePeriod(2025), login); });
  Time("grid, month of everybody", runs, [&] { return grid(*vornal::NodePeriod(2025, 6), ""); });

  // The daily totals of the timesheet, grouped by the engine.
  const auto totals = [&](const vornal::Period& period, const std::string& who) {
    const vornal::DailyTotals result =
        vornal::ComputeDailyTotals(db, period.start, period.end, who);
    return static_cast<std::size_t>(result.total.rows);
  };
  Time("daily totals, month of everybody", runs,
       [&] { return totals(*vornal::NodePeriod(2025, 6), ""); });
  Time("daily totals, year of one login", runs,
       [&] { return totals(*vornal::NodePeriod(2025), login); });
  Time("timesheet, month of everybody", runs,
       [&] { return vornal::BuildTimesheet(db, 2025, 6, "")->rows.size(); });
  Time("daily totals, year of everybody", runs,
       [&] { return totals(*vornal::NodePeriod(2025), ""); });
  // The listing as compact rows, as the window holds it.
  Time("listing, year of everybody", runs, [&] {
    const vornal::Period year = *vornal::NodePeriod(2025);
    return vornal::ListPeriod(db, year.start, year.end, "").rows.size();
  });

  std::puts("query plans:");
  Plan(db,
       "SELECT BeginTime FROM logs WHERE LoginKey = ? AND BeginTime BETWEEN ? AND ? "
       "ORDER BY BeginTime");
  Plan(db, "SELECT EndTime FROM logs WHERE EndTime BETWEEN ? AND ? ORDER BY EndTime");
  Plan(db,
       "SELECT Login, Event, BeginTime, EndTime FROM logs "
       "WHERE LoginKey = ? AND BeginTime >= ? AND BeginTime < ? ORDER BY BeginTime, ID");
  Plan(db,
       "SELECT Login, Event, BeginTime, EndTime FROM logs "
       "WHERE BeginTime >= ? AND BeginTime < ? ORDER BY BeginTime, ID");
  const std::string grouped = "SELECT LoginKey, MIN(Login), Event, SUM(" +
                              db.SecondsBetweenSql("BeginTime", "EndTime") +
                              "), COUNT(*), COUNT(EndTime) FROM logs WHERE ";
  Plan(db, grouped + "BeginTime >= ? AND BeginTime < ? GROUP BY LoginKey, Event");
  Plan(db, grouped + "LoginKey = ? AND BeginTime >= ? AND BeginTime < ? GROUP BY LoginKey, Event");
  return 0;
}
