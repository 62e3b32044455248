#include "store/role_grants.h"

#include <stdexcept>

#include "store/schema.h"
#include "store/sql_text.h"

namespace vornal {
namespace {

// A privilege on one of the program's tables.
struct Privilege {
  std::string action;  // INSERT, UPDATE, DELETE
  std::string table;
};

// Splits "INSERT, UPDATE" into its privileges on the table.
void Add(std::vector<Privilege>& to, const std::string& actions, const std::string& table) {
  for (std::size_t at = 0; at < actions.size();) {
    std::size_t end = actions.find(',', at);
    if (end == std::string::npos) end = actions.size();
    std::string action = actions.substr(at, end - at);
    action.erase(0, action.find_first_not_of(' '));
    if (!action.empty()) to.push_back({action, table});
    at = end + 1;
  }
}

// What a collector writes: kProgramTables says, table by table.
std::vector<Privilege> CollectorPrivileges() {
  std::vector<Privilege> privileges;
  for (const ProgramTable& table : kProgramTables)
    Add(privileges, table.collectorWrites, table.name);
  return privileges;
}

std::vector<Privilege> Needed(Action action) {
  std::vector<Privilege> needed;
  switch (action) {
    case Action::Collect:
    case Action::RetryKeptAside:
      return CollectorPrivileges();
    case Action::EditPeople:
      Add(needed, "INSERT, UPDATE, DELETE", "human");
      break;
    case Action::EditSettings:
      Add(needed, "INSERT, UPDATE, DELETE", "setting");
      break;
    case Action::ClearKeptAside:
      // Forgetting lines is an operator's, who also edits the settings.
      Add(needed, "DELETE", "rejected_lines");
      Add(needed, "UPDATE", "setting");
      break;
    case Action::Correct:
      Add(needed, "INSERT, UPDATE, DELETE", "logs");
      Add(needed, "INSERT", "corrections");
      break;
    case Action::EditTimesheet:
      Add(needed, "INSERT, UPDATE, DELETE", "absences");
      Add(needed, "INSERT, UPDATE, DELETE", "work_calendar");
      break;
  }
  return needed;
}

// An operator: people and settings, every site's kept-aside lines,
// corrections of work rows (never of their trail), absences and the
// working calendar.
std::vector<Privilege> OperatorPrivileges() {
  std::vector<Privilege> privileges;
  Add(privileges, "INSERT, UPDATE, DELETE", "human");
  Add(privileges, "INSERT, UPDATE, DELETE", "setting");
  Add(privileges, "DELETE", "rejected_lines");
  for (const Action action : {Action::Correct, Action::EditTimesheet})
    for (Privilege& privilege : Needed(action)) privileges.push_back(std::move(privilege));
  return privileges;
}

// The first privilege of the list the role lacks (the connection's own
// role when `name` is none); nothing when it has all. An INSERT needs the
// sequence of the table's ID as well, if it has one.
std::optional<Privilege> FirstLacking(Database& db, const std::vector<Privilege>& privileges,
                                      const std::optional<std::string>& name) {
  if (privileges.empty()) return std::nullopt;
  const std::string role = name ? "CAST(? AS name)" : "current_user";
  std::string sql = "SELECT ";
  std::vector<std::string> values;
  for (std::size_t i = 0; i < privileges.size(); ++i) {
    const Privilege& privilege = privileges[i];
    sql += (i ? ", " : "") +
           ("has_table_privilege(" + role + ", ?, " + QuotedText(privilege.action) + ")");
    if (name) values.push_back(*name);
    values.push_back(privilege.table);
    if (privilege.action != "INSERT") continue;
    sql += " AND COALESCE((SELECT bool_and(has_sequence_privilege(" + role +
           ", pg_get_serial_sequence(quote_ident(c.relname), a.attname), 'USAGE')) "
           "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
           "WHERE c.oid = to_regclass(quote_ident(?)) AND a.attidentity <> ''), true)";
    if (name) values.push_back(*name);
    values.push_back(privilege.table);
  }
  Statement query = db.Prepare(sql);
  for (std::size_t i = 0; i < values.size(); ++i) query.BindOne(static_cast<int>(i + 1), values[i]);
  if (!query.Step()) return privileges.front();
  for (std::size_t i = 0; i < privileges.size(); ++i)
    if (!query.Int(static_cast<int>(i))) return privileges[i];
  return std::nullopt;
}

std::string ActionText(Action action) {
  switch (action) {
    case Action::Collect:
      return "collect";
    case Action::EditPeople:
      return "change people";
    case Action::EditSettings:
      return "change the settings";
    case Action::RetryKeptAside:
      return "retry the lines kept aside";
    case Action::ClearKeptAside:
      return "forget the lines kept aside";
    case Action::Correct:
      return "correct work rows";
    case Action::EditTimesheet:
      return "change absences or the working calendar";
  }
  return "write";
}

std::string MissingRightText(Action action, const std::string& role, const std::string& privilege,
                             const std::string& table, const std::string& site) {
  if (role.empty())
    return "the database file is read-only here, so it may not be used to " + ActionText(action);
  return "the role '" + role + "' may not " + ActionText(action) + " in this database (it lacks " +
         privilege + " on " + table + (site.empty() ? "" : " for site " + site) +
         "); the owner of the tables grants it with 'vornal-cli grants'";
}

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

// The statements that give the role the privileges: the tables', and the
// sequences' of the tables it adds rows to.
std::string WriteGrants(Database& db, const std::vector<Privilege>& privileges,
                        const std::string& role) {
  std::string sql;
  for (const Privilege& privilege : privileges) {
    sql += "GRANT " + privilege.action + " ON " + privilege.table + " TO " + role + ";\n";
    if (privilege.action != "INSERT") continue;
    Statement sequence = db.Prepare(
        "SELECT pg_get_serial_sequence(quote_ident(c.relname), a.attname) "
        "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
        "WHERE c.oid = to_regclass(quote_ident(?)) AND a.attidentity <> ''");
    sequence.Bind(privilege.table);
    if (sequence.Step() && !sequence.IsNull(0))
      sql += "GRANT USAGE ON SEQUENCE " + sequence.Text(0) + " TO " + role + ";\n";
  }
  return sql;
}

// A policy's name for a role: one per role and purpose.
std::string PolicyName(const std::string& purpose, const std::string& role) {
  return QuotedName("vornal " + purpose + " " + role);
}

}  // namespace

MissingRight::MissingRight(Action action, std::string role, std::string privilege,
                           std::string table, std::string site)
    : StoreError(StoreErrorKind::NotPermitted,
                 MissingRightText(action, role, privilege, table, site)),
      m_action(action),
      m_role(std::move(role)),
      m_privilege(std::move(privilege)),
      m_table(std::move(table)),
      m_site(std::move(site)) {}

std::string CurrentRole(Database& db) {
  if (!db.IsServer()) return {};
  Statement who = db.Prepare("SELECT current_user");
  return who.Step() ? who.Text(0) : std::string();
}

void RequireRight(Database& db, Action action) {
  if (!db.IsServer()) {
    if (db.Connection().ReadOnly()) throw MissingRight(action, {}, {});
    return;
  }
  if (const std::optional<Privilege> lacking = FirstLacking(db, Needed(action), std::nullopt))
    throw MissingRight(action, CurrentRole(db), lacking->action, lacking->table);
}

std::string RoleGrantsSql(Database& db, const std::vector<RoleGrant>& grants) {
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
  // The lines kept aside are every site's: a collector takes out only its
  // own site's (when it retries them), an operator any.
  std::string sql =
      "ALTER TABLE rejected_lines ENABLE ROW LEVEL SECURITY;\n"
      "DROP POLICY IF EXISTS vornal_read ON rejected_lines;\n"
      "CREATE POLICY vornal_read ON rejected_lines FOR SELECT USING (true);\n"
      "DROP POLICY IF EXISTS vornal_keep_aside ON rejected_lines;\n"
      "CREATE POLICY vornal_keep_aside ON rejected_lines FOR INSERT WITH CHECK (true);\n";
  for (const RoleGrant& grant : grants) {
    const std::string role = QuotedName(grant.role);
    sql += ReadGrants(database, schema, role);
    if (grant.kind == RoleGrant::Kind::Collector) {
      sql += WriteGrants(db, CollectorPrivileges(), role);
      const std::string policy = PolicyName("retry", grant.role);
      sql += "DROP POLICY IF EXISTS " + policy + " ON rejected_lines;\nCREATE POLICY " + policy +
             " ON rejected_lines FOR DELETE TO " + role +
             " USING (site = " + QuotedText(grant.site) + ");\n";
    } else if (grant.kind == RoleGrant::Kind::Operator) {
      sql += WriteGrants(db, OperatorPrivileges(), role);
      const std::string policy = PolicyName("clear", grant.role);
      sql += "DROP POLICY IF EXISTS " + policy + " ON rejected_lines;\nCREATE POLICY " + policy +
             " ON rejected_lines FOR DELETE TO " + role + " USING (true);\n";
    }
  }
  return sql;
}

void GrantRoles(Database& db, const std::vector<RoleGrant>& grants) {
  const std::string sql = RoleGrantsSql(db, grants);
  Transaction transaction(db);
  // Only the owner of the tables may grant on them; anyone else's GRANT
  // grants nothing, with no more than a warning.
  {
    Statement owner = db.Prepare(
        "SELECT c.relowner::regrole::text, current_user, "
        "pg_has_role(current_user, c.relowner, 'USAGE') FROM pg_catalog.pg_class c "
        "WHERE c.oid = to_regclass('human')");
    if (owner.Step() && !owner.Int(2))
      throw std::runtime_error("nothing granted: the tables belong to " + owner.Text(0) +
                               ", and only their owner can grant on them (you are " +
                               owner.Text(1) + ")");
  }
  db.ExecuteScript(sql);
  // What each role may do now, as the server sees it.
  for (const RoleGrant& grant : grants) {
    std::vector<Privilege> held;
    if (grant.kind == RoleGrant::Kind::Collector) held = CollectorPrivileges();
    if (grant.kind == RoleGrant::Kind::Operator) held = OperatorPrivileges();
    if (const std::optional<Privilege> lacking = FirstLacking(db, held, grant.role))
      throw std::runtime_error("nothing granted: the role '" + grant.role + "' would still lack " +
                               lacking->action + " on " + lacking->table);
    if (!db.QueryInt("SELECT 1 WHERE has_table_privilege(CAST(? AS name), 'human', 'SELECT')",
                     grant.role))
      throw std::runtime_error("nothing granted: the role '" + grant.role +
                               "' would still not read the tables");
  }
  transaction.Commit();
}

}  // namespace vornal
