#include "stats/absences.h"

#include <stdexcept>

#include "store/role_grants.h"
#include "text/login_key.h"
#include "text/utf8.h"

namespace vornal {
namespace {

void CheckRange(const std::string& login, const DateTime& first, const DateTime& last) {
  if (LoginKey(login).empty()) throw std::invalid_argument("no login given");
  if (last.Date() < first.Date()) throw std::invalid_argument("the last day is before the first");
  if (last.Date().SecondsSince(first.Date()) > 366LL * 86400)
    throw std::invalid_argument("a range of days is at most a year long");
}

}  // namespace

int SetAbsences(Database& db, const std::string& login, const DateTime& first, const DateTime& last,
                int code, const std::string& note) {
  CheckRange(login, first, last);
  if (code < 1 || code > 99) throw std::invalid_argument("no such absence code");
  if (Utf8Length(note) > static_cast<std::size_t>(kLongestAbsenceNote))
    throw std::invalid_argument("the note is longer than 250 characters");
  const std::string key = LoginKey(login);
  RequireRight(db, Action::EditTimesheet);
  Transaction transaction(db);
  db.Execute("DELETE FROM absences WHERE LoginKey = ? AND Day >= ? AND Day <= ?", key, first.Date(),
             last.Date());
  int days = 0;
  for (DateTime day = first.Date(); day <= last.Date(); day = day.AddDays(1), ++days)
    db.Execute("INSERT INTO absences (Login, LoginKey, Day, Code, Note) VALUES (?, ?, ?, ?, ?)",
               login, key, day, code, note);
  transaction.Commit();
  return days;
}

int ClearAbsences(Database& db, const std::string& login, const DateTime& first,
                  const DateTime& last) {
  CheckRange(login, first, last);
  RequireRight(db, Action::EditTimesheet);
  return db.Execute("DELETE FROM absences WHERE LoginKey = ? AND Day >= ? AND Day <= ?",
                    LoginKey(login), first.Date(), last.Date());
}

std::vector<Absence> ReadAbsences(Database& db, const DateTime& first, const DateTime& last,
                                  const std::string& login) {
  std::vector<Absence> absences;
  Statement query = db.Prepare(
      std::string("SELECT Login, LoginKey, Day, Code, Note FROM absences WHERE ") +
      (login.empty() ? "" : "LoginKey = ? AND ") + "Day >= ? AND Day <= ? ORDER BY LoginKey, Day");
  if (login.empty())
    query.Bind(first.Date(), last.Date());
  else
    query.Bind(LoginKey(login), first.Date(), last.Date());
  while (query.Step()) {
    const std::optional<DateTime> day = query.Time(2);
    if (!day) continue;
    absences.push_back(
        {query.Text(0), query.Text(1), *day, static_cast<int>(query.Int(3)), query.Text(4)});
  }
  return absences;
}

}  // namespace vornal
