#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/engine.h"
#include "store/store_error.h"
#include "text/date_time.h"

namespace vornal {

// A missing value, bound as SQL NULL.
struct Null {};

class Database;

// A prepared statement taken from its connection's cache for one use. Values
// are bound as parameters, never pasted into the SQL text. Destroying the
// object resets the statement and hands it back to the cache.
class Statement {
 public:
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&&) = delete;
  Statement(const Statement&) = delete;
  ~Statement();

  // Binds the values to the parameters 1, 2, ... in order.
  template <class... Args>
  Statement& Bind(const Args&... args) {
    int index = 0;
    (BindOne(++index, args), ...);
    return *this;
  }
  void BindOne(int index, std::string_view text);
  void BindOne(int index, const char* text) { BindOne(index, std::string_view(text)); }
  void BindOne(int index, const std::string& text) { BindOne(index, std::string_view(text)); }
  void BindOne(int index, std::int64_t number);
  void BindOne(int index, int number) { BindOne(index, std::int64_t{number}); }
  void BindOne(int index, const DateTime& time);
  void BindOne(int index, const std::optional<DateTime>& time);
  void BindOne(int index, Null);
  void BindOne(int index, const Value& value);

  // Runs to the next row: true when a row is there, false when done.
  bool Step();
  // Runs a statement that returns no rows; the number of rows changed.
  int Run();
  // Runs a statement whose result nobody waits for (see Database::Send).
  void Send();

  int ColumnCount() const;
  std::string ColumnName(int column) const;
  bool IsNull(int column) const;
  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  std::string_view TextView(int column) const;
  // A stored date-time, or nothing when the column is empty or not one.
  std::optional<DateTime> Time(int column) const;
  Value Get(int column) const;

 private:
  friend class Database;
  Statement(Database& db, std::unique_ptr<EngineStatement> stmt, std::string sql);

  Database* m_db;
  std::unique_ptr<EngineStatement> m_stmt;
  std::string m_sql;
};

// One connection to a database: a file (SQLite) or a database on a
// PostgreSQL server, chosen by the location (IsServerLocation). Opening a
// file never creates it; creating never opens an existing one. Every engine
// error throws StoreError.
class Database {
 public:
  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens an existing database for reading and writing, shared with other
  // processes (writers wait for each other up to the busy timeout). A
  // missing file is StoreErrorKind::NotFound; a server that cannot be
  // reached, refuses the login or has no such database is CannotConnect,
  // with the server's words.
  void Open(const std::string& location);
  // Opens an existing database only to read it: a file read-only, a
  // server's database with every transaction read-only. Errors as Open.
  void OpenReadOnly(const std::string& location);
  // Makes a new, empty database file and opens it; fails when it exists.
  // A server's databases are made by its administrator: refused.
  void Create(const std::string& path);
  // An in-memory database, for tests and tools.
  void OpenMemory();
  bool IsOpen() const { return m_engine != nullptr; }
  void Close();
  // The location as given to Open or Create.
  const std::string& Path() const { return m_path; }
  // What the database is, for titles and messages: the file, or the
  // server's database and user, never a password.
  std::string Description() const;
  EngineKind Kind() const;
  bool IsServer() const { return Kind() == EngineKind::PostgreSQL; }

  // A cached prepared statement for the SQL text.
  Statement Prepare(std::string_view sql);

  // Executes one statement with bound values; it applies whole or not at
  // all. Returns the number of rows changed.
  template <class... Args>
  int Execute(std::string_view sql, const Args&... args) {
    return Prepare(sql).Bind(args...).Run();
  }
  // Executes a statement whose result nobody waits for, inside a
  // transaction: a server engine sends it along with the next statements,
  // without a round trip of its own, and its error is raised by a later
  // statement or by the commit. After an INSERT, LastInsertId is its ID.
  template <class... Args>
  void Send(std::string_view sql, const Args&... args) {
    Prepare(sql).Bind(args...).Send();
  }
  // Executes several statements without values (schema scripts).
  void ExecuteScript(const std::string& sql);

  // The first column of the first row, or nothing when there is no row.
  template <class... Args>
  std::optional<std::int64_t> QueryInt(std::string_view sql, const Args&... args) {
    Statement statement = Prepare(sql);
    statement.Bind(args...);
    if (!statement.Step() || statement.IsNull(0)) return std::nullopt;
    return statement.Int(0);
  }

  bool HasTable(std::string_view table);
  // The columns of a table in their order, and its indexes, by name.
  std::vector<std::string> Columns(std::string_view table);
  std::vector<std::string> Indexes(std::string_view table);

  // The ID given to the row of the latest INSERT (into a table with an ID).
  std::int64_t LastInsertId() const;

  // The engine's SQL for the whole seconds from one date-time to another
  // (columns or expressions given as SQL text), NULL when either is NULL:
  // the one computation with date-times that statements leave to the engine.
  std::string SecondsBetweenSql(std::string_view from, std::string_view to) const;

  // The engine underneath, for data definition and schema steps.
  Engine& Connection() const;

  static constexpr int kBusyTimeoutMs = 5000;

 private:
  friend class Statement;
  friend class Transaction;
  void OpenAs(const std::string& location, bool readOnly);
  void Release(std::string sql, std::unique_ptr<EngineStatement> stmt);

  std::unique_ptr<Engine> m_engine;
  std::string m_path;
  // SQL text -> idle prepared statement.
  std::unordered_map<std::string, std::unique_ptr<EngineStatement>> m_cache;
  // Transactions open on this connection; inner ones are savepoints.
  int m_transactions = 0;
};

// A transaction that rolls back unless committed. A write transaction waits
// at its start for the other writers of the database; a read transaction
// sees one snapshot of the database throughout. Inside another transaction
// it is a savepoint of that one.
class Transaction {
 public:
  enum class Mode { Write, Read };
  explicit Transaction(Database& db, Mode mode = Mode::Write);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& m_db;
  int m_depth;
  bool m_done = false;
};

}  // namespace vornal
