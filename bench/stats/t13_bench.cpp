// Times form T-13's content (BuildT13Sheet) of a month of everybody on a
// database made by make_stats_db, beside the month timesheet
// (BuildTimesheet) of the same month as the baseline, each run several
// times; prints the first run and the median of the rest, then the
// process's peak memory. The database is brought to the current schema.
//
//   t13_bench PATH [RUNS] [YEAR MONTH]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "stats/t13_sheet.h"
#include "stats/timesheet.h"
#include "store/schema.h"

namespace {

using Clock = std::chrono::steady_clock;

void Time(const char* what, int runs, const std::function<std::size_t()>& work) {
  std::vector<double> times;
  std::size_t size = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    size = work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::vector<double> rest(times.begin() + (runs > 1 ? 1 : 0), times.end());
  std::sort(rest.begin(), rest.end());
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%-28s %8zu rows  first %9.1f ms  median %9.1f ms  peak %7.1f MB\n", what, size,
              times.front(), rest[rest.size() / 2], usage.ru_maxrss / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: t13_bench PATH [RUNS] [YEAR MONTH]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const int year = argc > 4 ? std::atoi(argv[3]) : 2025;
  const int month = argc > 4 ? std::atoi(argv[4]) : 6;
  vornal::DatabasePtr db = vornal::OpenDatabase(argv[1]);
  // The form first, so that the peak memory printed with it is its own.
  Time("T-13, month of everybody", runs,
       [&] { return vornal::BuildT13Sheet(*db, year, month)->rows.size(); });
  Time("timesheet, month of everybody", runs,
       [&] { return vornal::BuildTimesheet(*db, year, month, {})->rows.size(); });
  return 0;
}
