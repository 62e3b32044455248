#include "stats/presence.h"

#include "store/login_key.h"
#include "store/schema.h"

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
  std::vector<Presence> result;
  result.reserve(logins.size());
  for (const std::string& login : logins) {
    Presence presence;
    const std::string key = LoginKey(login);
    if (key.empty()) {
      result.push_back(presence);
      continue;
    }
    if (latest) {
      // The unfinished rows are few and indexed by login key and event.
      Statement day =
          db.Prepare(std::string("SELECT BeginTime, EndTime FROM logs WHERE LoginKey = ? "
                                 "AND ") +
                     kUnfinishedRows +
                     " AND Event IN ('StartWDay', 'WorkingDay') "
                     "ORDER BY EndTime DESC LIMIT 1");
      day.Bind(key);
      if (day.Step()) {
        const std::optional<DateTime> begin = day.Time(0);
        const std::optional<DateTime> end = day.Time(1);
        if (begin && end && end->SecondsSince(*latest) >= -kStillAtWork) {
          presence.state = Presence::State::AtWork;
          presence.time = DayBegin(db, key, *begin);
        }
      }
    }
    if (presence.state == Presence::State::Unknown) {
      Statement last = db.Prepare("SELECT MAX(EndTime) FROM logs WHERE LoginKey = ?");
      last.Bind(key);
      if (last.Step()) {
        if (const std::optional<DateTime> time = last.Time(0)) {
          presence.state = Presence::State::Away;
          presence.time = *time;
        }
      }
    }
    result.push_back(presence);
  }
  return result;
}

}  // namespace vornal
