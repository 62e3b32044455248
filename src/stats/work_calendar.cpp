#include "stats/work_calendar.h"

#include <algorithm>
#include <stdexcept>

#include "stats/timesheet.h"
#include "store/role_grants.h"
#include "text/csv.h"
#include "text/trim.h"

namespace vornal {
namespace {

struct MonthDay {
  int month;
  int day;
};
constexpr MonthDay kHolidays[] = {{1, 1}, {1, 2},  {1, 3}, {1, 4}, {1, 5}, {1, 6},  {1, 7},
                                  {1, 8}, {2, 23}, {3, 8}, {5, 1}, {5, 9}, {6, 12}, {11, 4}};

struct KindWord {
  DayKind kind;
  std::string_view word;
};
constexpr KindWord kKindWords[] = {
    {DayKind::Work, "work"}, {DayKind::Short, "short"}, {DayKind::Off, "off"}};

}  // namespace

bool IsPublicHoliday(const DateTime& day) {
  for (const MonthDay& holiday : kHolidays)
    if (holiday.month == day.Month() && holiday.day == day.Day()) return true;
  return false;
}

CalendarDay DefaultCalendarDay(const DateTime& day) {
  CalendarDay result{day.Date(), DayKind::Work, kWorkDaySeconds, false};
  if (IsPublicHoliday(day)) {
    result.kind = DayKind::Holiday;
  } else if (WeekdayOf(day) >= 5) {
    result.kind = DayKind::Off;
  } else if (IsPublicHoliday(day.AddDays(1))) {
    result.kind = DayKind::Short;
    result.normSeconds = kShortDaySeconds;
  }
  if (!result.Working()) result.normSeconds = 0;
  return result;
}

std::string_view DayKindWord(DayKind kind) {
  for (const KindWord& entry : kKindWords)
    if (entry.kind == kind) return entry.word;
  return "off";
}

std::optional<DayKind> DayKindOfWord(std::string_view word) {
  for (const KindWord& entry : kKindWords)
    if (entry.word == word) return entry.kind;
  return std::nullopt;
}

std::vector<CalendarDay> ReadCalendar(Database& db, const DateTime& first, const DateTime& last) {
  std::vector<CalendarDay> days;
  const DateTime from = first.Date();
  for (DateTime day = from; day <= last.Date(); day = day.AddDays(1))
    days.push_back(DefaultCalendarDay(day));
  if (days.empty()) return days;
  Statement query =
      db.Prepare("SELECT Day, Kind, Seconds FROM work_calendar WHERE Day >= ? AND Day <= ?");
  query.Bind(from, last.Date());
  while (query.Step()) {
    const std::optional<DateTime> day = query.Time(0);
    const std::optional<DayKind> kind = DayKindOfWord(query.TextView(1));
    if (!day || !kind) continue;
    CalendarDay& entry = days[static_cast<std::size_t>(day->SecondsSince(from) / 86400)];
    entry.kind = *kind;
    entry.changed = true;
    entry.normSeconds = *kind == DayKind::Work ? kWorkDaySeconds
                        : *kind == DayKind::Short
                            ? (query.IsNull(2) ? kShortDaySeconds : query.Int(2))
                            : 0;
  }
  return days;
}

void SetCalendarDays(Database& db, const std::vector<CalendarChange>& changes) {
  for (const CalendarChange& change : changes) {
    if (change.kind == DayKind::Holiday)
      throw std::invalid_argument("a day can be set to work, short or off");
    if (change.seconds &&
        (change.kind != DayKind::Short || *change.seconds < 3600 || *change.seconds > 23 * 3600))
      throw std::invalid_argument("hours are given only for a short day, from 1 to 23");
  }
  RequireRight(db, Action::EditTimesheet);
  Transaction transaction(db);
  for (const CalendarChange& change : changes) {
    db.Execute("DELETE FROM work_calendar WHERE Day = ?", change.day.Date());
    db.Execute("INSERT INTO work_calendar (Day, Kind, Seconds) VALUES (?, ?, ?)", change.day.Date(),
               DayKindWord(change.kind), change.seconds ? Value(*change.seconds) : Value());
  }
  transaction.Commit();
}

void ClearCalendarDay(Database& db, const DateTime& day) {
  RequireRight(db, Action::EditTimesheet);
  db.Execute("DELETE FROM work_calendar WHERE Day = ?", day.Date());
}

CalendarFile ReadCalendarFile(std::string_view text) {
  CalendarFile file;
  std::vector<DateTime> seen;
  bool first = true;
  for (const CsvRecord& record : ReadCsv(text)) {
    const auto bad = [&](CalendarFile::Problem problem) {
      file.problems.push_back({record.line, problem});
    };
    std::vector<std::string> fields;
    for (const std::string& field : record.fields) fields.emplace_back(Trim(field));
    if (first && !fields.empty() && fields[0] == "date") {
      first = false;
      continue;
    }
    first = false;
    if (!record.error.empty() || fields.size() < 2 || fields.size() > 3) {
      bad(CalendarFile::Problem::Malformed);
      continue;
    }
    const std::optional<DateTime> day = DateTime::FromIsoDay(fields[0]);
    if (!day) {
      bad(CalendarFile::Problem::BadDate);
      continue;
    }
    const std::optional<DayKind> kind = DayKindOfWord(fields[1]);
    if (!kind) {
      bad(CalendarFile::Problem::BadKind);
      continue;
    }
    CalendarChange change{*day, *kind, std::nullopt};
    if (fields.size() == 3 && !fields[2].empty()) {
      int hours = 0;
      const bool number =
          fields[2].size() <= 2 && fields[2].find_first_not_of("0123456789") == std::string::npos;
      if (number) hours = std::stoi(fields[2]);
      if (!number || *kind != DayKind::Short || hours < 1 || hours > 23) {
        bad(CalendarFile::Problem::BadHours);
        continue;
      }
      change.seconds = hours * 3600LL;
    }
    if (std::find(seen.begin(), seen.end(), *day) != seen.end()) {
      bad(CalendarFile::Problem::Twice);
      continue;
    }
    seen.push_back(*day);
    file.changes.push_back(change);
  }
  return file;
}

std::int64_t NormSeconds(const std::vector<CalendarDay>& days) {
  std::int64_t seconds = 0;
  for (const CalendarDay& day : days) seconds += day.normSeconds;
  return seconds;
}

}  // namespace vornal
