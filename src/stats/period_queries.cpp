#include "stats/period_queries.h"

#include <optional>

#include "text/login_key.h"

namespace vornal {
namespace {

// Whole periods as inclusive ranges of the stored text, which an index on
// (Login, time) or (time) serves.
bool IsRangeEmpty(Database& db, const DateTime& first, const DateTime& last,
                  const std::string& login) {
  if (login.empty()) {
    return !db.QueryInt("SELECT 1 FROM logs WHERE BeginTime BETWEEN ? AND ? LIMIT 1", first,
                        last) &&
           !db.QueryInt("SELECT 1 FROM logs WHERE EndTime BETWEEN ? AND ? LIMIT 1", first, last);
  }
  return !db.QueryInt("SELECT 1 FROM logs WHERE LoginKey = ? AND BeginTime BETWEEN ? AND ? LIMIT 1",
                      LoginKey(login), first, last) &&
         !db.QueryInt("SELECT 1 FROM logs WHERE LoginKey = ? AND EndTime BETWEEN ? AND ? LIMIT 1",
                      LoginKey(login), first, last);
}

}  // namespace

bool IsYearEmpty(Database& db, int year, const std::string& login) {
  const auto first = DateTime::FromParts(year, 1, 1);
  if (!first) return true;
  return IsRangeEmpty(db, *first, *DateTime::FromParts(year, 12, 31, 23, 59, 59), login);
}

bool IsMonthEmpty(Database& db, int month, int year, const std::string& login) {
  const auto first = DateTime::FromParts(year, month, 1);
  if (!first) return true;
  const int lastDay = DateTime::DaysInMonth(year, month);
  return IsRangeEmpty(db, *first, *DateTime::FromParts(year, month, lastDay, 23, 59, 59), login);
}

bool IsDayEmpty(Database& db, int day, int month, int year, const std::string& login) {
  const auto first = DateTime::FromParts(year, month, day);
  if (!first) return true;
  return IsRangeEmpty(db, *first, *DateTime::FromParts(year, month, day, 23, 59, 59), login);
}

std::string GetLoginByID(Database& db, std::int64_t id) {
  Statement statement = db.Prepare("SELECT Login FROM human WHERE ID = ?");
  statement.Bind(id);
  if (!statement.Step() || statement.IsNull(0)) return {};
  return statement.Text(0);
}

std::vector<PersonEntry> ListPeople(Database& db) {
  std::vector<PersonEntry> people;
  Statement statement = db.Prepare("SELECT ID, Name, Login FROM human ORDER BY ID");
  while (statement.Step())
    people.push_back({statement.Int(0), statement.Text(1), statement.Text(2)});
  return people;
}

}  // namespace vornal
