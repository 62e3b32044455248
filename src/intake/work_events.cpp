#include "intake/work_events.h"

#include <cstdint>
#include <optional>

namespace vornal {
namespace {

constexpr std::int64_t kGapSeconds = 5 * 60;

struct Family {
  const char* start;
  const char* goOn;
  const char* stop;
  bool task;
};

constexpr Family kDay{"StartWDay", "WorkingDay", "StopWDay", false};
constexpr Family kTask{"StartWork", "Working", "StopWork", true};

// The first (lowest ID) unfinished row of one state, as the procedures read it.
struct FirstRow {
  bool exists = false;
  std::int64_t id = 0;
  std::optional<DateTime> begin;
  std::optional<DateTime> end;
};

// One event of one login and family. The login's unfinished rows are read
// once; every statement below changes all rows of a state, as the rules
// require, and the first rows are tracked alongside so that no further
// look-up is needed.
class EventRun {
 public:
  EventRun(Database& db, const Family& family, const std::string& login, const DateTime& time)
      : m_db(db), m_family(family), m_login(login), m_time(time) {
    m_start = ReadFirst(family.start);
    m_goOn = ReadFirst(family.goOn);
  }

  void Start() {
    if (m_goOn.exists) Close(m_family.goOn, m_goOn);     // C1
    if (m_start.exists) Close(m_family.start, m_start);  // C2
    Insert(m_family.start, m_time, m_start);             // N1
  }

  void GoOn() {
    if (!m_goOn.exists && !m_start.exists) Insert(m_family.goOn, m_time, m_goOn);  // N2
    if (m_start.exists) {
      if (Stale(m_start.end)) {
        Close(m_family.start, m_start);         // C2
        Insert(m_family.goOn, m_time, m_goOn);  // N2
      } else {
        StartToGoOn();  // C3
      }
    }
    if (m_goOn.exists && Stale(m_goOn.end)) {
      Close(m_family.goOn, m_goOn);           // C1
      Insert(m_family.goOn, m_time, m_goOn);  // N2
    }
    if (!DayCut(m_goOn.begin, 0)) Insert(m_family.goOn, m_time, m_goOn);
  }

  void Stop() {
    if (m_goOn.exists) {
      if (Stale(m_goOn.end))
        Close(m_family.goOn, m_goOn);  // C1
      else if (DayCut(m_goOn.begin, 0))
        CloseAtEvent();  // C7
    }
    if (!m_start.exists) return;
    if (!m_family.task) {
      // C8: an unfinished day start always ends at the stop time.
      m_db.Execute("UPDATE LOGS SET Event = ?, EndTime = ? WHERE Event = ? AND Login = ?",
                   m_family.stop, m_time, m_family.start, m_login);
      m_start = {};
    } else if (Stale(m_start.end)) {
      Close(m_family.start, m_start);  // C2
    } else {
      const std::optional<DateTime> begin = m_start.begin;
      StartToGoOn();                         // C3
      if (DayCut(begin, 1)) CloseAtEvent();  // C7
    }
  }

 private:
  FirstRow ReadFirst(const char* event) {
    Statement query = m_db.Prepare(
        "SELECT ID, BeginTime, EndTime FROM LOGS WHERE Login = ? AND Event = ? ORDER BY ID "
        "LIMIT 1");
    query.Bind(m_login, event);
    FirstRow row;
    if (!query.Step()) return row;
    row.exists = true;
    row.id = query.Int(0);
    row.begin = query.Time(1);
    row.end = query.Time(2);
    return row;
  }

  // A row without a time counts as ended long ago.
  bool Stale(const std::optional<DateTime>& end) const {
    return !end || m_time.SecondsSince(*end) > kGapSeconds;
  }

  // C1 / C2: the rows of a state are finished, their end kept.
  void Close(const char* state, FirstRow& row) {
    m_db.Execute("UPDATE LOGS SET Event = ? WHERE Event = ? AND Login = ?", m_family.stop, state,
                 m_login);
    row = {};
  }

  // C3: started rows go on; the lower ID stays the first go-on row.
  void StartToGoOn() {
    m_db.Execute("UPDATE LOGS SET Event = ? WHERE Event = ? AND Login = ?", m_family.goOn,
                 m_family.start, m_login);
    if (!m_goOn.exists || m_start.id < m_goOn.id) m_goOn = m_start;
    m_start = {};
  }

  // C7: the go-on rows end at the event time.
  void CloseAtEvent() {
    m_db.Execute("UPDATE LOGS SET Event = ?, EndTime = ? WHERE Event = ? AND Login = ?",
                 m_family.stop, m_time, m_family.goOn, m_login);
    m_goOn = {};
  }

  // N1, N2, N3, N4.
  void Insert(const char* state, const DateTime& begin, FirstRow& row) {
    m_db.Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?)", m_login,
                 state, begin, m_time);
    if (row.exists) return;
    row = {true, m_db.LastInsertId(), begin, m_time};
  }

  // Cuts the go-on rows, begun at `begin`, at each midnight up to the event's
  // date; the cut rows end and the next row begins `boundary` seconds after
  // midnight. An event earlier than the rows' begin (a clock set back, lines
  // out of order) cannot be cut forward: the rows are finished at their own
  // end, as after a gap, and false is returned.
  bool DayCut(std::optional<DateTime> begin, int boundary) {
    if (!begin || m_time < *begin) {
      Close(m_family.goOn, m_goOn);  // C1
      return false;
    }
    if (begin->Date() == m_time.Date()) {
      m_db.Execute("UPDATE LOGS SET EndTime = ? WHERE Event = ? AND Login = ?", m_time,
                   m_family.goOn, m_login);  // C4
      m_goOn.end = m_time;
      return true;
    }
    do {
      const DateTime next = begin->Date().AddDays(1).AddSeconds(boundary);
      m_db.Execute("UPDATE LOGS SET EndTime = ?, Event = ? WHERE Event = ? AND Login = ?", next,
                   m_family.stop, m_family.goOn, m_login);  // C5, C6
      m_goOn = {};
      Insert(m_family.goOn, next, m_goOn);  // N3, N4
      begin = m_goOn.begin;
    } while (begin->Date() != m_time.Date());
    return true;
  }

  Database& m_db;
  const Family& m_family;
  const std::string& m_login;
  const DateTime& m_time;
  FirstRow m_start;
  FirstRow m_goOn;
};

}  // namespace

bool IsWorkEvent(const std::string& event) {
  for (const Family* family : {&kDay, &kTask})
    if (event == family->start || event == family->goOn || event == family->stop) return true;
  return false;
}

void ApplyEvent(Database& db, const DateTime& time, const std::string& login,
                const std::string& event) {
  for (const Family* family : {&kDay, &kTask}) {
    if (event == family->start) return EventRun(db, *family, login, time).Start();
    if (event == family->goOn) return EventRun(db, *family, login, time).GoOn();
    if (event == family->stop) return EventRun(db, *family, login, time).Stop();
  }
}

bool LogRowExists(Database& db, const std::string& event, const std::string& login) {
  return db.QueryInt("SELECT 1 FROM LOGS WHERE Event = ? AND Login = ? LIMIT 1", event, login)
      .has_value();
}

}  // namespace vornal
