#include "buffer_generator.h"

namespace vornal::bench {

BufferGenerator::BufferGenerator(int logins, unsigned seed, const DateTime& firstDay)
    : m_random(seed), m_firstDay(firstDay) {
  for (int i = 0; i < logins; ++i) {
    Worker worker;
    worker.login = LoginName(i);
    m_workers.push_back(worker);
  }
}

std::string BufferGenerator::LoginName(int index) {
  return "user" + std::to_string(index);
}

void BufferGenerator::PlanDay(Worker& worker, int dayIndex) {
  // One in ten works a late shift that runs past midnight.
  const bool late = std::uniform_int_distribution<int>(0, 9)(m_random) == 0;
  const int start = late ? std::uniform_int_distribution<int>(18 * 60, 21 * 60)(m_random)
                         : std::uniform_int_distribution<int>(7 * 60, 10 * 60)(m_random);
  worker.dayStart = dayIndex * 24 * 60 + start;
  worker.dayEnd = worker.dayStart + std::uniform_int_distribution<int>(7 * 60, 9 * 60)(m_random);
}

void BufferGenerator::Emit(std::ostream& out, int minute, int second, const Worker& worker,
                           const char* event) {
  const DateTime t = m_firstDay.AddSeconds(std::int64_t{minute} * 60 + second);
  out << t.Year() << '|' << t.Month() << '|' << t.Day() << '|' << t.Hour() << '|' << t.Minute()
      << '|' << t.Second() << '|' << worker.login << '|' << event << "|\r\n";
  ++m_written;
}

std::int64_t BufferGenerator::Write(std::ostream& out, std::int64_t events) {
  std::uniform_int_distribution<int> percent(0, 999);
  const std::int64_t target = m_written + events;
  for (int minute = 0; m_written < target; ++minute) {
    const int day = minute / (24 * 60);
    if (minute % (24 * 60) == 0)
      for (auto& worker : m_workers)
        if (!worker.inDay) PlanDay(worker, day);
    for (auto& worker : m_workers) {
      if (!worker.inDay) {
        if (minute != worker.dayStart) continue;
        worker.inDay = true;
        Emit(out, minute, 0, worker, "StartWDay");
        continue;
      }
      if (minute >= worker.dayEnd) {
        // Now and then the client does not send the stop.
        if (worker.inTask && percent(m_random) >= 50) Emit(out, minute, 0, worker, "StopWork");
        if (percent(m_random) >= 50) Emit(out, minute, 1, worker, "StopWDay");
        worker.inDay = worker.inTask = false;
        PlanDay(worker, day + 1);
        continue;
      }
      if (minute < worker.pauseUntil) continue;
      const int roll = percent(m_random);
      if (roll < 3) {  // a pause of 6 to 40 minutes
        worker.pauseUntil = minute + std::uniform_int_distribution<int>(6, 40)(m_random);
        continue;
      }
      Emit(out, minute, 0, worker, "WorkingDay");
      if (worker.inTask) {
        worker.inTask = roll >= 30;
        Emit(out, minute, 1, worker, worker.inTask ? "Working" : "StopWork");
      } else if (roll < 80) {
        Emit(out, minute, 1, worker, "StartWork");
        worker.inTask = true;
      }
    }
  }
  return m_written;
}

}  // namespace vornal::bench
