#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "store/work_event.h"

namespace vornal {

// The database file of the program, in the current directory.
inline constexpr const char* kDatabaseFile = "base.mdb";
// Where the program's database is: what SetDatabaseLocation set (from
// --db), else the environment variable VORNAL_DB, else kDatabaseFile. A
// file path, or a server's database (IsServerLocation).
const std::string& DatabaseLocation();
// Set once at start-up, before any database is opened.
void SetDatabaseLocation(std::string location);

using DatabasePtr = std::unique_ptr<Database>;

// The number of the schema's last step (UpgradeSchema).
inline constexpr int kSchemaVersion = 10;

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
    {"corrections", ""},
    {"absences", ""},
    {"work_calendar", ""},
    {"web_users", ""},
};

// Opens the program's database at the location (a file, or a server's
// database, which gets the tables on first use) for reading and writing,
// and brings its schema up to date. Throws StoreError: NotFound for a file
// that does not exist.
DatabasePtr OpenDatabase(const std::string& location);

// Makes the program's tables (human, logs, setting) in a database that has
// none, then takes the schema's steps up to `target`, in one transaction.
// Throws StoreError, with nothing made.
void CreateTables(Database& db, int target = kSchemaVersion);

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
// A server's database without any of the three tables gets them, as a
// missing file would: true when they were made; false for a file, or when
// the tables are there. Throws StoreError.
bool CreateServerTables(Database& db);

}  // namespace vornal
