#include "store/database.h"

#include <sqlite3.h>

#include <filesystem>
#include <new>

namespace vornal {
namespace {

// SQLITE_TRANSIENT without the old-style cast of its macro.
const sqlite3_destructor_type kTransient = reinterpret_cast<sqlite3_destructor_type>(-1);

}  // namespace

// ---- Statement ----

Statement::Statement(Database& db, sqlite3_stmt* stmt, bool cached)
    : m_db(&db), m_stmt(stmt), m_cached(cached) {}

Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt), m_cached(other.m_cached) {
  other.m_stmt = nullptr;
}

Statement::~Statement() {
  if (!m_stmt) return;
  if (m_cached)
    m_db->Release(m_stmt);
  else
    sqlite3_finalize(m_stmt);
}

void Statement::Check(int rc) const {
  m_db->Check(rc);
}

void Statement::BindOne(int index, std::string_view text) {
  Check(sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), kTransient, SQLITE_UTF8));
}

void Statement::BindOne(int index, std::int64_t number) {
  Check(sqlite3_bind_int64(m_stmt, index, number));
}

void Statement::BindOne(int index, const DateTime& time) {
  BindOne(index, time.ToIso());
}

void Statement::BindOne(int index, const std::optional<DateTime>& time) {
  if (time)
    BindOne(index, *time);
  else
    BindOne(index, Null{});
}

void Statement::BindOne(int index, Null) {
  Check(sqlite3_bind_null(m_stmt, index));
}

bool Statement::Step() {
  const int rc = sqlite3_step(m_stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(m_stmt);
  Check(rc);
  return false;
}

int Statement::Run() {
  while (Step()) {
  }
  return sqlite3_changes(m_db->Handle());
}

int Statement::ColumnCount() const {
  return sqlite3_column_count(m_stmt);
}

std::string Statement::ColumnName(int column) const {
  const char* name = sqlite3_column_name(m_stmt, column);
  if (!name) throw std::bad_alloc();
  return name;
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(m_stmt, column);
}

std::string_view Statement::TextView(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
  if (!text) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
}

std::string Statement::Text(int column) const {
  return std::string(TextView(column));
}

std::optional<DateTime> Statement::Time(int column) const {
  if (IsNull(column)) return std::nullopt;
  return DateTime::FromIso(TextView(column));
}

Value Statement::Get(int column) const {
  switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
      return Int(column);
    case SQLITE_FLOAT:
      return sqlite3_column_double(m_stmt, column);
    case SQLITE_NULL:
      return std::monostate{};
    default:
      return Text(column);
  }
}

// ---- Database ----

Database::Database() = default;

Database::~Database() {
  Close();
}

void Database::Check(int rc) const {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
  if (rc == SQLITE_NOMEM) throw std::bad_alloc();
  const char* message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
  throw StoreError(rc & 0xff, message ? message : sqlite3_errstr(rc));
}

// Date-times are stored as "YYYY-MM-DD HH:MM:SS" text (a column check keeps
// them so), which unixepoch() reads.
std::string Database::SecondsBetweenSql(std::string_view from, std::string_view to) const {
  return "(unixepoch(" + std::string(to) + ") - unixepoch(" + std::string(from) + "))";
}

sqlite3* Database::Ensure() const {
  if (!m_db) throw StoreError(kErrNotOpen, "The database is not open.");
  return m_db;
}

void Database::OpenFlags(const std::string& path, int flags) {
  Close();
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    if (rc == SQLITE_NOMEM) throw std::bad_alloc();
    throw StoreError(rc & 0xff, message);
  }
  m_db = db;
  m_path = path;
  sqlite3_extended_result_codes(m_db, 0);
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
  try {
    // Reading the schema finds a file that is not a database now, not at
    // the first statement of some later command.
    ExecuteScript("PRAGMA schema_version; PRAGMA synchronous = FULL;");
  } catch (...) {
    Close();
    throw;
  }
}

void Database::Open(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec))
    throw StoreError(kErrFileNotFound, "Could not find file '" + path + "'.");
  OpenFlags(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
}

void Database::Create(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    throw StoreError(kErrDatabaseExists, "Database already exists.");
  OpenFlags(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
}

void Database::OpenMemory() {
  OpenFlags(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
}

void Database::Close() {
  for (auto& [sql, stmt] : m_cache) sqlite3_finalize(stmt);
  m_cache.clear();
  if (m_db) {
    sqlite3_close_v2(m_db);
    m_db = nullptr;
  }
  m_path.clear();
}

Statement Database::Prepare(std::string_view sql) {
  sqlite3* db = Ensure();
  if (auto it = m_cache.find(std::string(sql)); it != m_cache.end()) {
    sqlite3_stmt* stmt = it->second;
    m_cache.erase(it);
    return Statement(*this, stmt, true);
  }
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  Check(rc);
  if (!stmt) throw StoreError(SQLITE_MISUSE, "Empty SQL statement.");
  return Statement(*this, stmt, true);
}

void Database::Release(sqlite3_stmt* stmt) {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (!m_db) {
    sqlite3_finalize(stmt);
    return;
  }
  // A statement in use twice at once was prepared twice; keep one.
  if (!m_cache.emplace(sqlite3_sql(stmt), stmt).second) sqlite3_finalize(stmt);
}

void Database::ExecuteScript(const std::string& sql) {
  char* error = nullptr;
  const int rc = sqlite3_exec(Ensure(), sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    if (rc == SQLITE_NOMEM) throw std::bad_alloc();
    throw StoreError(rc & 0xff, message);
  }
}

bool Database::HasTable(std::string_view table) {
  return QueryInt("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
                  table)
      .has_value();
}

void Database::TableInfo(std::string_view table) {
  if (!HasTable(table)) throw StoreError(kErrItemNotFound, "Item not found in this collection.");
}

void Database::FieldInfo(std::string_view table, std::string_view field) {
  if (!QueryInt("SELECT 1 FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE", table, field))
    throw StoreError(kErrItemNotFound, "Item not found in this collection.");
}

std::int64_t Database::LastInsertId() const {
  return sqlite3_last_insert_rowid(Ensure());
}

// ---- Transaction ----

Transaction::Transaction(Database& db) : m_db(db) {
  m_db.ExecuteScript("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (m_done || !m_db.IsOpen()) return;
  try {
    m_db.ExecuteScript("ROLLBACK");
  } catch (...) {
    // The engine may have rolled back already (after an I/O error).
  }
}

void Transaction::Commit() {
  m_db.ExecuteScript("COMMIT");
  m_done = true;
}

}  // namespace vornal
