#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "store/database.h"

namespace vornal {

// A read-only snapshot: the whole result of a statement is read when it is
// opened, and the moves work on that copy. Derived classes bind columns to
// members by name; after every move the members hold the current row.
class Recordset {
 public:
  // With no database the recordset opens its default database file by
  // itself for as long as it is open.
  explicit Recordset(Database* db);
  virtual ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // Opens on the SQL text with bound values; the first row is current. An
  // empty text opens the default statement of the class.
  template <class... Args>
  void Open(std::string_view sql = {}, const Args&... args) {
    Close();
    Database& db = Connection();
    Statement statement = db.Prepare(sql.empty() ? std::string_view(DefaultSql()) : sql);
    statement.Bind(args...);
    Load(statement);
  }

  bool IsOpen() const { return m_open; }
  // True once past the last row, or when the result is empty.
  bool AtEnd() const { return m_current >= m_rows.size(); }
  bool AtStart() const { return m_rows.empty() || m_beforeFirst; }
  // Rows in the snapshot.
  long RecordCount() const { return static_cast<long>(m_rows.size()); }
  void MoveNext();
  void MoveFirst();
  void MoveLast();
  // Moves by n rows from the current one.
  void Move(long n);
  void Close();

  // The value of a column of the current row; monostate past the end.
  const Value& Field(std::string_view column) const;

  virtual std::string DefaultSql() const { return {}; }
  // The program's database (DatabaseLocation).
  virtual std::string DefaultDatabase() const;

 protected:
  using Binding = std::variant<std::int32_t*, std::string*, std::optional<DateTime>*>;
  // Binds a column, by name, to a member; called by the constructor of a
  // derived class in binding order.
  void Bind(std::string column, Binding member);

 private:
  Database& Connection();
  void Load(Statement& statement);
  void Exchange();

  Database* m_db;
  std::unique_ptr<Database> m_own;
  std::vector<std::string> m_columns;
  std::vector<std::vector<Value>> m_rows;
  std::size_t m_current = 0;
  bool m_beforeFirst = false;
  bool m_open = false;
  std::vector<std::pair<std::string, Binding>> m_bindings;
  // Column index of each binding in the open result, -1 when absent.
  std::vector<int> m_bindingColumns;
};

// Rows of `human`.
class PersonRecordset : public Recordset {
 public:
  explicit PersonRecordset(Database* db);
  std::string DefaultSql() const override { return "SELECT * FROM human"; }

  std::int32_t m_ID = 0;
  std::string m_Name;
  std::string m_Age;
  std::string m_Prof;
  std::string m_Photo;
  std::string m_Login;
  std::string m_Tel;
  std::string m_email;
};

// Rows of `logs`; `Preview` is not bound. An empty time is nothing.
class LogRecordset : public Recordset {
 public:
  explicit LogRecordset(Database* db);
  std::string DefaultSql() const override { return "SELECT * FROM logs"; }

  std::int32_t m_ID = 0;
  std::string m_Login;
  std::string m_Event;
  std::optional<DateTime> m_BeginTime;
  std::optional<DateTime> m_EndTime;
};

// Rows of `setting`.
class SettingRecordset : public Recordset {
 public:
  explicit SettingRecordset(Database* db);
  std::string DefaultSql() const override { return "SELECT * FROM setting"; }

  std::int32_t m_ID = 0;
  std::string m_Key;
  std::string m_Val;
};

}  // namespace vornal
