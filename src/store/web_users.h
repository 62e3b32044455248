#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"

namespace vornal {

// An account of the web view: a viewer sees everybody, a manager the people
// of one department. The password is kept as an Argon2id hash (libsodium's
// string form, salt and parameters inside).
struct WebUser {
  enum class Role { Viewer, Manager };
  std::string name;
  Role role = Role::Viewer;
  std::string department;  // a manager's
  std::string passwordHash;
};

// "viewer", "manager"; and back (nothing for another word).
const char* WebRoleName(WebUser::Role role);
std::optional<WebUser::Role> WebRoleFromName(std::string_view name);

// An Argon2id hash of the password (interactive limits); throws
// std::runtime_error when memory for it cannot be had.
std::string HashWebPassword(std::string_view password);
// True when the password is the one hashed; false for a malformed hash.
bool VerifyWebPassword(const std::string& hash, std::string_view password);

// The accounts by name (names compare exactly). Throw StoreError.
std::vector<WebUser> ListWebUsers(Database& db);
std::optional<WebUser> FindWebUser(Database& db, const std::string& name);
// Adds an account; false when the name is taken.
bool AddWebUser(Database& db, const WebUser& user);
// The number of accounts changed: 1, or 0 when there is no such name.
int SetWebUserPassword(Database& db, const std::string& name, const std::string& passwordHash);
int RemoveWebUser(Database& db, const std::string& name);

}  // namespace vornal
