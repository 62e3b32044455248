#include "store/web_users.h"

#include <sodium.h>

#include <stdexcept>

namespace vornal {
namespace {

void StartSodium() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
}

WebUser Read(const Statement& row) {
  WebUser user;
  user.name = row.Text(0);
  user.role = WebRoleFromName(row.Text(1)).value_or(WebUser::Role::Manager);
  user.department = row.Text(2);
  user.passwordHash = row.Text(3);
  return user;
}

constexpr const char* kColumns = "SELECT Name, Role, Department, PasswordHash FROM web_users";

}  // namespace

const char* WebRoleName(WebUser::Role role) {
  return role == WebUser::Role::Viewer ? "viewer" : "manager";
}

std::optional<WebUser::Role> WebRoleFromName(std::string_view name) {
  if (name == "viewer") return WebUser::Role::Viewer;
  if (name == "manager") return WebUser::Role::Manager;
  return std::nullopt;
}

std::string HashWebPassword(std::string_view password) {
  StartSodium();
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw std::runtime_error("not enough memory to hash the password");
  return hash;
}

bool VerifyWebPassword(const std::string& hash, std::string_view password) {
  StartSodium();
  return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::vector<WebUser> ListWebUsers(Database& db) {
  std::vector<WebUser> users;
  Statement query = db.Prepare(std::string(kColumns) + " ORDER BY Name");
  while (query.Step()) users.push_back(Read(query));
  return users;
}

std::optional<WebUser> FindWebUser(Database& db, const std::string& name) {
  Statement query = db.Prepare(std::string(kColumns) + " WHERE Name = ?");
  query.Bind(name);
  if (!query.Step()) return std::nullopt;
  return Read(query);
}

bool AddWebUser(Database& db, const WebUser& user) {
  Transaction transaction(db);
  if (db.QueryInt("SELECT 1 FROM web_users WHERE Name = ?", user.name)) return false;
  db.Execute("INSERT INTO web_users (Name, Role, Department, PasswordHash) VALUES (?, ?, ?, ?)",
             user.name, WebRoleName(user.role), user.department, user.passwordHash);
  transaction.Commit();
  return true;
}

int SetWebUserPassword(Database& db, const std::string& name, const std::string& passwordHash) {
  return db.Execute("UPDATE web_users SET PasswordHash = ? WHERE Name = ?", passwordHash, name);
}

int RemoveWebUser(Database& db, const std::string& name) {
  return db.Execute("DELETE FROM web_users WHERE Name = ?", name);
}

}  // namespace vornal
