#include "stats/timesheet.h"

#include <algorithm>
#include <unordered_map>

#include "stats/period_queries.h"

namespace vornal {
namespace {

std::string Trimmed(std::string_view text) {
  return std::string(TrimRight(text));
}

}  // namespace

DateTime Timesheet::ColumnDate(int column) const {
  if (ByMonth()) return *DateTime::FromParts(year, column + 1, 1);
  return *DateTime::FromParts(year, month, column + 1);
}

bool Timesheet::IsWeekend(int column) const {
  return !ByMonth() && WeekdayOf(ColumnDate(column)) >= 5;
}

int WeekdayOf(const DateTime& date) {
  // 1970-01-01 was a Thursday.
  const std::int64_t days = date.Date().ToSeconds() / 86400;
  return static_cast<int>(((days + 3) % 7 + 7) % 7);
}

std::optional<Timesheet> BuildTimesheet(Database& db, int year, int month, const std::string& login,
                                        const DayProgress& progress) {
  if (month < 0 || month > 12) return std::nullopt;
  const auto first = DateTime::FromParts(year, month == 0 ? 1 : month, 1);
  if (!first) return std::nullopt;
  const int lastMonth = month == 0 ? 12 : month;
  const DateTime last =
      *DateTime::FromParts(year, lastMonth, DateTime::DaysInMonth(year, lastMonth));

  Timesheet sheet;
  sheet.year = year;
  sheet.month = month;
  const int columns = month == 0 ? 12 : DateTime::DaysInMonth(year, month);
  sheet.columnTotals.resize(static_cast<std::size_t>(columns));

  DailyTotals totals = ComputeDailyTotals(db, *first, last, login, progress);
  if (totals.cancelled) return std::nullopt;
  std::unordered_map<std::string, std::size_t> byKey;  // LoginKey -> totals.logins
  for (std::size_t i = 0; i < totals.logins.size(); ++i) byKey.emplace(totals.logins[i].key, i);
  std::vector<bool> used(totals.logins.size());
  // The column of each day: itself, or its month.
  std::vector<std::size_t> columnOf(static_cast<std::size_t>(totals.dayCount));
  for (std::size_t day = 0; day < columnOf.size(); ++day)
    columnOf[day] =
        month == 0 ? static_cast<std::size_t>(first->AddDays(static_cast<int>(day)).Month() - 1)
                   : day;

  const auto addRow = [&](std::string rowLogin, std::string name) {
    Timesheet::Row row{std::move(rowLogin),
                       std::move(name),
                       std::vector<DayWork>(static_cast<std::size_t>(columns)),
                       {}};
    const auto found = byKey.find(LoginKey(row.login));
    if (found != byKey.end() && !used[found->second]) {
      used[found->second] = true;
      const std::vector<DayWork>& days = totals.logins[found->second].days;
      for (std::size_t day = 0; day < days.size(); ++day) row.cells[columnOf[day]] += days[day];
    }
    for (std::size_t column = 0; column < row.cells.size(); ++column) {
      row.total += row.cells[column];
      sheet.columnTotals[column] += row.cells[column];
    }
    sheet.total += row.total;
    sheet.rows.push_back(std::move(row));
  };

  const std::vector<PersonEntry> people = ListPeople(db);
  if (!login.empty()) {
    const std::string key = LoginKey(login);
    const auto person = std::find_if(people.begin(), people.end(), [&](const PersonEntry& entry) {
      return LoginKey(Trimmed(entry.login)) == key;
    });
    const auto found = byKey.find(key);
    if (person != people.end())
      addRow(Trimmed(person->login), Trimmed(person->name));
    else
      addRow(found != byKey.end() ? totals.logins[found->second].login : login, {});
    return sheet;
  }
  std::unordered_map<std::string, bool> listed;
  for (const PersonEntry& person : people) {
    const std::string key = LoginKey(Trimmed(person.login));
    if (key.empty() || !listed.emplace(key, true).second) continue;
    addRow(Trimmed(person.login), Trimmed(person.name));
  }
  for (std::size_t i = 0; i < totals.logins.size(); ++i)
    if (!used[i]) addRow(totals.logins[i].login, {});
  return sheet;
}

}  // namespace vornal
