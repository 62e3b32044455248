#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "text/date_time.h"
#include "text/work_event.h"

namespace vornal {

// One event as a line of main.buf: "2026|11|2|9|0|0|ivanov|StartWDay|\n",
// six numbers, the login and the event name, each ended by "|", in UTF-8.
std::string EventLine(const DateTime& time, std::string_view login, WorkEvent event);

// An event read back from a line this client wrote; nothing for any other.
struct LoggedEvent {
  DateTime time;
  WorkEvent event;
};
std::optional<LoggedEvent> ReadEventLine(std::string_view line);

// The worked time per day that the office counts from a login's events, in
// the order written: each family (working day, task) makes rows that a
// start begins, a go-on within five minutes of the row's end extends (after
// a longer gap the row keeps its end and a new one begins), a stop ends
// (after a gap at the row's own end; a day's start row always at the stop).
// A row counts on the day it begins, cut at midnight.
struct WorkedTime {
  std::int64_t work = 0;   // seconds of the working day
  std::int64_t tasks = 0;  // seconds of tasks
  friend bool operator==(const WorkedTime&, const WorkedTime&) = default;
};
class WorkedTimeCounter {
 public:
  void Add(const DateTime& time, WorkEvent event);
  // Per day (midnight), rows still going on up to their latest event.
  std::map<DateTime, WorkedTime> Days() const;

 private:
  struct Row {
    DateTime begin;
    DateTime end;
    bool start = false;
  };
  struct Family {
    std::optional<Row> row;
    std::map<DateTime, std::int64_t> days;
  };
  void Close(Family& family);
  Family m_day;
  Family m_task;
};

// The office's longest gap between events of one row, in seconds.
inline constexpr int kOfficeGapSeconds = 5 * 60;

}  // namespace vornal
