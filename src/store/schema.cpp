#include "store/schema.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "store/sites.h"
#include "text/login_key.h"

namespace vornal {
namespace {

constexpr ColumnSpec Text(std::string_view name, int size, std::string_view defaultValue = {}) {
  return {name, ColumnType::Text, size, defaultValue, name == "Login"};
}
constexpr ColumnSpec Column(std::string_view name, ColumnType type) {
  return {name, type, 0, {}, false};
}

// The program's three tables as the first step makes them, in creation
// order. Later steps add the columns and tables after them.
const std::vector<TableSpec>& ProgramTables() {
  static const std::vector<TableSpec> tables = {
      {"human",
       {Column("ID", ColumnType::Id), Text("Name", 100, "Unknow User"), Text("Age", 20, "25"),
        Text("Prof", 50, "Worker"), Text("Photo", 255), Text("Login", 100), Text("Tel", 100),
        Text("email", 100)}},
      {"logs",
       {Column("ID", ColumnType::Id), Text("Login", 100), Text("Event", 30), Text("Preview", 250),
        Column("BeginTime", ColumnType::DateTime), Column("EndTime", ColumnType::DateTime)}},
      {"setting", {Column("ID", ColumnType::Id), Text("Key", 100), Text("Val", 255)}},
  };
  return tables;
}

// The columns later steps add to HUMAN, at its end, so that an older program
// that names its columns still reads and writes the table.
const std::vector<ColumnSpec>& AddedHumanColumns() {
  static const std::vector<ColumnSpec> columns = {Text("Department", 100),
                                                  Text("PersonnelNumber", 20)};
  return columns;
}

std::string& Location() {
  static std::string location;
  return location;
}

}  // namespace

int TextColumnSize(std::string_view table, std::string_view column) {
  for (const TableSpec& spec : ProgramTables()) {
    if (spec.name != table) continue;
    for (const ColumnSpec& field : spec.columns)
      if (field.name == column && field.type == ColumnType::Text) return field.size;
  }
  if (table == "human")
    for (const ColumnSpec& field : AddedHumanColumns())
      if (field.name == column) return field.size;
  return 0;
}

const std::string& DatabaseLocation() {
  if (Location().empty()) {
    const char* variable = std::getenv("VORNAL_DB");
    Location() = variable && *variable ? variable : kDatabaseFile;
  }
  return Location();
}

void SetDatabaseLocation(std::string location) {
  Location() = std::move(location);
}

DatabasePtr OpenDatabase(const std::string& location) {
  auto db = std::make_unique<Database>();
  db->Open(location);
  CreateServerTables(*db);
  UpgradeSchema(*db);
  return db;
}

void CreateTables(Database& db, int target) {
  Transaction transaction(db);
  for (const TableSpec& table : ProgramTables())
    db.ExecuteScript(db.Connection().CreateTableSql(table));
  UpgradeSchema(db, target);
  transaction.Commit();
}

void FillLoginKeys(Database& db) {
  for (const char* table : {"logs", "human"}) {
    std::vector<std::string> logins;
    {
      Statement query = db.Prepare(std::string("SELECT DISTINCT Login FROM ") + table +
                                   " WHERE LoginKey IS NULL AND Login IS NOT NULL");
      while (query.Step()) logins.push_back(query.Text(0));
    }
    // Login has the ASCII-only NOCASE collation, so one statement covers
    // the logins that differ in ASCII case, which share their key.
    const std::string update =
        std::string("UPDATE ") + table + " SET LoginKey = ? WHERE Login = ? AND LoginKey IS NULL";
    for (const std::string& login : logins) db.Execute(update, LoginKey(login), login);
  }
}

void UpgradeSchema(Database& db, int target) {
  Engine& engine = db.Connection();
  if (engine.SchemaVersion() >= target) {
    if (!db.HasTable("logs") || !db.HasTable("human")) return;
    // Rows written by other tools (the sqlite3 shell, psql) get their keys.
    if (db.QueryInt("SELECT 1 FROM logs WHERE LoginKey IS NULL AND Login IS NOT NULL LIMIT 1") ||
        db.QueryInt("SELECT 1 FROM human WHERE LoginKey IS NULL AND Login IS NOT NULL LIMIT 1")) {
      try {
        Transaction transaction(db);
        FillLoginKeys(db);
        transaction.Commit();
      } catch (const StoreError& e) {
        // A reader (a read-only file, a viewer role) leaves them to a writer.
        if (e.Kind() != StoreErrorKind::NotPermitted) throw;
      }
    }
    return;
  }
  if (!db.HasTable("human") || !db.HasTable("logs") || !db.HasTable("setting")) return;
  Transaction transaction(db);
  engine.Lock(DatabaseLock::Schema);
  // Another run may have taken the steps while this one waited.
  const int version = engine.SchemaVersion();
  if (version >= target) return;
  if (version < 1 && target >= 1) {
    // The state machine looks a login's unfinished rows up; the statistics
    // look rows up by begin and end time, for one login or for everybody.
    db.ExecuteScript(
        std::string("CREATE INDEX IF NOT EXISTS logs_unfinished ON logs (Login, Event) WHERE ") +
        UnfinishedRowsSql() +
        ";"
        "CREATE INDEX IF NOT EXISTS logs_login_begin ON logs (Login, BeginTime);"
        "CREATE INDEX IF NOT EXISTS logs_login_end ON logs (Login, EndTime);"
        "CREATE INDEX IF NOT EXISTS logs_begin ON logs (BeginTime);"
        "CREATE INDEX IF NOT EXISTS logs_end ON logs (EndTime);"
        "CREATE INDEX IF NOT EXISTS setting_key ON setting (Key);");
  }
  if (version < 2 && target >= 2) {
    // Intake ledger: how many bytes of a claimed buffer file are applied,
    // committed with the rows they made.
    db.ExecuteScript(
        "CREATE TABLE IF NOT EXISTS intake_ledger ("
        "File TEXT PRIMARY KEY NOT NULL, Bytes BIGINT NOT NULL DEFAULT 0)");
  }
  if (version < 3 && target >= 3) {
    // Logins compare with full Unicode case folding: a key column the
    // program fills beside each stored login, and the login indexes on it.
    db.ExecuteScript(
        "ALTER TABLE logs ADD COLUMN LoginKey TEXT;"
        "ALTER TABLE human ADD COLUMN LoginKey TEXT;");
    FillLoginKeys(db);
    db.ExecuteScript(
        "DROP INDEX IF EXISTS logs_unfinished;"
        "DROP INDEX IF EXISTS logs_login_begin;"
        "DROP INDEX IF EXISTS logs_login_end;" +
        std::string("CREATE INDEX logs_unfinished ON logs (LoginKey, Event) WHERE ") +
        UnfinishedRowsSql() +
        ";"
        "CREATE INDEX logs_key_begin ON logs (LoginKey, BeginTime);"
        "CREATE INDEX logs_key_end ON logs (LoginKey, EndTime);"
        "CREATE INDEX human_login_key ON human (LoginKey);");
  }
  if (version < 4 && target >= 4) {
    // Lines the intake could not apply, kept with where they came from, in
    // the transaction of their file. The ledger also counts lines (for the
    // line numbers) and remembers how the file looked when last seen, and
    // since when (for the quiet period).
    db.ExecuteScript(std::string("CREATE TABLE rejected_lines (ID ") + engine.IdentityType() +
                     ", Folder TEXT NOT NULL, File TEXT NOT NULL, "
                     "Line INTEGER NOT NULL, Reason TEXT NOT NULL, CollectedAt " +
                     engine.DateTimeType() +
                     " NOT NULL, "
                     "Length INTEGER NOT NULL, Text TEXT NOT NULL);"
                     "CREATE INDEX rejected_lines_collected ON rejected_lines (CollectedAt);"
                     "ALTER TABLE intake_ledger ADD COLUMN Lines BIGINT NOT NULL DEFAULT 0;"
                     "ALTER TABLE intake_ledger ADD COLUMN Seen TEXT;"
                     "ALTER TABLE intake_ledger ADD COLUMN SeenAt BIGINT;"
                     "ALTER TABLE intake_ledger ADD COLUMN MarkAt BIGINT;");
  }
  if (version < 5 && target >= 5) {
    // What the latest collection of each working folder did.
    db.ExecuteScript(std::string("CREATE TABLE folder_status ("
                                 "Folder TEXT PRIMARY KEY NOT NULL, CollectedAt ") +
                     engine.DateTimeType() +
                     " NOT NULL, Files INTEGER NOT NULL, Events BIGINT NOT NULL, "
                     "KeptAside BIGINT NOT NULL, Waiting INTEGER NOT NULL, "
                     "Failures INTEGER NOT NULL)");
  }
  if (version < 6 && target >= 6) {
    // Which events were applied, per login and day (intake/applied_events),
    // so that an event met again, in whatever file, changes nothing. The
    // ledger learns which boot its quiet-period mark was taken in, the
    // bytes just before its offset (a rewrite of the file shows there), and
    // whether the offset is inside an overlong line being skipped. A kept
    // line says whether its bytes were read as Windows-1251, so that a line
    // cut between two files can be joined as its bytes were written.
    db.ExecuteScript(
        "CREATE TABLE applied_events (LoginKey TEXT NOT NULL, Day TEXT NOT NULL, "
        "Events TEXT NOT NULL, PRIMARY KEY (LoginKey, Day));"
        "CREATE INDEX applied_events_day ON applied_events (Day);"
        "ALTER TABLE intake_ledger ADD COLUMN BootId TEXT;"
        "ALTER TABLE intake_ledger ADD COLUMN Tail TEXT;"
        "ALTER TABLE intake_ledger ADD COLUMN Skipping INTEGER NOT NULL DEFAULT 0;"
        "ALTER TABLE rejected_lines ADD COLUMN Windows1251 INTEGER NOT NULL DEFAULT 0;");
  }
  if (version < 7 && target >= 7) {
    // Edits never overwrite one another: the rows that desks edit carry a
    // version, which every change moves on.
    db.ExecuteScript(
        "ALTER TABLE human ADD COLUMN Version INTEGER NOT NULL DEFAULT 1;"
        "ALTER TABLE setting ADD COLUMN Version INTEGER NOT NULL DEFAULT 1;");
    // One row per key, so that two desks adding the same slot cannot both
    // succeed. Of a key stored twice only the first row was ever read.
    db.ExecuteScript(
        "DELETE FROM setting WHERE Key IS NOT NULL AND ID NOT IN "
        "(SELECT MIN(ID) FROM setting WHERE Key IS NOT NULL GROUP BY Key);"
        "DROP INDEX IF EXISTS setting_key;"
        "CREATE UNIQUE INDEX setting_key ON setting (Key);");
    // Sites: the folders stored so far are the default site's, and so are
    // the lines kept aside and the results of collections; the site that
    // takes this step is the default one.
    if (db.QueryInt("SELECT 1 FROM setting WHERE Key LIKE 'Path%'"))
      StoreDefaultSite(db, CurrentSite());
    db.ExecuteScript("ALTER TABLE rejected_lines ADD COLUMN Site TEXT NOT NULL DEFAULT ''");
    db.Execute("UPDATE rejected_lines SET Site = ?", CurrentSite());
    db.ExecuteScript(std::string("CREATE TABLE folder_status_by_site ("
                                 "Site TEXT NOT NULL, Folder TEXT NOT NULL, "
                                 "Slot INTEGER NOT NULL, CollectedAt ") +
                     engine.DateTimeType() +
                     " NOT NULL, Files INTEGER NOT NULL, Events BIGINT NOT NULL, "
                     "KeptAside BIGINT NOT NULL, Waiting INTEGER NOT NULL, "
                     "Failures INTEGER NOT NULL, PRIMARY KEY (Site, Folder))");
    db.Execute(
        "INSERT INTO folder_status_by_site SELECT ?, Folder, 0, CollectedAt, Files, Events, "
        "KeptAside, Waiting, Failures FROM folder_status",
        CurrentSite());
    db.ExecuteScript(
        "DROP TABLE folder_status;"
        "ALTER TABLE folder_status_by_site RENAME TO folder_status;");
    // The folder of each claimed file, so that the row of a file that is
    // gone can be told from one that waits.
    db.ExecuteScript("ALTER TABLE intake_ledger ADD COLUMN Folder TEXT");
  }
  if (version < 8 && target >= 8) {
    // A person's department and personnel number, empty until set.
    for (const ColumnSpec& column : AddedHumanColumns())
      db.ExecuteScript(engine.AddColumnSql("human", column));
  }
  if (version < 9 && target >= 9) {
    // The timesheet as accounting takes it: the trail of corrections of work
    // rows (who, when, the row before and after, why), absences per login
    // and day, and the operator's changes of the working calendar.
    const std::string time = engine.DateTimeType();
    db.ExecuteScript(
        std::string("CREATE TABLE corrections (ID ") + engine.IdentityType() + ", At " + time +
        " NOT NULL, ByUser TEXT NOT NULL, ByHost TEXT NOT NULL, ByRole TEXT NOT "
        "NULL, LogId BIGINT NOT NULL, Login TEXT NOT NULL, LoginKey TEXT NOT NULL, "
        "OldEvent TEXT, OldBegin " +
        time + ", OldEnd " + time + ", NewEvent TEXT, NewBegin " + time + ", NewEnd " + time +
        ", Reason TEXT NOT NULL, Undoes BIGINT);"
        "CREATE INDEX corrections_login ON corrections (LoginKey);"
        "CREATE INDEX corrections_undoes ON corrections (Undoes);"
        "CREATE INDEX corrections_old_begin ON corrections (OldBegin);"
        "CREATE INDEX corrections_new_begin ON corrections (NewBegin);"
        "CREATE TABLE absences (Login TEXT NOT NULL, LoginKey TEXT NOT NULL, Day " +
        time +
        " NOT NULL, Code INTEGER NOT NULL, Note TEXT NOT NULL, "
        "PRIMARY KEY (LoginKey, Day));"
        "CREATE INDEX absences_day ON absences (Day);"
        "CREATE TABLE work_calendar (Day " +
        time + " PRIMARY KEY NOT NULL, Kind TEXT NOT NULL, Seconds INTEGER)");
  }
  if (version < 10 && target >= 10) {
    // The accounts of the web view, each with its Argon2id password hash.
    db.ExecuteScript(
        "CREATE TABLE web_users (Name TEXT PRIMARY KEY NOT NULL, Role TEXT NOT NULL, "
        "Department TEXT NOT NULL DEFAULT '', PasswordHash TEXT NOT NULL)");
  }
  engine.SetSchemaVersion(target);
  transaction.Commit();
}

std::vector<std::string> PendingUpgrade(Database& db) {
  std::vector<std::string> pending;
  const int version = db.Connection().SchemaVersion();
  if (version < kSchemaVersion) {
    // What each step adds, by the version it brings (from 1).
    static constexpr const char* kSteps[] = {
        "the indexes of the work rows and the settings",
        "the intake ledger",
        "login keys that compare with full case folding",
        "the table of lines kept aside",
        "the table of each folder's latest collection",
        "the table of events applied, per login and day",
        "working folders per site and a version on each person and setting",
        "a department and a personnel number for each person",
        "the tables of corrections, absences and the working calendar",
        "accounts of the web view"};
    std::string steps;
    for (int step = std::max(version, 0); step < kSchemaVersion; ++step)
      steps += (steps.empty() ? "" : "; ") + (step < static_cast<int>(std::size(kSteps))
                                                  ? std::string(kSteps[step])
                                                  : "step " + std::to_string(step + 1));
    pending.push_back("the schema is at version " + std::to_string(version) +
                      "; a command that writes would bring it to version " +
                      std::to_string(kSchemaVersion) + ", adding " + steps);
  }
  if (version < 3) return pending;  // no login keys yet
  for (const char* table : {"logs", "human"}) {
    const std::int64_t rows = db.QueryInt(std::string("SELECT count(*) FROM ") + table +
                                          " WHERE LoginKey IS NULL AND Login IS NOT NULL")
                                  .value_or(0);
    if (rows)
      pending.push_back(std::to_string(rows) + (rows == 1 ? " row of " : " rows of ") + table +
                        (rows == 1 ? " has" : " have") +
                        " no login key (written by another tool); a command that writes would "
                        "fill it in");
  }
  return pending;
}

bool CreateServerTables(Database& db) {
  const auto none = [&db] {
    return !db.HasTable("human") && !db.HasTable("logs") && !db.HasTable("setting");
  };
  if (!db.IsServer() || !none()) return false;
  Transaction transaction(db);
  db.Connection().Lock(DatabaseLock::Schema);
  // Another run may have made them while this one waited.
  if (!none()) return false;
  CreateTables(db);
  transaction.Commit();
  return true;
}

}  // namespace vornal
