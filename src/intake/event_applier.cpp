#include "intake/event_applier.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "store/schema.h"
#include "store/work_event.h"
#include "text/login_key.h"

namespace vornal {
namespace {

constexpr std::int64_t kGapSeconds = 5 * 60;
// Logins held in memory by one applier before it starts afresh.
constexpr std::size_t kMaxRememberedLogins = 100000;

struct Family {
  const char* start;
  const char* goOn;
  const char* stop;
  bool task;
};

// The names, from their table, are string literals: their data ends with NUL.
constexpr Family kFamilies[2] = {
    {WorkEventName(WorkEvent::StartWDay).data(), WorkEventName(WorkEvent::WorkingDay).data(),
     WorkEventName(WorkEvent::StopWDay).data(), false},
    {WorkEventName(WorkEvent::StartWork).data(), WorkEventName(WorkEvent::Working).data(),
     WorkEventName(WorkEvent::StopWork).data(), true}};

using FirstRow = EventApplier::FirstRow;
using Neighbours = EventApplier::Neighbours;
using Row = EventApplier::Row;

// Writes a single row's end time held in memory.
void FlushEnd(Database& db, FirstRow& row) {
  if (!row.endPending) return;
  db.Send("UPDATE LOGS SET EndTime = ? WHERE ID = ?", row.end, row.id);
  row.endPending = false;
}

// Writes the end time of an out-of-order event's neighbour held in memory.
void FlushEnd(Database& db, std::optional<Neighbours>& late) {
  if (!late || !late->endPending) return;
  db.Send("UPDATE LOGS SET EndTime = ? WHERE ID = ?", late->before->end, late->before->id);
  late->endPending = false;
}

// Forgets the neighbours of the latest out-of-order event, writing first.
void Forget(Database& db, std::optional<Neighbours>& late) {
  FlushEnd(db, late);
  late.reset();
}

// One event of one login and family. Every statement changes all rows of
// the login in one state, as the rules require; when exactly one such row
// exists it is addressed by its ID, which writes the same rows with fewer
// index look-ups. The first rows are tracked alongside, so no statement
// needs a read.
class EventRun {
 public:
  EventRun(Database& db, const Family& family, const std::string& login, const std::string& key,
           const DateTime& time, EventApplier::FamilyRows& rows)
      : m_db(db),
        m_family(family),
        m_login(login),
        m_key(key),
        m_time(time),
        m_start(rows.start),
        m_goOn(rows.goOn),
        m_latestEnd(rows.latestEnd),
        m_late(rows.late) {
    if (rows.loaded) return;
    m_start = ReadFirst(family.start);
    m_goOn = ReadFirst(family.goOn);
    m_latestEnd = ReadLatestEnd();
    rows.loaded = true;
  }

  // True when the event is earlier than an end already recorded: it is
  // placed among the recorded intervals by Late() instead.
  bool OutOfOrder() const { return m_latestEnd && m_time < *m_latestEnd; }
  // A row without a date was met: the neighbours found are not kept.
  bool MetOddRow() const { return m_oddRow; }

  // See the class comment of EventApplier.
  void Late(bool stop) {
    FlushPending();
    Neighbours& around = NeighboursOfEvent();
    std::optional<Row>& before = around.before;
    const std::optional<Row>& after = around.after;
    if (before && before->end && *before->end >= m_time) return;
    if (after && after->begin->SecondsSince(m_time) <= kGapSeconds &&
        after->begin->Date() == m_time.Date()) {
      m_db.Send("UPDATE LOGS SET BeginTime = ? WHERE ID = ?", m_time, after->id);
      for (FirstRow* row : {&m_start, &m_goOn})
        if (row->count && row->id == after->id) row->begin = m_time;
      // The row after the moved one is not known.
      Forget(m_db, m_late);
      return;
    }
    if (before && before->end && before->event == m_family.stop &&
        m_time.SecondsSince(*before->end) <= kGapSeconds &&
        before->begin->Date() == m_time.Date()) {
      // Written when the next event leaves these neighbours, or by Flush().
      before->end = m_time;
      around.endPending = true;
      return;
    }
    if (stop) return;
    FlushEnd(m_db, m_late);
    m_db.Send(
        "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
        m_login, m_key, m_family.stop, m_time, m_time);
    before = Row{m_db.LastInsertId(), m_family.stop, m_time, m_time};
  }

  // Finishes what is unfinished, keeping its end, and begins a start row.
  void Start() {
    if (m_goOn.count) Close(m_family.goOn, m_goOn);
    if (m_start.count) Close(m_family.start, m_start);
    Insert(m_family.start, m_time, m_start);
  }

  // Turns a fresh start row into a go-on row, or begins one, closing rows
  // after a gap, and moves the go-on row's end to the event.
  void GoOn() {
    if (!m_goOn.count && !m_start.count) Insert(m_family.goOn, m_time, m_goOn);
    if (m_start.count) {
      if (Stale(m_start.end)) {
        Close(m_family.start, m_start);
        Insert(m_family.goOn, m_time, m_goOn);
      } else {
        StartToGoOn();
      }
    }
    if (m_goOn.count && Stale(m_goOn.end)) {
      Close(m_family.goOn, m_goOn);
      Insert(m_family.goOn, m_time, m_goOn);
    }
    if (!DayCut(m_goOn.begin, 0)) Insert(m_family.goOn, m_time, m_goOn);
  }

  // Finishes the unfinished rows: at their own end after a gap, else at the
  // event. A task start gone stale ends at its own start.
  void Stop() {
    if (m_goOn.count) {
      if (Stale(m_goOn.end))
        Close(m_family.goOn, m_goOn);
      else if (DayCut(m_goOn.begin, 0))
        Finish(m_family.goOn, m_goOn);
    }
    if (!m_start.count) return;
    if (!m_family.task) {
      Finish(m_family.start, m_start);  // a day start always ends at the stop
    } else if (Stale(m_start.end)) {
      Close(m_family.start, m_start);
    } else {
      const std::optional<DateTime> begin = m_start.begin;
      StartToGoOn();
      if (DayCut(begin, 1)) Finish(m_family.goOn, m_goOn);
    }
  }

 private:
  // The rows around the event: those remembered when the event falls
  // between their begins, else both looked up in one statement.
  Neighbours& NeighboursOfEvent() {
    if (m_late && (!m_late->before || *m_late->before->begin <= m_time) &&
        (!m_late->after || m_time < *m_late->after->begin))
      return *m_late;
    Forget(m_db, m_late);
    static const std::string sql = [] {
      const std::string row =
          "SELECT ID, Event, BeginTime, EndTime FROM LOGS WHERE LoginKey = ? AND Event IN (?, ?, "
          "?) AND BeginTime ";
      return "SELECT * FROM (" + row +
             "<= ? ORDER BY BeginTime DESC, ID DESC LIMIT 1) AS before_event UNION ALL "
             "SELECT * FROM (" +
             row + "> ? ORDER BY BeginTime, ID LIMIT 1) AS after_event";
    }();
    Statement query = m_db.Prepare(sql);
    query.Bind(m_key, m_family.start, m_family.goOn, m_family.stop, m_time, m_key, m_family.start,
               m_family.goOn, m_family.stop, m_time);
    m_late = Neighbours{};
    while (query.Step()) {
      Row row{query.Int(0), query.Text(1), query.Time(2), query.Time(3)};
      if (!row.begin) {
        // No date: as if the row were not there, but this once only.
        m_oddRow = true;
        continue;
      }
      (*row.begin <= m_time ? m_late->before : m_late->after) = std::move(row);
    }
    return *m_late;
  }

  std::optional<DateTime> ReadLatestEnd() {
    Statement query = m_db.Prepare(
        "SELECT EndTime FROM LOGS WHERE LoginKey = ? AND Event IN (?, ?, ?) AND EndTime IS NOT "
        "NULL ORDER BY EndTime DESC LIMIT 1");
    query.Bind(m_key, m_family.start, m_family.goOn, m_family.stop);
    if (!query.Step()) return std::nullopt;
    return query.Time(0);
  }

  // A row of the family now ends at the event.
  void Reached() {
    if (!m_latestEnd || *m_latestEnd < m_time) m_latestEnd = m_time;
  }

  FirstRow ReadFirst(const char* event) {
    // No LIMIT: the rows are few, and with one a server's planner, short of
    // statistics on a young table, may walk the whole ID index for a login
    // that has none.
    static const std::string sql =
        std::string(
            "SELECT ID, BeginTime, EndTime FROM LOGS WHERE LoginKey = ? AND Event = ? AND ") +
        UnfinishedRowsSql() + " ORDER BY ID";
    Statement query = m_db.Prepare(sql);
    query.Bind(m_key, event);
    FirstRow row;
    if (!query.Step()) return row;
    row.count = 1;
    row.id = query.Int(0);
    row.begin = query.Time(1);
    row.end = query.Time(2);
    if (query.Step()) row.count = 2;
    return row;
  }

  // A row without a time counts as ended long ago.
  bool Stale(const std::optional<DateTime>& end) const {
    return !end || m_time.SecondsSince(*end) > kGapSeconds;
  }

  // Runs "UPDATE LOGS SET <set> WHERE Event = state AND Login = login" with
  // the values of <set> first.
  template <class... Values>
  void Update(const char* set, const char* state, FirstRow& row, const Values&... values) {
    if (row.endPending) {
      // The held end time goes with this statement, or is overwritten by it.
      row.endPending = false;
      if (std::string_view(set).find("EndTime") == std::string_view::npos) {
        FlushPending();
        m_db.Send(std::string("UPDATE LOGS SET ") + set + ", EndTime = ? WHERE ID = ?", values...,
                  row.end, row.id);
        return;
      }
    }
    FlushPending();
    if (row.count == 1)
      m_db.Send(std::string("UPDATE LOGS SET ") + set + " WHERE ID = ?", values..., row.id);
    else
      m_db.Send(std::string("UPDATE LOGS SET ") + set + " WHERE Event = ? AND LoginKey = ? AND " +
                    UnfinishedRowsSql(),
                values..., state, m_key);
  }

  // The rows of a state are finished, their end kept.
  void Close(const char* state, FirstRow& row) {
    Update("Event = ?", state, row, m_family.stop);
    row = {};
  }

  // The rows of a state are finished at the event time.
  void Finish(const char* state, FirstRow& row) {
    Update("Event = ?, EndTime = ?", state, row, m_family.stop, m_time);
    row = {};
    Reached();
  }

  // Started rows go on; the lower ID becomes the first go-on row.
  void StartToGoOn() {
    Update("Event = ?", m_family.start, m_start, m_family.goOn);
    const int count = std::min(2, m_goOn.count + m_start.count);
    if (!m_goOn.count || m_start.id < m_goOn.id) m_goOn = m_start;
    m_goOn.count = count;
    m_start = {};
  }

  // Any statement but a held end time sees the rows as they are.
  void FlushPending() {
    FlushEnd(m_db, m_start);
    FlushEnd(m_db, m_goOn);
  }

  // A new row of the login in a state, from `begin` to the event time.
  void Insert(const char* state, const DateTime& begin, FirstRow& row) {
    FlushPending();
    m_db.Send(
        "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
        m_login, m_key, state, begin, m_time);
    Reached();
    if (row.count) {
      row.count = 2;
      return;
    }
    row = {1, m_db.LastInsertId(), begin, m_time};
  }

  // Cuts the go-on rows, begun at `begin`, at each midnight up to the event's
  // date; the cut rows end and the next row begins `boundary` seconds after
  // midnight. An event earlier than the rows' begin (a clock set back, lines
  // out of order) cannot be cut forward: the rows are finished at their own
  // end, as after a gap, and false is returned.
  bool DayCut(std::optional<DateTime> begin, int boundary) {
    if (!begin || m_time < *begin) {
      Close(m_family.goOn, m_goOn);
      return false;
    }
    if (begin->Date() == m_time.Date()) {
      // The go-on rows end at the event; a single row's new end is held until
      // it matters.
      if (m_goOn.count == 1)
        m_goOn.endPending = true;
      else
        Update("EndTime = ?", m_family.goOn, m_goOn, m_time);
      m_goOn.end = m_time;
      Reached();
      return true;
    }
    do {
      const DateTime next = begin->Date().AddDays(1).AddSeconds(boundary);
      Update("EndTime = ?, Event = ?", m_family.goOn, m_goOn, next, m_family.stop);
      m_goOn = {};
      Insert(m_family.goOn, next, m_goOn);
      begin = m_goOn.begin;
    } while (begin->Date() != m_time.Date());
    return true;
  }

  Database& m_db;
  const Family& m_family;
  const std::string& m_login;
  const std::string& m_key;
  const DateTime& m_time;
  FirstRow& m_start;
  FirstRow& m_goOn;
  std::optional<DateTime>& m_latestEnd;
  std::optional<Neighbours>& m_late;
  bool m_oddRow = false;
};

}  // namespace

void EventApplier::Flush() {
  for (auto& [login, state] : m_logins)
    for (FamilyRows& rows : state.families) {
      FlushEnd(m_db, rows.start);
      FlushEnd(m_db, rows.goOn);
      FlushEnd(m_db, rows.late);
    }
  if (m_applied) m_applied->Flush();
}

bool EventApplier::Apply(const DateTime& time, const std::string& login, const std::string& event) {
  for (std::size_t f = 0; f < 2; ++f) {
    const Family& family = kFamilies[f];
    const bool start = event == family.start;
    const bool goOn = event == family.goOn;
    if (!start && !goOn && event != family.stop) continue;
    if (m_logins.size() >= kMaxRememberedLogins) {
      Flush();
      m_logins.clear();
    }
    const std::string key = LoginKey(login);
    LoginRows& state = m_logins[key];
    if (m_applied) {
      if (!state.applied) state.applied = &m_applied->Of(key);
      const int role = start ? 0 : goOn ? 1 : 2;
      if (!m_applied->Add(*state.applied, key, time, static_cast<int>(f * 3) + role)) return false;
    }
    FamilyRows& rows = state.families[f];
    EventRun run(m_db, family, login, key, time, rows);
    if (run.OutOfOrder()) {
      run.Late(!start && !goOn);
      if (run.MetOddRow()) Forget(m_db, rows.late);
      return true;
    }
    // Events in order change the family's rows.
    Forget(m_db, rows.late);
    if (start)
      run.Start();
    else if (goOn)
      run.GoOn();
    else
      run.Stop();
    return true;
  }
  return false;
}

}  // namespace vornal
