#include "store/office_title.h"

#include "store/role_grants.h"

namespace vornal {
namespace {

constexpr const char* kOfficeKey = "Office";

}  // namespace

std::string LoadOfficeTitle(Database& db) {
  Statement query = db.Prepare("SELECT Val FROM SETTING WHERE Key = ? ORDER BY ID LIMIT 1");
  query.Bind(kOfficeKey);
  if (!query.Step() || query.IsNull(0)) return {};
  return query.Text(0);
}

void SaveOfficeTitle(Database& db, const std::string& title) {
  const std::string value = title.substr(0, title.find_last_not_of(" \t") + 1);
  RequireRight(db, Action::EditSettings);
  Transaction transaction(db);
  db.Execute("DELETE FROM SETTING WHERE Key = ?", kOfficeKey);
  if (!value.empty()) db.Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", kOfficeKey, value);
  transaction.Commit();
}

}  // namespace vornal
