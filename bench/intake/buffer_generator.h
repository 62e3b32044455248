#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "text/date_time.h"

namespace vornal::bench {

// Writes realistic main.buf content: many logins working day shifts (some
// late ones crossing midnight), a go-on event every minute of work, tasks
// started and stopped, pauses longer than five minutes, now and then a day
// or task left without its stop. Lines come in time order, CR LF ended.
class BufferGenerator {
 public:
  BufferGenerator(int logins, unsigned seed, const DateTime& firstDay);

  // Writes at least `events` more lines (whole minutes); the lines written
  // by this generator so far.
  std::int64_t Write(std::ostream& out, std::int64_t events);

  static std::string LoginName(int index);

 private:
  struct Worker {
    std::string login;
    int dayStart = 0;  // minute of the simulation the shift starts
    int dayEnd = 0;
    int pauseUntil = 0;
    bool inDay = false;
    bool inTask = false;
  };

  void PlanDay(Worker& worker, int dayIndex);
  void Emit(std::ostream& out, int minute, int second, const Worker& worker, const char* event);

  std::mt19937 m_random;
  DateTime m_firstDay;
  std::vector<Worker> m_workers;
  std::int64_t m_written = 0;
};

}  // namespace vornal::bench
