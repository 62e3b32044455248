#pragma once

#include <chrono>

#include "store/database.h"

namespace vornal::bench {

// CPU time of the process: other builds on the machine slow the wall clock.
double CpuSeconds();
// CPU seconds of the process serving the connection, when it is a local
// server's; 0 for a file.
double ServerCpuSeconds(Database& db);

// Wall and CPU seconds of one measurement; on a local server the CPU time
// of the server process that served the connection is added.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

// Starts timing; Stop gives the wall and CPU seconds since.
class Stopwatch {
 public:
  explicit Stopwatch(Database& db);
  Timing Stop() const;

 private:
  Database& m_db;
  std::chrono::steady_clock::time_point m_start;
  double m_cpu;
  double m_server;
};

}  // namespace vornal::bench
