#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "intake/applied_events.h"
#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// Applies work events to LOGS, remembering each login's unfinished rows
// between events so that an event costs only the statements that change
// rows. The go-on event's move of a single row's end time is held in memory
// until another statement touches the login's rows or Flush() runs, so a
// working day of go-on events writes that row once; so is the end of a
// finished row that out-of-order events move on. The memory is valid only
// while nobody else writes LOGS: use one applier inside one transaction and
// Flush() before its commit (as the sweep does per file). After an engine error the memory may be
// ahead of the rolled-back rows: discard the applier with its transaction.
//
// The intervals of a login and family never overlap. An event earlier than
// the latest end recorded for them (a second machine, a clock set back) is
// looked up among the recorded intervals: inside one it changes nothing;
// up to five minutes before one's begin it moves that begin back; up to
// five minutes after a finished one's end, on its day, it moves that end on;
// elsewhere it is recorded as a finished interval of its own (a stop alone
// records nothing). Events in time order need no look-up.
//
// With a store of applied events, an event it holds (the same login, time
// and event name, in any spelling of the login) changes nothing.
class EventApplier {
 public:
  explicit EventApplier(Database& db, AppliedEvents* applied = nullptr)
      : m_db(db), m_applied(applied) {}

  // See ApplyEvent. False when the store holds the event already (nothing
  // changed) or the name is none of the six.
  bool Apply(const DateTime& time, const std::string& login, const std::string& event);
  // Writes the end times held in memory, and the store's changed sets.
  void Flush();

  // The first (lowest ID) row of a login in one unfinished state, and how
  // many such rows there are (2 meaning two or more).
  struct FirstRow {
    int count = 0;
    std::int64_t id = 0;
    std::optional<DateTime> begin;
    std::optional<DateTime> end;
    // The end time of this single row is newer in memory than in LOGS.
    bool endPending = false;
  };
  // A recorded row of a family, as an out-of-order event finds it.
  struct Row {
    std::int64_t id = 0;
    std::string event;
    std::optional<DateTime> begin;
    std::optional<DateTime> end;
  };
  // The rows of a family around its latest out-of-order event: the last
  // begun at or before it and the first begun after it (none: no such
  // row). No row of the family begins between them, so the next
  // out-of-order event between their begins finds the same two without a
  // look-up: a second machine's stream of events costs a look-up per
  // interval it meets, not per event.
  struct Neighbours {
    std::optional<Row> before;
    std::optional<Row> after;
    // The end time of `before` is newer in memory than in LOGS.
    bool endPending = false;
  };
  struct FamilyRows {
    bool loaded = false;
    FirstRow start;
    FirstRow goOn;
    // The latest EndTime of any row of the family, finished or not.
    std::optional<DateTime> latestEnd;
    // Known only while the family's events stay out of order.
    std::optional<Neighbours> late;
  };

 private:
  Database& m_db;
  AppliedEvents* m_applied;
  struct LoginRows {
    std::array<FamilyRows, 2> families;  // the day family [0] and the task family [1]
    AppliedEvents::Login* applied = nullptr;
  };
  // LoginKey -> its rows.
  std::unordered_map<std::string, LoginRows> m_logins;
};

}  // namespace vornal
