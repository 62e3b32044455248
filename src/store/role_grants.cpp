#include "store/role_grants.h"

#include <algorithm>
#include <stdexcept>

#include "store/schema.h"
#include "store/sql_text.h"

namespace vornal {
namespace {

// Reading: the database, its schema and every table the program keeps,
// its schema version included.
std::string ReadGrants(const std::string& database, const std::string& schema,
                       const std::string& role) {
  std::string sql = "GRANT CONNECT ON DATABASE " + database + " TO " + role + ";\n" +
                    "GRANT USAGE ON SCHEMA " + schema + " TO " + role + ";\n" +
                    "GRANT SELECT ON schema_version";
  for (const ProgramTable& table : kProgramTables) sql += std::string(", ") + table.name;
  return sql + " TO " + role + ";\n";
}

}  // namespace

std::string RoleGrantsSql(Database& db, const std::string& collector, const std::string& viewer) {
  if (!db.IsServer())
    throw std::invalid_argument("roles and grants belong to a PostgreSQL database, not a file");
  std::string database;
  std::string schema;
  {
    Statement names = db.Prepare("SELECT current_database(), current_schema()");
    if (names.Step()) {
      database = QuotedName(names.Text(0));
      schema = QuotedName(names.Text(1));
    }
  }
  std::string sql;
  if (!collector.empty()) {
    const std::string role = QuotedName(collector);
    sql += ReadGrants(database, schema, role);
    for (const ProgramTable& table : kProgramTables) {
      if (!*table.collectorWrites) continue;
      sql += std::string("GRANT ") + table.collectorWrites + " ON " + table.name + " TO " + role +
             ";\n";
      // New rows take their IDs from the table's sequence.
      const std::vector<std::string> columns = db.Columns(table.name);
      if (std::find(columns.begin(), columns.end(), "id") == columns.end()) continue;
      Statement sequence = db.Prepare("SELECT pg_get_serial_sequence(?, 'id')");
      sequence.Bind(table.name);
      if (sequence.Step() && !sequence.IsNull(0))
        sql += "GRANT USAGE ON SEQUENCE " + sequence.Text(0) + " TO " + role + ";\n";
    }
  }
  if (!viewer.empty()) sql += ReadGrants(database, schema, QuotedName(viewer));
  return sql;
}

void GrantRoles(Database& db, const std::string& collector, const std::string& viewer) {
  const std::string sql = RoleGrantsSql(db, collector, viewer);
  Transaction transaction(db);
  db.ExecuteScript(sql);
  transaction.Commit();
}

}  // namespace vornal
