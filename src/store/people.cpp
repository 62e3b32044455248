#include "store/people.h"

#include <limits>

#include "store/login_key.h"
#include "store/schema.h"

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
  }
  return "";
}

constexpr const char* kInsertPerson =
    "INSERT INTO HUMAN (Name, Age, Prof, Photo, Login, Tel, email, LoginKey) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?)";

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
  }
  return person.name;
}

int PersonFieldSize(PersonField field) {
  return TextColumnSize("human", ColumnOf(field));
}

bool FitsPersonField(PersonField field, std::string_view text) {
  return TextLength(text) <= static_cast<std::size_t>(PersonFieldSize(field));
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
  const std::pair<PersonField, const std::string*> fields[] = {
      {PersonField::Name, &person.name},  {PersonField::Login, &person.login},
      {PersonField::Age, &person.age},    {PersonField::Prof, &person.prof},
      {PersonField::Tel, &person.tel},    {PersonField::Email, &person.email},
      {PersonField::Photo, &person.photo}};
  for (const auto& [field, text] : fields)
    if (!FitsPersonField(field, *text)) return PersonProblem{field, false};
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

void OpenPeopleList(PersonRecordset& recordset) {
  recordset.Open("SELECT * FROM HUMAN ORDER BY ID");
}

void OpenPerson(PersonRecordset& recordset, std::int64_t id) {
  recordset.Open("SELECT * FROM HUMAN WHERE ID = ?", id);
}

std::optional<PersonValues> ReadPerson(Database& db, std::int64_t id) {
  // A server's IDs are 32-bit: a larger one names nobody there.
  if (db.IsServer() && id > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  PersonRecordset rs(&db);
  OpenPerson(rs, id);
  if (rs.AtEnd()) return std::nullopt;
  return PersonValues{rs.m_Name, rs.m_Age, rs.m_Prof, rs.m_Photo, rs.m_Login, rs.m_Tel, rs.m_email};
}

std::int64_t CountWorkRows(Database& db, const std::string& login) {
  return db.QueryInt("SELECT COUNT(*) FROM LOGS WHERE LoginKey = ?", LoginKey(login)).value_or(0);
}

std::int64_t InsertPerson(Database& db, const PersonValues& person) {
  db.Execute(kInsertPerson, person.name, person.age, person.prof, person.photo, person.login,
             person.tel, person.email, LoginKey(person.login));
  return db.LastInsertId();
}

void InsertPeople(Database& db, const std::vector<PersonValues>& people) {
  for (const PersonValues& person : people)
    db.Send(kInsertPerson, person.name, person.age, person.prof, person.photo, person.login,
            person.tel, person.email, LoginKey(person.login));
}

int UpdatePerson(Database& db, std::int64_t id, const PersonValues& person) {
  return db.Execute(
      "UPDATE HUMAN SET Name = ?, Age = ?, Prof = ?, Photo = ?, Login = ?, Tel = ?, email = ?, "
      "LoginKey = ? WHERE ID = ?",
      person.name, person.age, person.prof, person.photo, person.login, person.tel, person.email,
      LoginKey(person.login), id);
}

int DeletePerson(Database& db, std::int64_t id) {
  return db.Execute("DELETE FROM HUMAN WHERE ID = ?", id);
}

}  // namespace vornal
