#pragma once

#include <string>

#include "store/database.h"

namespace vornal {

// Least privilege on a server's database, for roles its administrator has
// made. A collector may read every table of the program and write only
// what the intake writes (kProgramTables); a viewer may only read. Either
// name may be empty. The statements for the open database; a file has no
// roles (std::invalid_argument).
std::string RoleGrantsSql(Database& db, const std::string& collector, const std::string& viewer);
// Runs them in one transaction.
void GrantRoles(Database& db, const std::string& collector, const std::string& viewer);

}  // namespace vornal
