#include "store/sqlite_engine.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>
#include <thread>

#include "store/sql_text.h"
#include "store/store_error.h"
#include "store/table_def.h"

namespace vornal {
namespace {

// SQLITE_TRANSIENT without the old-style cast of its macro.
const sqlite3_destructor_type kTransient = reinterpret_cast<sqlite3_destructor_type>(-1);

[[noreturn]] void Throw(int rc, const std::string& message) {
  if (rc == SQLITE_NOMEM) throw std::bad_alloc();
  throw StoreError(rc & 0xff, message);
}

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// A new file beside `path`, named after it, that no other program chose;
// its name. The file is empty, which SQLite opens as an empty database.
std::string MakeTemporaryBeside(const std::string& path) {
  const std::filesystem::path target(path);
  std::string name =
      (target.parent_path() / ("." + target.filename().string() + ".partial-XXXXXX")).string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) ThrowErrno("cannot create a file beside " + path);
  ::close(fd);
  return name;
}

// Moves `from` to `to`; an existing `to` is replaced only when asked.
void MoveInto(const std::string& from, const std::string& to, bool replace) {
  if (replace) {
    if (std::rename(from.c_str(), to.c_str()) != 0) ThrowErrno("cannot rename to " + to);
    return;
  }
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) ThrowErrno(to);
  // A file system without the no-replace rename: a new link fails as well
  // when `to` exists.
  if (::link(from.c_str(), to.c_str()) != 0) ThrowErrno(to);
  ::unlink(from.c_str());
}

// Makes a rename in the folder of `path` durable.
void SyncFolderOf(const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
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

std::string ColumnSql(const FieldDescription& field) {
  const std::string name = QuotedName(field.name);
  std::string sql = name;
  if (field.type == kTypeLong && (field.attributes & kAttrAutoIncrement))
    return sql + " INTEGER PRIMARY KEY AUTOINCREMENT";
  switch (field.type) {
    case kTypeLong:
      sql += " INTEGER";
      break;
    case kTypeDateTime:
      sql += " DATETIME";
      break;
    default:
      sql += " TEXT(" + std::to_string(field.size) + ")";
  }
  if (field.ignoreCase) sql += " COLLATE NOCASE";
  if (!field.defaultValue.empty()) sql += " DEFAULT " + QuotedText(field.defaultValue);
  if (field.type == kTypeText && field.size > 0)
    sql += " CHECK (length(" + name + ") <= " + std::to_string(field.size) + ")";
  if (field.type == kTypeDateTime)
    sql += " CHECK (" + name + " IS NULL OR datetime(" + name + ") IS " + name + ")";
  return sql;
}

}  // namespace

SqliteEngine::SqliteEngine(const std::string& path, Mode mode, int busyTimeoutMs)
    : m_path(path), m_busyTimeoutMs(busyTimeoutMs) {
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  if (mode != Mode::Open) flags |= SQLITE_OPEN_CREATE;
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
  if (!stmt) throw StoreError(SQLITE_MISUSE, "Empty SQL statement.");
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

std::string SqliteEngine::CreateTableSql(const std::string& table,
                                         const std::vector<FieldDescription>& fields) {
  std::string sql = "CREATE TABLE " + QuotedName(table) + " (";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) sql += ", ";
    sql += ColumnSql(fields[i]);
  }
  return sql + ")";
}

std::string SqliteEngine::AddColumnSql(const std::string& table, const FieldDescription& field) {
  return "ALTER TABLE " + QuotedName(table) + " ADD COLUMN " + ColumnSql(field);
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

bool SqliteEngine::ReadOnly() {
  return sqlite3_db_readonly(m_db, "main") == 1;
}

std::int64_t SqliteEngine::BackUp(const std::string& path, bool replace) {
  struct stat target {};
  struct stat own {};
  if (::stat(path.c_str(), &target) == 0) {
    if (::stat(m_path.c_str(), &own) == 0 && own.st_dev == target.st_dev &&
        own.st_ino == target.st_ino)
      throw std::invalid_argument(path + " is the database itself");
    if (!replace) throw std::system_error(std::make_error_code(std::errc::file_exists), path);
  }
  const std::string temporary = MakeTemporaryBeside(path);
  sqlite3* copy = nullptr;
  const auto discard = [&] {
    sqlite3_close_v2(copy);
    ::unlink(temporary.c_str());
    ::unlink((temporary + "-journal").c_str());
  };
  try {
    int rc = sqlite3_open_v2(temporary.c_str(), &copy, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
      rc = sqlite3_exec(copy, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    sqlite3_backup* backup =
        rc == SQLITE_OK ? sqlite3_backup_init(copy, "main", m_db, "main") : nullptr;
    if (!backup)
      Throw(rc == SQLITE_OK ? sqlite3_errcode(copy) : rc,
            copy ? sqlite3_errmsg(copy) : sqlite3_errstr(rc));
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
    if (rc != SQLITE_OK) Throw(rc, sqlite3_errmsg(copy));
    if (last != SQLITE_DONE) Throw(last, sqlite3_errstr(last));
    rc = sqlite3_close(copy);
    copy = nullptr;
    if (rc != SQLITE_OK) Throw(rc, sqlite3_errstr(rc));
    struct stat made {};
    if (::stat(temporary.c_str(), &made) != 0) ThrowErrno(temporary);
    MoveInto(temporary, path, replace);
    SyncFolderOf(path);
    return made.st_size;
  } catch (...) {
    discard();
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
