#include "stats/presence.h"

#include <unordered_map>

#include "store/schema.h"
#include "store/work_event.h"
#include "text/login_key.h"

namespace vornal {
namespace {

// How far before the latest event a working day may have gone on and still
// count as going on: the gap after which the state machine closes it.
constexpr std::int64_t kStillAtWork = 5 * 60;
// Midnight cuts to follow back at most, for the begin of a working day.
constexpr int kMaxDaysBack = 62;

// The begin of the working day whose row begins at `begin`: a row cut at
// midnight continues one that ended at that very instant.
DateTime DayBegin(Database& db, const std::string& key, DateTime begin) {
  for (int day = 0;
       day < kMaxDaysBack && begin.Hour() == 0 && begin.Minute() == 0 && begin.Second() <= 1;
       ++day) {
    Statement query = db.Prepare(
        "SELECT BeginTime FROM logs WHERE LoginKey = ? AND EndTime = ? AND Event = 'StopWDay' "
        "ORDER BY BeginTime LIMIT 1");
    query.Bind(key, begin);
    if (!query.Step()) break;
    const std::optional<DateTime> earlier = query.Time(0);
    if (!earlier || *earlier >= begin) break;
    begin = *earlier;
  }
  return begin;
}

}  // namespace

std::optional<DateTime> LatestEvent(Database& db, const DateTime& now) {
  Statement query = db.Prepare("SELECT MAX(EndTime) FROM logs WHERE EndTime <= ?");
  query.Bind(now.AddSeconds(kStillAtWork));
  if (!query.Step()) return std::nullopt;
  return query.Time(0);
}

std::vector<Presence> PresenceOf(Database& db, const std::vector<std::string>& logins,
                                 const std::optional<DateTime>& latest) {
  // The working days still going on: the unfinished rows are few, read in
  // one pass over their index; the latest end per login counts.
  struct Day {
    DateTime begin, end;
  };
  std::unordered_map<std::string, Day> days;
  if (latest) {
    Statement query = db.Prepare(
        std::string("SELECT LoginKey, BeginTime, EndTime FROM logs WHERE ") + UnfinishedRowsSql() +
        " AND " + EventInSql({WorkEvent::StartWDay, WorkEvent::WorkingDay}));
    while (query.Step()) {
      const std::optional<DateTime> begin = query.Time(1), end = query.Time(2);
      if (!begin || !end || end->SecondsSince(*latest) < -kStillAtWork) continue;
      const auto [day, added] = days.try_emplace(query.Text(0), Day{*begin, *end});
      if (!added && *end > day->second.end) day->second = {*begin, *end};
    }
  }
  // The latest event of everybody in HUMAN in one statement, an index seek
  // each; a login not found there (or whose stored key is stale) is looked
  // up on its own below.
  std::unordered_map<std::string, std::optional<DateTime>> lastSeen;
  {
    Statement query = db.Prepare(
        "SELECT LoginKey, (SELECT MAX(EndTime) FROM logs WHERE logs.LoginKey = human.LoginKey) "
        "FROM human WHERE LoginKey IS NOT NULL");
    while (query.Step()) lastSeen.emplace(query.Text(0), query.Time(1));
  }
  std::vector<Presence> result;
  result.reserve(logins.size());
  for (const std::string& login : logins) {
    Presence presence;
    const std::string key = LoginKey(login);
    if (key.empty()) {
      result.push_back(presence);
      continue;
    }
    if (const auto day = days.find(key); day != days.end()) {
      presence.state = Presence::State::AtWork;
      presence.time = DayBegin(db, key, day->second.begin);
      result.push_back(presence);
      continue;
    }
    auto seen = lastSeen.find(key);
    if (seen == lastSeen.end()) {
      Statement query = db.Prepare("SELECT MAX(EndTime) FROM logs WHERE LoginKey = ?");
      query.Bind(key);
      seen = lastSeen.emplace(key, query.Step() ? query.Time(0) : std::nullopt).first;
    }
    if (seen->second) {
      presence.state = Presence::State::Away;
      presence.time = *seen->second;
    }
    result.push_back(presence);
  }
  return result;
}

}  // namespace vornal
