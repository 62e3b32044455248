#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vornal {

// A column value as the engine returns it.
using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

// A column of one of the program's tables, as the schema describes it once
// for both engines; each engine writes it in its own SQL.
enum class ColumnType { Id, Integer, Text, DateTime };
struct ColumnSpec {
  std::string_view name;
  ColumnType type = ColumnType::Text;
  int size = 0;                   // the characters a text column holds
  std::string_view defaultValue;  // empty: none
  bool ignoreCase = false;        // compared without regard to ASCII case (logins)
};
struct TableSpec {
  std::string_view name;
  std::vector<ColumnSpec> columns;
};

// The database engines the store runs on.
enum class EngineKind { SQLite, PostgreSQL };

// Advisory locks a write transaction can take. Every transaction that takes
// one waits for the others that took it, up to the engine's lock timeout.
// (A file's writers take turns anyway.)
enum class DatabaseLock { Schema, Intake, Settings };

// One prepared statement of an engine: parameters numbered from 1, columns
// from 0. Column values stay valid until the next Step or Reset.
class EngineStatement {
 public:
  virtual ~EngineStatement() = default;

  virtual void BindText(int index, std::string_view text) = 0;
  virtual void BindInt(int index, std::int64_t number) = 0;
  virtual void BindNull(int index) = 0;

  // Runs to the next row: true when a row is there, false when done.
  virtual bool Step() = 0;
  // Runs to the end; the number of rows changed.
  virtual int Run() = 0;
  // Runs to the end when nobody waits for the result: an engine may queue
  // the statement and report its error with a later statement or the commit.
  virtual void Send() { Run(); }
  // Ready to run again, with no values bound.
  virtual void Reset() = 0;

  virtual int ColumnCount() const = 0;
  virtual std::string ColumnName(int column) const = 0;
  virtual bool IsNull(int column) const = 0;
  virtual std::int64_t Int(int column) const = 0;
  virtual std::string_view TextView(int column) const = 0;
  virtual Value Get(int column) const = 0;
};

// One connection to a database of one engine. Every failure throws
// StoreError with its kind (store_error.h), whatever the engine, so that
// callers tell a busy database from a read-only or a full one the same way
// on both.
class Engine {
 public:
  virtual ~Engine() = default;

  virtual EngineKind Kind() const = 0;
  // What the database is, for titles and messages; never holds a password.
  virtual std::string Description() const = 0;

  // SQL with `?` parameters.
  virtual std::unique_ptr<EngineStatement> Prepare(std::string_view sql) = 0;
  // Statements without parameters, separated by semicolons.
  virtual void ExecuteScript(const std::string& sql) = 0;
  // The ID given to the row of the latest INSERT into a table with an ID
  // column.
  virtual std::int64_t LastInsertId() const = 0;

  // Starts a transaction that writes (others that write wait for it), or
  // one that only reads, from one snapshot of the database.
  virtual void Begin(bool write) = 0;
  // Ends the transaction; a commit that the engine turned into a rollback
  // (after an error it reported late) throws.
  virtual void Commit() { ExecuteScript("COMMIT"); }
  virtual void Rollback() { ExecuteScript("ROLLBACK"); }
  // Takes an advisory lock until the end of the transaction.
  virtual void Lock(DatabaseLock lock) = 0;

  // Table and index information; names compare without regard to case.
  virtual bool HasTable(std::string_view table) = 0;
  // The columns in their order, and the indexes, as the engine names them.
  virtual std::vector<std::string> Columns(std::string_view table) = 0;
  virtual std::vector<std::string> Indexes(std::string_view table) = 0;

  // Data definition in the engine's own words.
  virtual std::string CreateTableSql(const TableSpec& table) const = 0;
  // A column added at the end of a table, with its type and checks.
  virtual std::string AddColumnSql(std::string_view table, const ColumnSpec& column) const = 0;
  // Column types for schema steps written as SQL: an ID the engine gives
  // (the primary key), and a date and time.
  virtual const char* IdentityType() const = 0;
  virtual const char* DateTimeType() const = 0;
  // The whole seconds from one date-time to another (SQL expressions), NULL
  // when either is NULL.
  virtual std::string SecondsBetweenSql(std::string_view from, std::string_view to) const = 0;
  // After rows with given IDs were written: new rows get higher IDs.
  virtual void SyncIdentity(const std::string& table) = 0;
  // The number of the schema's last step applied; 0 for none.
  virtual int SchemaVersion() = 0;
  virtual void SetSchemaVersion(int version) = 0;

  // Hints: a long write transaction follows.
  virtual void PrepareForBulkWrite() {}
  // True when nothing can be written through this connection at all (a
  // file opened read-only); a server's roles are asked table by table.
  virtual bool ReadOnly() { return false; }

  // Throws DatabaseReplaced when the location no longer names the database
  // that was opened (a file renamed over it or moved away since): what was
  // committed went there, not to the database the location names now. A
  // server's database cannot be swapped under a connection: nothing to do.
  virtual void CheckLocation() {}

  // Copies the database, while other programs go on using it, into the
  // file at `path`, written whole or not at all (OutputFile); an existing
  // `path` is replaced only when `replace`. A new copy gets the database
  // file's permissions (less the umask). Returns the copy's size in bytes.
  // A target refused or not written throws OutputError, other engine errors
  // StoreError. An engine without such a copy (a server's, which has its
  // own tools) throws std::logic_error.
  virtual std::int64_t BackUp(const std::string& path, bool replace) {
    (void)path;
    (void)replace;
    throw std::logic_error("this database has no file to copy; back it up with its own tools");
  }
  // What the engine's own check finds wrong with how the database is
  // stored, a text each; nothing when all is well. A server checks its own
  // storage: nothing beyond answering.
  virtual std::vector<std::string> IntegrityProblems() { return {}; }
};

// The engine for a location: a PostgreSQL connection string (a URI
// "postgresql://..." or "postgres://...", or libpq's "key=value" words such
// as "service=office"), else a database file.
bool IsServerLocation(const std::string& location);
// The location for messages: a server's without its password, should it
// hold one.
std::string DisplayLocation(const std::string& location);
// True for a server's location that holds a password, which the program
// refuses: passwords belong in the password or service file.
bool LocationHoldsPassword(const std::string& location);

}  // namespace vornal
