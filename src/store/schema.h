#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "store/table_def.h"

namespace vornal {

// The rows a login has not finished yet. Only they are indexed by login and
// event, which keeps that index small whatever the size of LOGS; a query
// repeats this term so that the engine can use the index.
inline constexpr const char* kUnfinishedRows =
    "Event IN ('StartWDay', 'WorkingDay', 'StartWork', 'Working')";

// The database file of the program, in the current directory.
inline constexpr const char* kDatabaseFile = "base.mdb";
// Where the program's database is: what SetDatabaseLocation set (from
// --db), else the environment variable VORNAL_DB, else kDatabaseFile. A
// file path, or a server's database (IsServerLocation).
const std::string& DatabaseLocation();
// Set once at start-up, before any database is opened.
void SetDatabaseLocation(std::string location);

// Creation options: format version 3.0 (32) + encrypted (2).
inline constexpr int kCreateOptions = 34;

using DatabasePtr = std::unique_ptr<Database>;

// The number of the schema's last step (UpgradeSchema).
inline constexpr int kSchemaVersion = 7;

// The size in characters of a text column of the program's tables, as the
// tables are created with it; 0 for a column that is not text or not known.
int TextColumnSize(std::string_view table, std::string_view column);

// A table of the program's data, and what a collector (the role that runs
// the intake) may do to it beyond reading. In the order a copy writes them.
struct ProgramTable {
  const char* name;
  const char* collectorWrites;
};
inline constexpr ProgramTable kProgramTables[] = {
    {"human", ""},
    {"logs", "INSERT, UPDATE"},
    {"setting", ""},
    {"intake_ledger", "INSERT, UPDATE, DELETE"},
    {"rejected_lines", "INSERT, DELETE"},
    {"folder_status", "INSERT, UPDATE"},
    {"applied_events", "INSERT, UPDATE, DELETE"},
};

// File and schema operations. Failures are reported to the message sink
// with a fixed text followed by the engine's description.

// Closes and destroys the database, leaving the pointer empty.
void FreeDatabase(DatabasePtr& db);
// What a failed open would report: the engine's code (0 for none) and the
// fixed text followed by the engine's description.
struct OpenFailure {
  int code = 0;
  std::string message;
};
// 1 opened; 0 the file is missing (reported only when asked); -1 any other
// failure. On failure the pointer is empty. With `failure`, the report goes
// there instead of to the message sink, for a caller that explains it.
// `path` may also name a server's database (IsServerLocation), which gets
// the tables on first use.
int OpenDatabaseFile(DatabasePtr& db, const std::string& path, bool reportMissing,
                     OpenFailure* failure = nullptr);
// 1 created and open; 0 failed, the pointer empty.
int CreateDatabaseFile(DatabasePtr& db, const std::string& path, int options);
// True unless the engine answers with 3265 (item not found).
bool TableExists(Database& db, const std::string& name);
bool FieldExists(TableDef& table, const std::string& name);
int CreateTable(Database* db, std::unique_ptr<TableDef>& table, const std::string& name);
int AppendTable(Database* db, TableDef& table);
int AddField(TableDef* table, const FieldDescription& field);
// The tables human, logs and setting, in that order; false at the first
// step that fails. Then the indexes and the program's own tables, up to the
// schema version `target`.
bool CreateTables(Database* db, int target = kSchemaVersion);

// Brings the indexes and the program's own tables up to the schema version
// `target` (the current one but in tests that make older databases), in
// numbered steps. Does nothing on a file without the three tables; on one
// already current, only fills missing login keys.
void UpgradeSchema(Database& db, int target = kSchemaVersion);
// What UpgradeSchema would change in a database with the three tables, in
// words, a text each; nothing when it is current. Only reads.
std::vector<std::string> PendingUpgrade(Database& db);

// Fills LoginKey (see store/login_key.h) of the LOGS and HUMAN rows that
// have none, such as rows written by the sqlite3 shell.
void FillLoginKeys(Database& db);
// A server's database without any of the three tables gets them, in one
// transaction, as a missing file would: 1 made, 0 nothing to do (a file, or
// the tables are there), -1 failed, reported to the message sink.
int CreateServerTables(Database& db);

}  // namespace vornal
