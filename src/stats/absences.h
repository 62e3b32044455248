#pragma once

#include <string>
#include <vector>

#include "store/database.h"

namespace vornal {

// An absence of a person on a day: a code of the timesheet form's list (its
// number, 1 to 99), with the operator's note. One per login and day.
struct Absence {
  std::string login;  // as stored
  std::string loginKey;
  DateTime day;
  int code = 0;
  std::string note;
};

inline constexpr int kLongestAbsenceNote = 250;

// Sets the code on every day from first's date to last's date, over what
// the days had, in one transaction; the number of days. Throws
// std::invalid_argument, with nothing stored, for an empty login, a code
// outside 1 to 99, a range backwards or longer than a year, or a note
// longer than kLongestAbsenceNote characters.
int SetAbsences(Database& db, const std::string& login, const DateTime& first, const DateTime& last,
                int code, const std::string& note);
// Clears the absences of the days; the number of days that had one.
int ClearAbsences(Database& db, const std::string& login, const DateTime& first,
                  const DateTime& last);
// The absences of the days, of the login or of everybody (empty login), by
// login key and day.
std::vector<Absence> ReadAbsences(Database& db, const DateTime& first, const DateTime& last,
                                  const std::string& login = {});

}  // namespace vornal
