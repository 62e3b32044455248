#include "store/people.h"

#include <limits>

#include "store/role_grants.h"
#include "store/schema.h"
#include "text/login_key.h"
#include "text/utf8.h"

namespace vornal {
namespace {

const char* ColumnOf(PersonField field) {
  switch (field) {
    case PersonField::Name:
      return "Name";
    case PersonField::Login:
      return "Login";
    case PersonField::Age:
      return "Age";
    case PersonField::Prof:
      return "Prof";
    case PersonField::Tel:
      return "Tel";
    case PersonField::Email:
      return "email";
    case PersonField::Photo:
      return "Photo";
    case PersonField::Department:
      return "Department";
    case PersonField::PersonnelNumber:
      return "PersonnelNumber";
  }
  return "";
}

constexpr const char* kInsertPerson =
    "INSERT INTO HUMAN (Name, Age, Prof, Photo, Login, Tel, email, Department, PersonnelNumber, "
    "LoginKey) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

constexpr const char* kUpdatePerson =
    "UPDATE HUMAN SET Name = ?, Age = ?, Prof = ?, Photo = ?, Login = ?, Tel = ?, email = ?, "
    "Department = ?, PersonnelNumber = ?, LoginKey = ?, Version = Version + 1";

// The columns read into PersonValues, in its order.
constexpr const char* kPersonColumns =
    "Name, Age, Prof, Photo, Login, Tel, email, Department, PersonnelNumber";

// The values of a row read from kPersonColumns, starting at `first`.
PersonValues ReadValues(const Statement& query, int first) {
  return {query.Text(first),     query.Text(first + 1), query.Text(first + 2),
          query.Text(first + 3), query.Text(first + 4), query.Text(first + 5),
          query.Text(first + 6), query.Text(first + 7), query.Text(first + 8)};
}

}  // namespace

std::string& FieldValue(PersonValues& person, PersonField field) {
  switch (field) {
    case PersonField::Name:
      return person.name;
    case PersonField::Login:
      return person.login;
    case PersonField::Age:
      return person.age;
    case PersonField::Prof:
      return person.prof;
    case PersonField::Tel:
      return person.tel;
    case PersonField::Email:
      return person.email;
    case PersonField::Photo:
      return person.photo;
    case PersonField::Department:
      return person.department;
    case PersonField::PersonnelNumber:
      return person.personnelNumber;
  }
  return person.name;
}

const std::string& FieldValue(const PersonValues& person, PersonField field) {
  return FieldValue(const_cast<PersonValues&>(person), field);
}

int PersonFieldSize(PersonField field) {
  return TextColumnSize("human", ColumnOf(field));
}

bool FitsPersonField(PersonField field, std::string_view text) {
  return Utf8Length(text) <= static_cast<std::size_t>(PersonFieldSize(field));
}

bool IsBlank(std::string_view text) {
  constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
  while (!text.empty()) {
    if (text.front() == ' ' || text.front() == '\t')
      text.remove_prefix(1);
    else if (text.starts_with(kNoBreakSpace))
      text.remove_prefix(kNoBreakSpace.size());
    else
      return false;
  }
  return true;
}

std::optional<PersonProblem> CheckPerson(const PersonValues& person) {
  if (IsBlank(person.name)) return PersonProblem{PersonField::Name, true};
  if (IsBlank(person.login)) return PersonProblem{PersonField::Login, true};
  for (const PersonField field : kPersonFields)
    if (!FitsPersonField(field, FieldValue(person, field))) return PersonProblem{field, false};
  return std::nullopt;
}

std::optional<LoginOwner> FindLoginOwner(Database& db, const std::string& login,
                                         std::optional<std::int64_t> self) {
  // Logins are the same when their case-folded keys are. IDs start at 1, so
  // 0 excludes nobody.
  Statement query =
      db.Prepare("SELECT ID, Name, Login FROM HUMAN WHERE LoginKey = ? AND ID <> ? ORDER BY ID");
  query.Bind(LoginKey(login), self.value_or(0));
  if (!query.Step()) return std::nullopt;
  return LoginOwner{query.Int(0), query.Text(1), query.Text(2)};
}

std::vector<Person> LoadPeople(Database& db) {
  std::vector<Person> people;
  Statement query =
      db.Prepare(std::string("SELECT ID, ") + kPersonColumns + " FROM HUMAN ORDER BY ID");
  while (query.Step()) people.push_back({query.Int(0), ReadValues(query, 1)});
  return people;
}

std::optional<PersonValues> ReadPerson(Database& db, std::int64_t id) {
  std::optional<StoredPerson> person = ReadStoredPerson(db, id);
  if (!person) return std::nullopt;
  return std::move(person->values);
}

std::optional<StoredPerson> ReadStoredPerson(Database& db, std::int64_t id) {
  // A server's IDs are 32-bit: a larger one names nobody there.
  if (db.IsServer() && id > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  Statement query =
      db.Prepare(std::string("SELECT Version, ") + kPersonColumns + " FROM HUMAN WHERE ID = ?");
  query.Bind(id);
  if (!query.Step()) return std::nullopt;
  return StoredPerson{ReadValues(query, 1), query.Int(0)};
}

std::int64_t CountWorkRows(Database& db, const std::string& login) {
  return db.QueryInt("SELECT COUNT(*) FROM LOGS WHERE LoginKey = ?", LoginKey(login)).value_or(0);
}

std::int64_t InsertPerson(Database& db, const PersonValues& person) {
  db.Execute(kInsertPerson, person.name, person.age, person.prof, person.photo, person.login,
             person.tel, person.email, person.department, person.personnelNumber,
             LoginKey(person.login));
  return db.LastInsertId();
}

void InsertPeople(Database& db, const std::vector<PersonValues>& people) {
  for (const PersonValues& person : people)
    db.Send(kInsertPerson, person.name, person.age, person.prof, person.photo, person.login,
            person.tel, person.email, person.department, person.personnelNumber,
            LoginKey(person.login));
}

int UpdatePerson(Database& db, std::int64_t id, const PersonValues& person) {
  return db.Execute(std::string(kUpdatePerson) + " WHERE ID = ?", person.name, person.age,
                    person.prof, person.photo, person.login, person.tel, person.email,
                    person.department, person.personnelNumber, LoginKey(person.login), id);
}

PersonSave SavePerson(Database& db, std::int64_t id, const StoredPerson& read,
                      const PersonValues& mine) {
  RequireRight(db, Action::EditPeople);
  for (;;) {
    Transaction transaction(db);
    PersonSave save;
    std::optional<StoredPerson> current = ReadStoredPerson(db, id);
    if (!current) {
      save.outcome = PersonSave::Outcome::Gone;
      return save;
    }
    PersonValues merged = current->values;
    for (const PersonField field : kPersonFields) {
      const std::string& value = FieldValue(mine, field);
      const std::string& before = FieldValue(read.values, field);
      const std::string& now = FieldValue(current->values, field);
      if (value == before || value == now) continue;
      if (current->version != read.version && now != before)
        save.conflicts.push_back({field, now, value});
      else
        FieldValue(merged, field) = value;
    }
    if (!save.conflicts.empty()) {
      save.outcome = PersonSave::Outcome::Conflict;
      for (const FieldConflict& conflict : save.conflicts)
        FieldValue(merged, conflict.field) = conflict.mine;
      save.current = std::move(*current);
      save.merged = std::move(merged);
      return save;
    }
    // The version compared is the one just read: a desk that saved in
    // between (a server lets it) makes this one read again.
    if (db.Execute(std::string(kUpdatePerson) + " WHERE ID = ? AND Version = ?", merged.name,
                   merged.age, merged.prof, merged.photo, merged.login, merged.tel, merged.email,
                   merged.department, merged.personnelNumber, LoginKey(merged.login), id,
                   current->version) == 1) {
      transaction.Commit();
      return save;
    }
  }
}

int DeletePerson(Database& db, std::int64_t id) {
  return db.Execute("DELETE FROM HUMAN WHERE ID = ?", id);
}

}  // namespace vornal
