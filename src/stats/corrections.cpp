#include "stats/corrections.h"

#include <pwd.h>
#include <unistd.h>

#include "store/role_grants.h"
#include "text/login_key.h"
#include "text/trim.h"
#include "text/utf8.h"

namespace vornal {
namespace {

constexpr std::int64_t kLongestRow = 86400;

std::string RefusalText(CorrectionRefusal why) {
  switch (why) {
    case CorrectionRefusal::NoReason:
      return "a correction needs a reason of at most 250 characters";
    case CorrectionRefusal::NoLogin:
      return "no login given";
    case CorrectionRefusal::BadTimes:
      return "the end must be after the begin, at most a day later";
    case CorrectionRefusal::NotWorkEvent:
      return "not a working-day or task event";
    case CorrectionRefusal::NoSuchRow:
      return "no such row";
    case CorrectionRefusal::Unfinished:
      return "the row is still going on: the intake is still writing it";
    case CorrectionRefusal::Overlaps:
      return "the row would overlap another row of the same login";
    case CorrectionRefusal::Changed:
      return "the row has changed since that correction";
    case CorrectionRefusal::AlreadyUndone:
      return "the correction was undone already";
  }
  return "refused";
}

struct Author {
  std::string user;
  std::string host;
  std::string role;
};

Author CurrentAuthor(Database& db) {
  Author author;
  if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
    author.user = entry->pw_name;
  else
    author.user = std::to_string(geteuid());
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) author.host = host;
  author.role = CurrentRole(db);
  return author;
}

struct StoredRow {
  std::string login;
  std::string event;
  std::optional<DateTime> begin;
  std::optional<DateTime> end;
};

std::optional<StoredRow> ReadRow(Database& db, std::int64_t id) {
  Statement query = db.Prepare("SELECT Login, Event, BeginTime, EndTime FROM logs WHERE ID = ?");
  query.Bind(id);
  if (!query.Step()) return std::nullopt;
  return StoredRow{query.Text(0), query.Text(1), query.Time(2), query.Time(3)};
}

// The finished values of a stored row, or the refusal to touch it.
WorkRowValues FinishedValues(const std::optional<StoredRow>& row) {
  if (!row) throw CorrectionRefused(CorrectionRefusal::NoSuchRow);
  const std::optional<WorkEvent> event = WorkEventOf(row->event);
  if (!event) throw CorrectionRefused(CorrectionRefusal::NotWorkEvent);
  if (IsUnfinishedEvent(*event) || !row->begin || !row->end)
    throw CorrectionRefused(CorrectionRefusal::Unfinished);
  return {row->event, *row->begin, *row->end};
}

std::string CheckedReason(const std::string& reason) {
  std::string trimmed(Trim(reason));
  if (trimmed.empty() || Utf8Length(trimmed) > static_cast<std::size_t>(kLongestReason))
    throw CorrectionRefused(CorrectionRefusal::NoReason);
  return trimmed;
}

WorkRowValues NewValues(WorkEvent event, const DateTime& begin, const DateTime& end) {
  if (!(begin < end) || end.SecondsSince(begin) > kLongestRow)
    throw CorrectionRefused(CorrectionRefusal::BadTimes);
  const WorkEvent finished = IsTaskEvent(event) ? WorkEvent::StopWork : WorkEvent::StopWDay;
  return {std::string(WorkEventName(finished)), begin, end};
}

// Refuses a row that would share time with another of its login and family.
void CheckOverlap(Database& db, const std::string& key, const WorkRowValues& row,
                  std::int64_t self) {
  const bool task = IsTaskEvent(*WorkEventOf(row.event));
  const std::string sql =
      "SELECT ID FROM logs WHERE LoginKey = ? AND " +
      (task ? EventInSql({WorkEvent::StartWork, WorkEvent::Working, WorkEvent::StopWork})
            : EventInSql({WorkEvent::StartWDay, WorkEvent::WorkingDay, WorkEvent::StopWDay})) +
      " AND ID <> ? AND BeginTime > ? AND BeginTime < ? AND COALESCE(EndTime, BeginTime) > ? "
      "LIMIT 1";
  // Rows are at most a day long: the ones that may overlap begin after
  // the day before.
  if (const std::optional<std::int64_t> other =
          db.QueryInt(sql, key, self, row.begin.AddSeconds(-kLongestRow - 1), row.end, row.begin))
    throw CorrectionRefused(CorrectionRefusal::Overlaps, *other);
}

std::optional<DateTime> Optional(const std::optional<WorkRowValues>& row, bool end) {
  if (!row) return std::nullopt;
  return end ? row->end : row->begin;
}

std::int64_t Record(Database& db, std::int64_t rowId, const std::string& login,
                    const std::optional<WorkRowValues>& before,
                    const std::optional<WorkRowValues>& after, const std::string& reason,
                    std::optional<std::int64_t> undoes = std::nullopt) {
  const Author author = CurrentAuthor(db);
  db.Execute(
      "INSERT INTO corrections (At, ByUser, ByHost, ByRole, LogId, Login, LoginKey, OldEvent, "
      "OldBegin, OldEnd, NewEvent, NewBegin, NewEnd, Reason, Undoes) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      DateTime::Now(), author.user, author.host, author.role, rowId, login, LoginKey(login),
      before ? Value(before->event) : Value(), Optional(before, false), Optional(before, true),
      after ? Value(after->event) : Value(), Optional(after, false), Optional(after, true), reason,
      undoes ? Value(*undoes) : Value());
  return db.LastInsertId();
}

// Starts a correction's transaction: the intake's lock first, so that no
// collection changes the row between reading and writing it.
void Begin(Database& db) {
  RequireRight(db, Action::Correct);
  db.Connection().Lock(DatabaseLock::Intake);
}

std::int64_t Insert(Database& db, const std::string& login, const WorkRowValues& row) {
  CheckOverlap(db, LoginKey(login), row, 0);
  db.Execute("INSERT INTO logs (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
             login, LoginKey(login), row.event, row.begin, row.end);
  return db.LastInsertId();
}

void Update(Database& db, std::int64_t id, const std::string& login, const WorkRowValues& row) {
  CheckOverlap(db, LoginKey(login), row, id);
  db.Execute("UPDATE logs SET Event = ?, BeginTime = ?, EndTime = ? WHERE ID = ?", row.event,
             row.begin, row.end, id);
}

constexpr std::string_view kTrailColumns =
    "SELECT ID, At, ByUser, ByHost, ByRole, LogId, Login, OldEvent, OldBegin, OldEnd, NewEvent, "
    "NewBegin, NewEnd, Reason, Undoes FROM corrections WHERE ";

// The entries the statement (kTrailColumns and its conditions) reads.
std::vector<Correction> ReadTrail(Statement& query) {
  std::vector<Correction> trail;
  const auto values = [&query](int column) -> std::optional<WorkRowValues> {
    const std::optional<DateTime> begin = query.Time(column + 1);
    const std::optional<DateTime> end = query.Time(column + 2);
    if (query.IsNull(column) || !begin || !end) return std::nullopt;
    return WorkRowValues{query.Text(column), *begin, *end};
  };
  while (query.Step()) {
    Correction entry;
    entry.id = query.Int(0);
    entry.at = query.Time(1).value_or(DateTime());
    entry.user = query.Text(2);
    entry.host = query.Text(3);
    entry.role = query.Text(4);
    entry.rowId = query.Int(5);
    entry.login = query.Text(6);
    entry.before = values(7);
    entry.after = values(10);
    entry.reason = query.Text(13);
    if (!query.IsNull(14)) entry.undoes = query.Int(14);
    trail.push_back(std::move(entry));
  }
  return trail;
}

}  // namespace

CorrectionRefused::CorrectionRefused(CorrectionRefusal why, std::int64_t other)
    : std::runtime_error(RefusalText(why)), m_why(why), m_other(other) {}

std::int64_t AddWorkRow(Database& db, const std::string& login, WorkEvent event,
                        const DateTime& begin, const DateTime& end, const std::string& reason) {
  const std::string why = CheckedReason(reason);
  const std::string trimmed(Trim(login));
  if (LoginKey(trimmed).empty()) throw CorrectionRefused(CorrectionRefusal::NoLogin);
  const WorkRowValues row = NewValues(event, begin, end);
  Transaction transaction(db);
  Begin(db);
  const std::int64_t id = Insert(db, trimmed, row);
  const std::int64_t entry = Record(db, id, trimmed, std::nullopt, row, why);
  transaction.Commit();
  return entry;
}

std::int64_t ChangeWorkRow(Database& db, std::int64_t rowId, std::optional<WorkEvent> event,
                           const DateTime& begin, const DateTime& end, const std::string& reason) {
  const std::string why = CheckedReason(reason);
  // The times are refused before the intake's lock is waited for.
  NewValues(event.value_or(WorkEvent::StopWDay), begin, end);
  Transaction transaction(db);
  Begin(db);
  const std::optional<StoredRow> stored = ReadRow(db, rowId);
  const WorkRowValues before = FinishedValues(stored);
  const WorkRowValues after = NewValues(event.value_or(*WorkEventOf(before.event)), begin, end);
  Update(db, rowId, stored->login, after);
  const std::int64_t entry = Record(db, rowId, stored->login, before, after, why);
  transaction.Commit();
  return entry;
}

std::int64_t RemoveWorkRow(Database& db, std::int64_t rowId, const std::string& reason) {
  const std::string why = CheckedReason(reason);
  Transaction transaction(db);
  Begin(db);
  const std::optional<StoredRow> stored = ReadRow(db, rowId);
  const WorkRowValues before = FinishedValues(stored);
  db.Execute("DELETE FROM logs WHERE ID = ?", rowId);
  const std::int64_t entry = Record(db, rowId, stored->login, before, std::nullopt, why);
  transaction.Commit();
  return entry;
}

std::int64_t UndoCorrection(Database& db, std::int64_t correctionId, const std::string& reason) {
  const std::string why = CheckedReason(reason);
  Transaction transaction(db);
  Begin(db);
  if (const std::optional<std::int64_t> undone =
          db.QueryInt("SELECT ID FROM corrections WHERE Undoes = ?", correctionId))
    throw CorrectionRefused(CorrectionRefusal::AlreadyUndone, *undone);
  Statement query = db.Prepare(std::string(kTrailColumns) + "ID = ?");
  query.Bind(correctionId);
  const std::vector<Correction> found = ReadTrail(query);
  if (found.empty()) throw CorrectionRefused(CorrectionRefusal::NoSuchRow);
  const Correction& done = found.front();
  std::int64_t rowId = done.rowId;
  if (done.after) {
    // The row must still be what the correction left.
    const std::optional<StoredRow> stored = ReadRow(db, rowId);
    if (!stored || !stored->begin || !stored->end ||
        WorkRowValues{stored->event, *stored->begin, *stored->end} != *done.after)
      throw CorrectionRefused(CorrectionRefusal::Changed);
    if (done.before)
      Update(db, rowId, done.login, *done.before);
    else
      db.Execute("DELETE FROM logs WHERE ID = ?", rowId);
  } else if (done.before) {
    rowId = Insert(db, done.login, *done.before);
  }
  const std::int64_t entry =
      Record(db, rowId, done.login, done.after, done.before, why, correctionId);
  transaction.Commit();
  return entry;
}

std::vector<Correction> ListCorrections(Database& db, const std::string& login,
                                        const std::optional<DateTime>& first,
                                        const std::optional<DateTime>& last) {
  std::string sql = std::string(kTrailColumns) + "1 = 1";
  if (!login.empty()) sql += " AND LoginKey = ?";
  if (first && last)
    sql += " AND ((OldBegin >= ? AND OldBegin < ?) OR (NewBegin >= ? AND NewBegin < ?))";
  sql += " ORDER BY ID";
  Statement query = db.Prepare(sql);
  int index = 0;
  if (!login.empty()) query.BindOne(++index, LoginKey(login));
  if (first && last)
    for (int i = 0; i < 2; ++i) {
      query.BindOne(++index, first->Date());
      query.BindOne(++index, last->Date().AddDays(1));
    }
  return ReadTrail(query);
}

std::optional<Correction> LatestCorrectionOf(Database& db, std::int64_t rowId) {
  Statement query = db.Prepare(std::string(kTrailColumns) + "LogId = ? ORDER BY ID DESC");
  query.Bind(rowId);
  std::vector<Correction> found = ReadTrail(query);
  if (found.empty()) return std::nullopt;
  return std::move(found.front());
}

std::vector<CorrectionMark> CorrectionMarks(Database& db, const DateTime& first,
                                            const DateTime& last, const std::string& login) {
  std::vector<CorrectionMark> marks;
  const DateTime from = first.Date();
  const DateTime to = last.Date().AddDays(1);
  for (const Correction& entry : ListCorrections(db, login, from, last)) {
    for (const std::optional<WorkRowValues>* row : {&entry.before, &entry.after})
      if (*row && from <= (*row)->begin && (*row)->begin < to)
        marks.push_back({LoginKey(entry.login), entry.rowId, (*row)->begin.Date(), entry.reason});
  }
  return marks;
}

}  // namespace vornal
