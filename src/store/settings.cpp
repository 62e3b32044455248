#include "store/settings.h"

#include <optional>

#include "store/role_grants.h"

namespace vornal {
namespace {

constexpr const char* kOfficeKey = "Office";
constexpr const char* kQuietPeriodKey = "QuietPeriod";

// The value of the first row of the key; nothing when there is none.
std::optional<std::string> SettingValue(Database& db, const char* key) {
  Statement query = db.Prepare("SELECT Val FROM SETTING WHERE Key = ? ORDER BY ID LIMIT 1");
  query.Bind(key);
  if (!query.Step()) return std::nullopt;
  return query.Text(0);
}

// Replaces the key's rows by one with the value; an empty value removes them.
void SaveSetting(Database& db, const char* key, const std::string& value) {
  Transaction transaction(db);
  db.Execute("DELETE FROM SETTING WHERE Key = ?", key);
  if (!value.empty()) db.Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", key, value);
  transaction.Commit();
}

}  // namespace

std::string LoadOfficeTitle(Database& db) {
  return SettingValue(db, kOfficeKey).value_or(std::string());
}

void SaveOfficeTitle(Database& db, const std::string& title) {
  RequireRight(db, Action::EditSettings);
  SaveSetting(db, kOfficeKey, title.substr(0, title.find_last_not_of(" \t") + 1));
}

int QuietPeriodSetting(Database& db) {
  const std::optional<std::string> text = SettingValue(db, kQuietPeriodKey);
  if (!text || text->empty() || text->size() > 9 ||
      text->find_first_not_of("0123456789") != std::string::npos)
    return kDefaultQuietPeriod;
  return std::stoi(*text);
}

void SaveQuietPeriodSetting(Database& db, int seconds) {
  SaveSetting(db, kQuietPeriodKey, std::to_string(seconds));
}

}  // namespace vornal
