#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// Who is at work now, as far as the events collected tell. Collection runs
// now and then, so "now" is the latest event collected for anybody, not the
// clock.
struct Presence {
  enum class State {
    Unknown,  // no event of the login is collected
    AtWork,   // an unfinished working day that went on at most 5 minutes before the latest event
    Away,     // otherwise
  };
  State state = State::Unknown;
  // AtWork: when the working day began (across midnight cuts); Away: the
  // login's latest event.
  DateTime time;
};

// The latest event collected for anybody: the latest end of a LOGS row,
// leaving out rows that end more than five minutes after `now` (a client
// whose clock runs ahead would otherwise hide everybody). Nothing when there
// is none.
std::optional<DateTime> LatestEvent(Database& db, const DateTime& now);

// The presence of each login, in the order given, against the latest event
// for anybody (LatestEvent). Logins compare by their folded key, as
// everywhere.
std::vector<Presence> PresenceOf(Database& db, const std::vector<std::string>& logins,
                                 const std::optional<DateTime>& latest);

}  // namespace vornal
