#include "stats/period_listing.h"

#include "stats/period_queries.h"
#include "store/work_event.h"
#include "text/login_key.h"

namespace vornal {
namespace {

std::int64_t Seconds(const std::optional<DateTime>& time) {
  return time ? time->ToSeconds() : ListedRow::kNoTime;
}

Statement PrepareListing(Database& db, const DateTime& start, const DateTime& end,
                         const std::string& login) {
  // ID breaks ties in write order; the (Login, BeginTime) and (BeginTime)
  // indexes hold the rowid last, so neither query needs a sort.
  constexpr std::string_view kEverybody =
      "SELECT Login, Event, BeginTime, EndTime, ID FROM logs "
      "WHERE BeginTime >= ? AND BeginTime < ? ORDER BY BeginTime, ID";
  constexpr std::string_view kOneLogin =
      "SELECT Login, Event, BeginTime, EndTime, ID FROM logs "
      "WHERE LoginKey = ? AND BeginTime >= ? AND BeginTime < ? ORDER BY BeginTime, ID";
  const DateTime first = start.Date();
  const DateTime after = end.Date().AddDays(1);
  Statement statement = db.Prepare(login.empty() ? kEverybody : kOneLogin);
  if (login.empty())
    statement.Bind(first, after);
  else
    statement.Bind(LoginKey(login), first, after);
  return statement;
}

}  // namespace

RowLabel LabelOf(std::string_view event) {
  const std::optional<WorkEvent> known = WorkEventOf(TrimRight(event));
  if (!known) return RowLabel::Unknown;
  switch (*known) {
    case WorkEvent::StartWDay:
    case WorkEvent::WorkingDay:
      return RowLabel::DayGoing;
    case WorkEvent::StopWDay:
      return RowLabel::DayDone;
    case WorkEvent::StartWork:
    case WorkEvent::Working:
      return RowLabel::TaskGoing;
    case WorkEvent::StopWork:
      break;
  }
  return RowLabel::TaskDone;
}

WorkDuration ListedRow::Duration() const {
  if (begin == kNoTime || end == kNoTime) return WorkDuration::Empty();
  return WorkDuration::FromSeconds(end - begin);
}

PeriodReader::PeriodReader(Database& db, const DateTime& start, const DateTime& end,
                           const std::string& login)
    : m_statement(PrepareListing(db, start, end, login)) {}

bool PeriodReader::Next() {
  if (!m_statement.Step()) return false;
  const std::string_view login = m_statement.TextView(0);
  auto found = m_loginIndex.find(std::string(login));
  if (found == m_loginIndex.end()) {
    found = m_loginIndex.emplace(login, static_cast<std::uint32_t>(m_logins.size())).first;
    m_logins.emplace_back(login);
  }
  m_row.login = found->second;
  m_row.label = LabelOf(m_statement.TextView(1));
  m_row.begin = Seconds(m_statement.Time(2));
  m_row.end = Seconds(m_statement.Time(3));
  m_row.id = m_statement.Int(4);
  m_row.taskNumber = 0;
  if (IsTaskLabel(m_row.label)) {
    m_row.taskNumber = m_taskNumber++;
    m_taskTotal += m_row.Duration();
  } else if (IsDayLabel(m_row.label)) {
    m_dayTotal += m_row.Duration();
  }
  return true;
}

std::int64_t CountPeriodRows(Database& db, const DateTime& start, const DateTime& end,
                             const std::string& login) {
  const DateTime first = start.Date();
  const DateTime after = end.Date().AddDays(1);
  if (login.empty())
    return db
        .QueryInt("SELECT COUNT(*) FROM logs WHERE BeginTime >= ? AND BeginTime < ?", first, after)
        .value_or(0);
  return db
      .QueryInt("SELECT COUNT(*) FROM logs WHERE LoginKey = ? AND BeginTime >= ? AND BeginTime < ?",
                LoginKey(login), first, after)
      .value_or(0);
}

PeriodListing ListPeriod(Database& db, const DateTime& start, const DateTime& end,
                         const std::string& login) {
  PeriodReader reader(db, start, end, login);
  PeriodListing listing;
  while (reader.Next()) listing.rows.push_back(reader.Row());
  listing.taskTotal = reader.TaskTotal();
  listing.dayTotal = reader.DayTotal();
  listing.logins = reader.TakeLogins();
  return listing;
}

}  // namespace vornal
