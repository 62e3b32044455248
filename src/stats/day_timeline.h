#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/database.h"

namespace vornal {

// One day drawn as a timeline: a lane per person with the working-day and
// task rows that begin that day, in seconds from midnight, cut at the day's
// end. Rows without an end time or ending before they begin have no bar.
struct DayLane {
  struct Bar {
    int begin = 0;             // seconds from 00:00:00
    int end = 0;               // at most 86400
    std::int64_t fullEnd = 0;  // seconds from 00:00:00 to the row's end, not cut
    bool task = false;
    std::int64_t id = 0;     // the row's ID
    bool finished = false;   // a finished row, which a correction may change
    std::string correction;  // the latest correction's reason; empty when none
  };
  std::string login;
  std::string name;  // from the person list; empty when nobody has this login
  std::vector<Bar> bars;
};

// The lanes of the login (one lane, bars or not) or of everybody with a row
// that day: the person list's order, then the logins nobody has entered.
std::vector<DayLane> BuildDayTimeline(Database& db, const DateTime& day, const std::string& login);

// The last day from first's date to last's date on which a row of the login
// (of anybody, for an empty login) begins; nothing when none does.
std::optional<DateTime> LastDayWithRows(Database& db, const DateTime& first, const DateTime& last,
                                        const std::string& login);

}  // namespace vornal
