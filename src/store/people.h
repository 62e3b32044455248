#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"

namespace vornal {

// The values of a person that the operator edits, as stored in HUMAN.
struct PersonValues {
  std::string name;
  std::string age;
  std::string prof;
  std::string photo;
  std::string login;
  std::string tel;
  std::string email;
  // Optional, empty unless given (so the seven above may be listed alone).
  std::string department{};  // the structural unit
  std::string personnelNumber{};
};

// The edited values, in the editor's order.
enum class PersonField { Name, Login, Age, Prof, Tel, Email, Photo, Department, PersonnelNumber };
// Every field, in that order.
inline constexpr PersonField kPersonFields[] = {
    PersonField::Name,  PersonField::Login,      PersonField::Age,
    PersonField::Prof,  PersonField::Tel,        PersonField::Email,
    PersonField::Photo, PersonField::Department, PersonField::PersonnelNumber};

// The value of one field.
std::string& FieldValue(PersonValues& person, PersonField field);
const std::string& FieldValue(const PersonValues& person, PersonField field);

// The size in characters of the field's column.
int PersonFieldSize(PersonField field);
// True when the text fits the field's column.
bool FitsPersonField(PersonField field, std::string_view text);
// True when the text holds nothing but blanks (spaces, tabs, no-break spaces).
bool IsBlank(std::string_view text);

// Why values cannot be stored: a required field (name, login) that is empty
// or blank, or a value longer than its column.
struct PersonProblem {
  PersonField field;
  bool blank;  // false: too long
};
// The first problem: name, then login blank, then the sizes in field order.
std::optional<PersonProblem> CheckPerson(const PersonValues& person);

// Another person who has a login.
struct LoginOwner {
  std::int64_t id = 0;
  std::string name;
  std::string login;
};
// The first person, other than the one with ID `self`, whose login is the
// same without regard to letter case; nothing when there is none.
std::optional<LoginOwner> FindLoginOwner(Database& db, const std::string& login,
                                         std::optional<std::int64_t> self);

// The statements on HUMAN. Values are bound, so any text is stored as typed;
// engine errors throw StoreError.

// A person of the person list.
struct Person {
  std::int64_t id = 0;
  PersonValues values;
};
// Every person, in ID order.
std::vector<Person> LoadPeople(Database& db);
// The values of the person with this ID as stored; nothing when there is no
// such person.
std::optional<PersonValues> ReadPerson(Database& db, std::int64_t id);
// The same with the version of the row, which every change moves on.
struct StoredPerson {
  PersonValues values;
  std::int64_t version = 0;
};
std::optional<StoredPerson> ReadStoredPerson(Database& db, std::int64_t id);
// The number of work rows (LOGS) of a login; removing a person keeps them.
std::int64_t CountWorkRows(Database& db, const std::string& login);
// Adds a person and returns its new ID.
std::int64_t InsertPerson(Database& db, const PersonValues& person);
// Adds people in order, inside the caller's transaction: a server gets the
// statements without waiting for each (Database::Send).
void InsertPeople(Database& db, const std::vector<PersonValues>& people);
// Writes every value over the person's; the number of rows changed: 1, or
// 0 when no person has this ID.
int UpdatePerson(Database& db, std::int64_t id, const PersonValues& person);

// A field the operator changed that another desk changed as well, to
// something else, since the person was read.
struct FieldConflict {
  PersonField field;
  std::string theirs;  // as stored now
  std::string mine;
};
struct PersonSave {
  enum class Outcome { Saved, Conflict, Gone };
  Outcome outcome = Outcome::Saved;
  // Conflict: the fields in field order; the person as stored now; and the
  // operator's changes over it (a conflicting field holds the operator's
  // value), to be saved over `current` once the conflicts are decided.
  std::vector<FieldConflict> conflicts;
  StoredPerson current;
  PersonValues merged;
};
// Saves the operator's values over the person as read (`read`), so that no
// desk's change is lost: a field the operator left as read keeps what is
// stored now, another desk's change included; the fields the operator
// changed are written, unless another desk changed one of them too since,
// to something else: then nothing is written and the conflicts are returned.
// Gone: no such person any more.
PersonSave SavePerson(Database& db, std::int64_t id, const StoredPerson& read,
                      const PersonValues& mine);
int DeletePerson(Database& db, std::int64_t id);

}  // namespace vornal
