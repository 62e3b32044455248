#pragma once

#include <cstdint>
#include <memory_resource>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// Days of applied events kept: an event older than that (by the
// collector's clock, or by the latest day recorded when that is earlier)
// cannot be told from one applied before, and is kept aside instead.
inline constexpr int kAppliedEventDays = 92;

// The times a line may carry to be applied.
struct TimeLimits {
  DateTime earliest;  // 1990-01-01, or the first day whose applied events are known
  DateTime latest;    // a day after the collector's clock
  bool Allow(const DateTime& time) const { return earliest <= time && time <= latest; }
};

// The limits for lines collected at `now`: not before 1990 nor before the
// first day the store still holds (see PruneAppliedEvents), not more than a
// day after `now`. Read inside the transaction that applies the lines.
TimeLimits IntakeTimeLimits(Database& db, const DateTime& now);

// Forgets the applied events of the days before `limits.earliest`.
void PruneAppliedEvents(Database& db, const TimeLimits& limits);

// The events applied so far, per login and day: the table applied_events
// holds, for each login key and day, the sorted set of the day's events,
// each a second of the day and one of the six event names. A set is read
// once, when an event of its login and day first comes, and written by
// Flush(): an event costs a look-up in memory. Use it inside the
// transaction that applies the events, and discard it with that
// transaction when it fails.
class AppliedEvents {
 private:
  struct DaySet {
    explicit DaySet(std::pmr::memory_resource* memory) : events(memory) {}
    std::pmr::vector<std::uint32_t> events;  // second of the day * 8 + code, sorted
    bool dirty = false;
  };

 public:
  // The sets of one login key held in memory; valid as long as the store.
  class Login {
    friend class AppliedEvents;
    std::int64_t lastDay = 0;
    DaySet* last = nullptr;
    std::unordered_map<std::int64_t, DaySet> days;  // day number (days since 1970) -> set
  };

  explicit AppliedEvents(Database& db) : m_db(db) {}

  // The sets of a login key, to add its events to.
  Login& Of(const std::string& loginKey) { return m_logins[loginKey]; }
  // Records the event (`code` 0..5, its name's place among the six) of
  // the login key; false when it was recorded before.
  bool Add(Login& login, const std::string& loginKey, const DateTime& time, int code);
  // Writes the sets changed since the last Flush().
  void Flush();

 private:
  DaySet& Load(Login& login, const std::string& loginKey, std::int64_t day);

  Database& m_db;
  // The sets' memory, in large blocks of its own: sets that grow event by
  // event do not churn the heap that the engine's pages share.
  std::pmr::monotonic_buffer_resource m_memory{std::size_t{1} << 20};
  std::unordered_map<std::string, Login> m_logins;
  std::size_t m_held = 0;  // events held in memory
};

// The stored form of a sorted set: each value's distance from the one
// before, five bits to a character of the URL-safe base64 alphabet, the
// sixth bit saying that more follow. An event a minute takes 1.5
// characters.
std::string EncodeEventSet(std::span<const std::uint32_t> sorted);
// The set again; a character outside the alphabet ends it.
std::vector<std::uint32_t> DecodeEventSet(std::string_view text);

}  // namespace vornal
