#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "text/trim.h"

namespace vornal {

// Whether the login (everybody, for an empty login) has a LOGS row that
// begins or ends in the year, month or day. A period that does not exist
// (month 13, 31 April) is empty.
bool IsYearEmpty(Database& db, int year, const std::string& login);
bool IsMonthEmpty(Database& db, int month, int year, const std::string& login);
bool IsDayEmpty(Database& db, int day, int month, int year, const std::string& login);

// The Login of the HUMAN row with that ID, or the empty text when there is
// no such row.
std::string GetLoginByID(Database& db, std::int64_t id);

// One person of the statistics window's person list.
struct PersonEntry {
  std::int64_t id = 0;
  std::string name;
  std::string login;
};

// Every HUMAN row in ID order.
std::vector<PersonEntry> ListPeople(Database& db);

}  // namespace vornal
