#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/database.h"
#include "text/login_key.h"

namespace vornal {

// The worked time of one login on one day (or a sum of days): the rows of
// the working-day events, as a listing's day total counts them, and the
// task rows, as its task total does. A row counts on the day its
// BeginTime falls on, with EndTime - BeginTime (signed; a row still going on
// up to its current end). Rows of other events count nowhere.
struct DayWork {
  std::int64_t work = 0;   // seconds
  std::int64_t tasks = 0;  // seconds
  int rows = 0;            // rows of either family
  int openWork = 0;        // working-day rows without an EndTime: not counted, the time
  int openTasks = 0;       // is unknown; likewise task rows
  int days = 0;            // days with a row of either family

  bool HasWork() const { return rows > 0; }
  DayWork& operator+=(const DayWork& other);
};

// Per login and day of a range of days, computed by the engine: for each
// day, one statement over the rows that begin on it, grouped by login and
// event.
struct DailyTotals {
  struct Login {
    std::string key;            // LoginKey
    std::string login;          // as stored (one of its spellings)
    std::vector<DayWork> days;  // one per day of the range
    DayWork total;              // the range's sum
  };

  DateTime first;  // the first day, 00:00:00
  int dayCount = 0;
  std::vector<Login> logins;       // logins with a row in the range, letter case ignored, in order
  std::vector<DayWork> dayTotals;  // per day, everybody's sum
  DayWork total;
  bool cancelled = false;  // the progress callback asked to stop; totals incomplete
};

// Told before each day is read (days done, days in all); returns false to
// stop.
using DayProgress = std::function<bool(int done, int days)>;

// The totals of the login (everybody, for an empty login) for the days from
// first's date to last's date, both included (none when last is earlier).
DailyTotals ComputeDailyTotals(Database& db, const DateTime& first, const DateTime& last,
                               const std::string& login, const DayProgress& progress = {});

}  // namespace vornal
