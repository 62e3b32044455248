#include "store/people.h"

#include "store/login_key.h"

namespace vornal {

void OpenPeopleList(PersonRecordset& recordset) {
  recordset.Open("SELECT * FROM HUMAN ORDER BY ID");
}

void OpenPerson(PersonRecordset& recordset, std::int64_t id) {
  recordset.Open("SELECT * FROM HUMAN WHERE ID = ?", id);
}

std::int64_t InsertPerson(Database& db, const PersonValues& person) {
  db.Execute(
      "INSERT INTO HUMAN (Name, Age, Prof, Photo, Login, Tel, email, LoginKey) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
      person.name, person.age, person.prof, person.photo, person.login, person.tel, person.email,
      LoginKey(person.login));
  return db.LastInsertId();
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
