#pragma once

#include <sys/types.h>

#include <string>

#include "store/engine.h"

struct sqlite3;

namespace vornal {

// A database file through SQLite's C API. Writers take the file's write lock
// at BEGIN, so they never interleave; a busy file is waited for up to the
// busy timeout.
class SqliteEngine : public Engine {
 public:
  // How a file is opened.
  enum class Mode { Open, ReadOnly, Create, Memory };
  SqliteEngine(const std::string& path, Mode mode, int busyTimeoutMs);
  ~SqliteEngine() override;
  SqliteEngine(const SqliteEngine&) = delete;
  SqliteEngine& operator=(const SqliteEngine&) = delete;

  EngineKind Kind() const override { return EngineKind::SQLite; }
  std::string Description() const override { return m_path; }

  std::unique_ptr<EngineStatement> Prepare(std::string_view sql) override;
  void ExecuteScript(const std::string& sql) override;
  std::int64_t LastInsertId() const override;

  void Begin(bool write) override;
  void Lock(DatabaseLock) override {}

  bool HasTable(std::string_view table) override;
  std::vector<std::string> Columns(std::string_view table) override;
  std::vector<std::string> Indexes(std::string_view table) override;

  std::string CreateTableSql(const TableSpec& table) const override;
  std::string AddColumnSql(std::string_view table, const ColumnSpec& column) const override;
  const char* IdentityType() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; }
  const char* DateTimeType() const override { return "DATETIME"; }
  // Date-times are "YYYY-MM-DD HH:MM:SS" text (a column check keeps them
  // so), which unixepoch() reads.
  std::string SecondsBetweenSql(std::string_view from, std::string_view to) const override {
    return "(unixepoch(" + std::string(to) + ") - unixepoch(" + std::string(from) + "))";
  }
  void SyncIdentity(const std::string&) override {}
  int SchemaVersion() override;
  void SetSchemaVersion(int version) override;

  void PrepareForBulkWrite() override;
  void CheckLocation() override;
  bool ReadOnly() override;

  std::int64_t BackUp(const std::string& path, bool replace) override;
  std::vector<std::string> IntegrityProblems() override;

  // Throws StoreError for an engine result code that is an error.
  void Check(int rc) const;

 private:
  std::vector<std::string> Names(const char* sql, std::string_view table, int column);

  sqlite3* m_db = nullptr;
  std::string m_path;
  // The file opened: its device and inode (none in memory).
  bool m_file = false;
  dev_t m_device = 0;
  ino_t m_inode = 0;
  int m_busyTimeoutMs;
};

}  // namespace vornal
