#pragma once

#include <cstdint>
#include <string>

#include "store/database.h"
#include "store/recordset.h"

namespace vornal {

// The seven values of a person that the operator edits, as stored in HUMAN.
struct PersonValues {
  std::string name;
  std::string age;
  std::string prof;
  std::string photo;
  std::string login;
  std::string tel;
  std::string email;
};

// The statements on HUMAN. Values are bound, so any text is stored as typed;
// engine errors throw StoreError.

// Every person, in ID order.
void OpenPeopleList(PersonRecordset& recordset);
// The person with this ID; an empty result when there is none.
void OpenPerson(PersonRecordset& recordset, std::int64_t id);
// Adds a person and returns its new ID.
std::int64_t InsertPerson(Database& db, const PersonValues& person);
// The number of rows changed: 1, or 0 when no person has this ID.
int UpdatePerson(Database& db, std::int64_t id, const PersonValues& person);
int DeletePerson(Database& db, std::int64_t id);

}  // namespace vornal
