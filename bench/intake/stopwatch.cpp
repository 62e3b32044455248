#include "stopwatch.h"

#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace vornal::bench {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double ServerCpuSeconds(Database& db) {
  if (!db.IsServer()) return 0;
  const auto pid = db.QueryInt("SELECT pg_backend_pid()");
  std::ifstream stat("/proc/" + std::to_string(pid.value_or(0)) + "/stat");
  std::string field;
  // The name in parentheses has no blanks here ("postgres"); utime and
  // stime are fields 14 and 15, in clock ticks.
  double ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i)
    if (i >= 14) ticks += std::atof(field.c_str());
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

Stopwatch::Stopwatch(Database& db)
    : m_db(db),
      m_start(std::chrono::steady_clock::now()),
      m_cpu(CpuSeconds()),
      m_server(ServerCpuSeconds(db)) {}

Timing Stopwatch::Stop() const {
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
  return {wall, CpuSeconds() - m_cpu + ServerCpuSeconds(m_db) - m_server};
}

}  // namespace vornal::bench
