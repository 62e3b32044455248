// Times the statistics on a database made by make_stats_db: the tree for one
// login and for everybody, and the grid of a day, a month and a year of one
// login and of a month of everybody. Each is run several times; the first
// (cold statement cache) and the median of the rest are printed. With a
// second database (the same rows on the other engine, copied with
// `vornal-cli copy`) each operation is timed on both in turn, in one run.
//
//   stats_bench PATH [RUNS] [PATH_OR_URI]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "stats/daily_totals.h"
#include "stats/period_listing.h"
#include "stats/period_tree.h"
#include "stats/timesheet.h"
#include "store/database.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Runs `work` RUNS times on each database; prints the size, then the first
// run and the median of the others for each.
void Time(const char* what, int runs, std::vector<vornal::Database*>& dbs,
          const std::function<std::size_t(vornal::Database&)>& work) {
  std::printf("%-34s", what);
  for (vornal::Database* db : dbs) {
    std::vector<double> times;
    std::size_t size = 0;
    for (int i = 0; i < runs; ++i) {
      const auto start = Clock::now();
      size = work(*db);
      times.push_back(Milliseconds(Clock::now() - start));
    }
    const double first = times.front();
    std::vector<double> rest(times.begin() + (runs > 1 ? 1 : 0), times.end());
    std::sort(rest.begin(), rest.end());
    std::printf(" | %9zu  first %9.2f ms  median %9.2f ms", size, first, rest[rest.size() / 2]);
  }
  std::printf("\n");
}

void Plan(vornal::Database& db, const std::string& sql) {
  vornal::Statement statement = db.Prepare("EXPLAIN QUERY PLAN " + sql);
  std::printf("  %s\n", sql.c_str());
  while (statement.Step()) std::printf("    -> %s\n", statement.Text(3).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: stats_bench PATH [RUNS] [PATH_OR_URI]\n", stderr);
    return 2;
  }
  const int runs = argc > 2 ? std::max(2, std::atoi(argv[2])) : 7;
  std::vector<std::unique_ptr<vornal::Database>> owned;
  std::vector<vornal::Database*> dbs;
  for (int i = 1; i < argc; i += i == 1 ? 2 : 1) {
    owned.push_back(std::make_unique<vornal::Database>());
    owned.back()->Open(argv[i]);
    dbs.push_back(owned.back().get());
    std::printf("database %zu: %s\n", dbs.size(), owned.back()->Description().c_str());
  }
  const std::string login = "user0500";
  std::printf("%d runs each; size = days or grid rows\n", runs);

  const auto countDays = [](const vornal::PeriodTree& tree) {
    std::size_t days = 0;
    for (const auto& year : tree.years)
      for (const auto& month : year.months) days += month.days.size();
    return days;
  };
  Time("tree, one login (days)", runs, dbs,
       [&](vornal::Database& db) { return countDays(vornal::BuildPeriodTree(db, login)); });
  Time("tree, everybody (days)", runs, dbs,
       [&](vornal::Database& db) { return countDays(vornal::BuildPeriodTree(db, "")); });

  // The rows of a period and their totals, as the statistics window lists
  // them (its grid's cells are made when shown).
  const auto listing = [&](const vornal::Period& period, const std::string& who) {
    return [=](vornal::Database& db) {
      return vornal::ListPeriod(db, period.start, period.end, who).rows.size();
    };
  };
  Time("listing, day of one login", runs, dbs, listing(*vornal::NodePeriod(2025, 6, 11), login));
  Time("listing, month of one login", runs, dbs, listing(*vornal::NodePeriod(2025, 6), login));
  Time("listing, year of one login", runs, dbs, listing(*vornal::NodePeriod(2025), login));
  Time("listing, month of everybody", runs, dbs, listing(*vornal::NodePeriod(2025, 6), ""));

  // The daily totals of the timesheet, grouped by the engine.
  const auto totals = [&](const vornal::Period& period, const std::string& who) {
    return [=](vornal::Database& db) {
      const vornal::DailyTotals result =
          vornal::ComputeDailyTotals(db, period.start, period.end, who);
      return static_cast<std::size_t>(result.total.rows);
    };
  };
  Time("daily totals, month of everybody", runs, dbs, totals(*vornal::NodePeriod(2025, 6), ""));
  Time("daily totals, year of one login", runs, dbs, totals(*vornal::NodePeriod(2025), login));
  Time("timesheet, month of everybody", runs, dbs,
       [&](vornal::Database& db) { return vornal::BuildTimesheet(db, 2025, 6, "")->rows.size(); });
  Time("daily totals, year of everybody", runs, dbs, totals(*vornal::NodePeriod(2025), ""));
  // The listing as compact rows, as the window holds it.
  Time("listing, year of everybody", runs, dbs, [&](vornal::Database& db) {
    const vornal::Period year = *vornal::NodePeriod(2025);
    return vornal::ListPeriod(db, year.start, year.end, "").rows.size();
  });

  if (dbs.front()->IsServer()) return 0;
  std::puts("query plans of the file:");
  vornal::Database& db = *dbs.front();
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
