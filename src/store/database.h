#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

#include "store/date_time.h"
#include "store/store_error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vornal {

// A column value as the engine returns it.
using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

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

  // Runs to the next row: true when a row is there, false when done.
  bool Step();
  // Runs a statement that returns no rows; the number of rows changed.
  int Run();

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
  Statement(Database& db, sqlite3_stmt* stmt, bool cached);
  void Check(int rc) const;

  Database* m_db;
  sqlite3_stmt* m_stmt;
  bool m_cached;
};

// One connection to a database file. Opening never creates a file; creating
// never opens an existing one. Every engine error throws StoreError.
class Database {
 public:
  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens an existing file for reading and writing, shared with other
  // processes (they wait for each other up to the busy timeout). A missing
  // file is error 3024.
  void Open(const std::string& path);
  // Makes a new, empty database file and opens it; fails when it exists.
  void Create(const std::string& path);
  // An in-memory database, for tests and tools.
  void OpenMemory();
  bool IsOpen() const { return m_db != nullptr; }
  void Close();
  const std::string& Path() const { return m_path; }

  // A cached prepared statement for the SQL text.
  Statement Prepare(std::string_view sql);

  // Executes one statement with bound values; it applies whole or not at
  // all. Returns the number of rows changed.
  template <class... Args>
  int Execute(std::string_view sql, const Args&... args) {
    return Prepare(sql).Bind(args...).Run();
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

  // Succeed when the table exists; error 3265 when it does not.
  void TableInfo(std::string_view table);
  // Succeed when the table has the column; error 3265 when it does not.
  void FieldInfo(std::string_view table, std::string_view field);
  bool HasTable(std::string_view table);

  std::int64_t LastInsertId() const;
  sqlite3* Handle() const { return m_db; }

  // The engine's SQL for the whole seconds from one date-time to another
  // (columns or expressions given as SQL text), NULL when either is NULL:
  // the one computation with date-times that statements leave to the engine.
  std::string SecondsBetweenSql(std::string_view from, std::string_view to) const;

  // Throws StoreError for an engine result code that is an error.
  void Check(int rc) const;

  static constexpr int kBusyTimeoutMs = 5000;

 private:
  friend class Statement;
  void OpenFlags(const std::string& path, int flags);
  void Release(sqlite3_stmt* stmt);
  sqlite3* Ensure() const;

  sqlite3* m_db = nullptr;
  std::string m_path;
  // SQL text -> idle prepared statement.
  std::unordered_map<std::string, sqlite3_stmt*> m_cache;
};

// A transaction that rolls back unless committed. BEGIN IMMEDIATE takes the
// write lock at once, so a second writer waits at the start, not midway.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& m_db;
  bool m_done = false;
};

}  // namespace vornal
