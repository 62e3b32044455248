#include "store/sqlite_engine.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <chrono>
#include <new>
#include <thread>

#include "store/output_file.h"
#include "store/sql_text.h"
#include "store/store_error.h"

namespace vornal {
namespace {

// SQLITE_TRANSIENT without the old-style cast of its macro.
const sqlite3_destructor_type kTransient = reinterpret_cast<sqlite3_destructor_type>(-1);

StoreErrorKind KindOf(int rc) {
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return StoreErrorKind::Busy;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return StoreErrorKind::NotPermitted;
    case SQLITE_FULL:
      return StoreErrorKind::Full;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return StoreErrorKind::Damaged;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
      return StoreErrorKind::Refused;
    default:
      return StoreErrorKind::Other;
  }
}

[[noreturn]] void Throw(int rc, const std::string& message) {
  if (rc == SQLITE_NOMEM) throw std::bad_alloc();
  throw StoreError(KindOf(rc), message, std::to_string(rc & 0xff));
}

class SqliteStatement : public EngineStatement {
 public:
  SqliteStatement(SqliteEngine& engine, sqlite3* db, sqlite3_stmt* stmt)
      : m_engine(engine), m_db(db), m_stmt(stmt) {}
  ~SqliteStatement() override { sqlite3_finalize(m_stmt); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void BindText(int index, std::string_view text) override {
    m_engine.Check(
        sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), kTransient, SQLITE_UTF8));
  }
  void BindInt(int index, std::int64_t number) override {
    m_engine.Check(sqlite3_bind_int64(m_stmt, index, number));
  }
  void BindNull(int index) override { m_engine.Check(sqlite3_bind_null(m_stmt, index)); }

  bool Step() override {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(m_stmt);
    m_engine.Check(rc);
    return false;
  }
  int Run() override {
    while (Step()) {
    }
    return sqlite3_changes(m_db);
  }
  void Reset() override {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
  }

  int ColumnCount() const override { return sqlite3_column_count(m_stmt); }
  std::string ColumnName(int column) const override {
    const char* name = sqlite3_column_name(m_stmt, column);
    if (!name) throw std::bad_alloc();
    return name;
  }
  bool IsNull(int column) const override {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
  }
  std::int64_t Int(int column) const override { return sqlite3_column_int64(m_stmt, column); }
  std::string_view TextView(int column) const override {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    if (!text) return {};
    return {text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
  }
  Value Get(int column) const override {
    switch (sqlite3_column_type(m_stmt, column)) {
      case SQLITE_INTEGER:
        return Int(column);
      case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
      case SQLITE_NULL:
        return std::monostate{};
      default:
        return std::string(TextView(column));
    }
  }

 private:
  SqliteEngine& m_engine;
  sqlite3* m_db;
  sqlite3_stmt* m_stmt;
};

std::string ColumnSql(const ColumnSpec& column) {
  const std::string name = QuotedName(column.name);
  switch (column.type) {
    case ColumnType::Id:
      return name + " INTEGER PRIMARY KEY AUTOINCREMENT";
    case ColumnType::Integer:
      return name + " INTEGER";
    case ColumnType::DateTime:
      return name + " DATETIME CHECK (" + name + " IS NULL OR datetime(" + name + ") IS " + name +
             ")";
    case ColumnType::Text:
      break;
  }
  std::string sql = name + " TEXT(" + std::to_string(column.size) + ")";
  if (column.ignoreCase) sql += " COLLATE NOCASE";
  if (!column.defaultValue.empty()) sql += " DEFAULT " + QuotedText(column.defaultValue);
  return sql + " CHECK (length(" + name + ") <= " + std::to_string(column.size) + ")";
}

}  // namespace

SqliteEngine::SqliteEngine(const std::string& path, Mode mode, int busyTimeoutMs)
    : m_path(path), m_busyTimeoutMs(busyTimeoutMs) {
  int flags = SQLITE_OPEN_NOMUTEX;
  if (mode == Mode::ReadOnly)
    flags |= SQLITE_OPEN_READONLY;
  else
    flags |= SQLITE_OPEN_READWRITE | (mode == Mode::Open ? 0 : SQLITE_OPEN_CREATE);
  if (mode != Mode::Memory) ProtectFromOutput(path);
  const int rc =
      sqlite3_open_v2(mode == Mode::Memory ? ":memory:" : path.c_str(), &m_db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    sqlite3_close(m_db);
    Throw(rc, message);
  }
  sqlite3_extended_result_codes(m_db, 0);
  sqlite3_busy_timeout(m_db, busyTimeoutMs);
  try {
    // Reading the schema finds a file that is not a database now, not at
    // the first statement of some later command.
    ExecuteScript("PRAGMA schema_version; PRAGMA synchronous = FULL;");
  } catch (...) {
    sqlite3_close_v2(m_db);
    throw;
  }
  struct stat info {};
  if (mode != Mode::Memory && ::stat(path.c_str(), &info) == 0) {
    m_file = true;
    m_device = info.st_dev;
    m_inode = info.st_ino;
  }
}

SqliteEngine::~SqliteEngine() {
  sqlite3_close_v2(m_db);
}

void SqliteEngine::Check(int rc) const {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
  const char* message = sqlite3_errmsg(m_db);
  Throw(rc, message ? message : sqlite3_errstr(rc));
}

std::unique_ptr<EngineStatement> SqliteEngine::Prepare(std::string_view sql) {
  sqlite3_stmt* stmt = nullptr;
  Check(sqlite3_prepare_v3(m_db, sql.data(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &stmt, nullptr));
  if (!stmt) throw StoreError(StoreErrorKind::Other, "Empty SQL statement.");
  return std::make_unique<SqliteStatement>(*this, m_db, stmt);
}

void SqliteEngine::ExecuteScript(const std::string& sql) {
  char* error = nullptr;
  const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    Throw(rc, message);
  }
}

std::int64_t SqliteEngine::LastInsertId() const {
  return sqlite3_last_insert_rowid(m_db);
}

void SqliteEngine::Begin(bool write) {
  // BEGIN IMMEDIATE takes the write lock at once, so a second writer waits
  // at the start, not midway.
  ExecuteScript(write ? "BEGIN IMMEDIATE" : "BEGIN");
}

std::vector<std::string> SqliteEngine::Names(const char* sql, std::string_view table, int column) {
  std::vector<std::string> names;
  auto statement = Prepare(sql);
  statement->BindText(1, table);
  while (statement->Step()) names.emplace_back(statement->TextView(column));
  return names;
}

bool SqliteEngine::HasTable(std::string_view table) {
  return !Names("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
                table, 0)
              .empty();
}

std::vector<std::string> SqliteEngine::Columns(std::string_view table) {
  return Names("SELECT name FROM pragma_table_info(?) ORDER BY cid", table, 0);
}

std::vector<std::string> SqliteEngine::Indexes(std::string_view table) {
  return Names(
      "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? COLLATE NOCASE "
      "AND sql IS NOT NULL ORDER BY name",
      table, 0);
}

std::string SqliteEngine::CreateTableSql(const TableSpec& table) const {
  std::string sql = "CREATE TABLE " + QuotedName(table.name) + " (";
  for (const ColumnSpec& column : table.columns)
    sql += (&column == &table.columns.front() ? "" : ", ") + ColumnSql(column);
  return sql + ")";
}

std::string SqliteEngine::AddColumnSql(std::string_view table, const ColumnSpec& column) const {
  return "ALTER TABLE " + QuotedName(table) + " ADD COLUMN " + ColumnSql(column);
}

int SqliteEngine::SchemaVersion() {
  auto statement = Prepare("PRAGMA user_version");
  return statement->Step() ? static_cast<int>(statement->Int(0)) : 0;
}

void SqliteEngine::SetSchemaVersion(int version) {
  ExecuteScript("PRAGMA user_version = " + std::to_string(version));
}

void SqliteEngine::PrepareForBulkWrite() {
  // A file's transaction touches many pages; with the engine's small default
  // cache they would be spilled to disk, with syncs, long before the commit.
  ExecuteScript("PRAGMA cache_size = -131072");
}

void SqliteEngine::CheckLocation() {
  if (!m_file) return;
  struct stat info {};
  if (::stat(m_path.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode)
    return;
  throw DatabaseReplaced(m_path +
                         " is no longer the database file this run opened (replaced or moved "
                         "away while in use)");
}

bool SqliteEngine::ReadOnly() {
  return sqlite3_db_readonly(m_db, "main") == 1;
}

std::int64_t SqliteEngine::BackUp(const std::string& path, bool replace) {
  // A new copy is as open to others as the database itself.
  struct stat own {};
  const unsigned mode = ::stat(m_path.c_str(), &own) == 0 ? own.st_mode & 0666 : 0666;
  OutputFile file(path, {replace, mode});
  sqlite3* copy = nullptr;
  // Errors of writing the copy name its file; the others are the database's.
  const auto failed = [&](int rc) {
    const std::string message = sqlite3_errstr(rc);
    switch (rc & 0xff) {
      case SQLITE_FULL:
      case SQLITE_IOERR:
      case SQLITE_CANTOPEN:
      case SQLITE_READONLY:
      case SQLITE_PERM:
        throw OutputError(OutputError::Reason::System, path, message);
      default:
        Throw(rc, message);
    }
  };
  try {
    int rc = sqlite3_open_v2(file.TemporaryPath().c_str(), &copy, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
      rc = sqlite3_exec(copy, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    sqlite3_backup* backup =
        rc == SQLITE_OK ? sqlite3_backup_init(copy, "main", m_db, "main") : nullptr;
    if (!backup) failed(rc == SQLITE_OK ? sqlite3_errcode(copy) : rc);
    // The source is read-locked only during a step. When another program
    // writes between steps, the copy starts again; longer steps then make
    // sure it ends even while a collection commits again and again.
    int pages = 256;
    int remaining = -1;
    int waitedMs = 0;
    for (;;) {
      rc = sqlite3_backup_step(backup, pages);
      if (rc == SQLITE_OK) {
        const int now = sqlite3_backup_remaining(backup);
        if (remaining >= 0 && now > remaining && pages < (1 << 30)) pages *= 2;
        remaining = now;
        waitedMs = 0;
      } else if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waitedMs < m_busyTimeoutMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        waitedMs += 10;
      } else {
        break;
      }
    }
    // A step left busy is no error to the finish: the copy is incomplete.
    const int last = rc;
    rc = sqlite3_backup_finish(backup);
    if (rc != SQLITE_OK) failed(rc);
    if (last != SQLITE_DONE) failed(last);
    rc = sqlite3_close(copy);
    copy = nullptr;
    if (rc != SQLITE_OK) failed(rc);
    return file.Commit();
  } catch (...) {
    sqlite3_close_v2(copy);
    throw;
  }
}

std::vector<std::string> SqliteEngine::IntegrityProblems() {
  std::vector<std::string> problems;
  auto check = Prepare("PRAGMA integrity_check");
  while (check->Step())
    if (check->TextView(0) != "ok") problems.emplace_back(check->TextView(0));
  return problems;
}

}  // namespace vornal
