#include "stats/period_listing.h"

#include <string_view>

#include "stats/period_queries.h"
#include "store/login_key.h"

namespace vornal {
namespace {

enum class Kind { Day, Task, Unknown };

struct EventRule {
  std::string_view event;
  Kind kind;
  const char* label;  // for tasks, the text before the number
  const char* labelTail;
};

constexpr EventRule kRules[] = {
    {"StartWDay", Kind::Day, "Идет рабочий день", ""},
    {"WorkingDay", Kind::Day, "Идет рабочий день", ""},
    {"StopWDay", Kind::Day, "Закончен рабочий день", ""},
    {"StartWork", Kind::Task, "Выполняется ", " задание"},
    {"Working", Kind::Task, "Выполняется ", " задание"},
    {"StopWork", Kind::Task, "Закончено ", " задание"},
};

const EventRule* FindRule(std::string_view event) {
  event = TrimRight(event);
  for (const EventRule& rule : kRules)
    if (rule.event == event) return &rule;
  return nullptr;
}

}  // namespace

std::string FormatListTime(const std::optional<DateTime>& time) {
  return time ? time->Format("%H:%M %d %b %y") : std::string();
}

PeriodListing ListPeriod(Database& db, const DateTime& start, const DateTime& end,
                         const std::string& login) {
  // ID breaks ties in write order; the (Login, BeginTime) and (BeginTime)
  // indexes hold the rowid last, so neither query needs a sort.
  constexpr std::string_view kEverybody =
      "SELECT Login, Event, BeginTime, EndTime FROM logs "
      "WHERE BeginTime BETWEEN ? AND ? ORDER BY BeginTime, ID";
  constexpr std::string_view kOneLogin =
      "SELECT Login, Event, BeginTime, EndTime FROM logs "
      "WHERE LoginKey = ? AND BeginTime BETWEEN ? AND ? ORDER BY BeginTime, ID";
  const DateTime first = start.Date();
  const DateTime last = *DateTime::FromParts(end.Year(), end.Month(), end.Day(), 23, 59, 59);

  Statement statement = db.Prepare(login.empty() ? kEverybody : kOneLogin);
  if (login.empty())
    statement.Bind(first, last);
  else
    statement.Bind(LoginKey(login), first, last);

  PeriodListing listing;
  int taskNumber = 1;
  while (statement.Step()) {
    const std::optional<DateTime> begin = statement.Time(2);
    const std::optional<DateTime> finish = statement.Time(3);
    const WorkDuration duration = WorkDuration::Between(begin, finish);
    ListedRow row;
    if (const EventRule* rule = FindRule(statement.TextView(1))) {
      if (rule->kind == Kind::Task) {
        row.taskNumber = taskNumber++;
        row.label = rule->label + std::to_string(row.taskNumber) + rule->labelTail;
        listing.taskTotal += duration;
      } else {
        row.label = rule->label;
        listing.dayTotal += duration;
      }
    } else {
      row.label = "Unknown";
    }
    row.begin = FormatListTime(begin);
    row.end = FormatListTime(finish);
    row.duration = duration.FormatClock();
    row.login = statement.Text(0);
    listing.rows.push_back(std::move(row));
  }
  return listing;
}

}  // namespace vornal
