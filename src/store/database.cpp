#include "store/database.h"

#include <filesystem>

#include "store/postgres_engine.h"
#include "store/sqlite_engine.h"

namespace vornal {

// ---- Statement ----

Statement::Statement(Database& db, std::unique_ptr<EngineStatement> stmt, std::string sql)
    : m_db(&db), m_stmt(std::move(stmt)), m_sql(std::move(sql)) {}

Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db), m_stmt(std::move(other.m_stmt)), m_sql(std::move(other.m_sql)) {}

Statement::~Statement() {
  if (m_stmt) m_db->Release(std::move(m_sql), std::move(m_stmt));
}

void Statement::BindOne(int index, std::string_view text) {
  m_stmt->BindText(index, text);
}

void Statement::BindOne(int index, std::int64_t number) {
  m_stmt->BindInt(index, number);
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
  m_stmt->BindNull(index);
}

void Statement::BindOne(int index, const Value& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value))
    BindOne(index, *number);
  else if (const auto* real = std::get_if<double>(&value))
    BindOne(index, std::to_string(*real));
  else if (const auto* text = std::get_if<std::string>(&value))
    BindOne(index, *text);
  else
    BindOne(index, Null{});
}

bool Statement::Step() {
  return m_stmt->Step();
}

int Statement::Run() {
  return m_stmt->Run();
}

void Statement::Send() {
  m_stmt->Send();
}

int Statement::ColumnCount() const {
  return m_stmt->ColumnCount();
}

std::string Statement::ColumnName(int column) const {
  return m_stmt->ColumnName(column);
}

bool Statement::IsNull(int column) const {
  return m_stmt->IsNull(column);
}

std::int64_t Statement::Int(int column) const {
  return m_stmt->Int(column);
}

std::string_view Statement::TextView(int column) const {
  return m_stmt->TextView(column);
}

std::string Statement::Text(int column) const {
  return std::string(TextView(column));
}

std::optional<DateTime> Statement::Time(int column) const {
  if (IsNull(column)) return std::nullopt;
  return DateTime::FromIso(TextView(column));
}

Value Statement::Get(int column) const {
  return m_stmt->Get(column);
}

// ---- Database ----

Database::Database() = default;

Database::~Database() {
  Close();
}

Engine& Database::Connection() const {
  if (!m_engine) throw StoreError(StoreErrorKind::Other, "The database is not open.");
  return *m_engine;
}

std::string Database::SecondsBetweenSql(std::string_view from, std::string_view to) const {
  return Connection().SecondsBetweenSql(from, to);
}

void Database::Open(const std::string& location) {
  OpenAs(location, false);
}

void Database::OpenReadOnly(const std::string& location) {
  OpenAs(location, true);
}

void Database::OpenAs(const std::string& location, bool readOnly) {
  Close();
  if (IsServerLocation(location)) {
    m_engine = std::make_unique<PostgresEngine>(location, kBusyTimeoutMs);
    if (readOnly) m_engine->ExecuteScript("SET default_transaction_read_only = on");
  } else {
    std::error_code ec;
    if (!std::filesystem::exists(location, ec))
      throw StoreError(StoreErrorKind::NotFound, "Could not find file '" + location + "'.");
    m_engine = std::make_unique<SqliteEngine>(
        location, readOnly ? SqliteEngine::Mode::ReadOnly : SqliteEngine::Mode::Open,
        kBusyTimeoutMs);
  }
  m_path = location;
}

void Database::Create(const std::string& path) {
  Close();
  if (IsServerLocation(path))
    throw StoreError(StoreErrorKind::Other,
                     "A server's database is made by its administrator (createdb); Vornal "
                     "makes its tables on first use.");
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    throw StoreError(StoreErrorKind::Other, "Database already exists.");
  m_engine = std::make_unique<SqliteEngine>(path, SqliteEngine::Mode::Create, kBusyTimeoutMs);
  m_path = path;
}

void Database::OpenMemory() {
  Close();
  m_engine = std::make_unique<SqliteEngine>(":memory:", SqliteEngine::Mode::Memory, kBusyTimeoutMs);
  m_path = ":memory:";
}

void Database::Close() {
  m_cache.clear();
  m_engine.reset();
  m_path.clear();
  m_transactions = 0;
}

std::string Database::Description() const {
  return Connection().Description();
}

EngineKind Database::Kind() const {
  return Connection().Kind();
}

Statement Database::Prepare(std::string_view sql) {
  Engine& engine = Connection();
  std::string text(sql);
  if (auto it = m_cache.find(text); it != m_cache.end()) {
    std::unique_ptr<EngineStatement> stmt = std::move(it->second);
    m_cache.erase(it);
    return Statement(*this, std::move(stmt), std::move(text));
  }
  return Statement(*this, engine.Prepare(sql), std::move(text));
}

void Database::Release(std::string sql, std::unique_ptr<EngineStatement> stmt) {
  if (!m_engine) return;  // closed meanwhile: the statement goes with it
  try {
    stmt->Reset();
  } catch (...) {
    return;  // a statement that cannot be reset is not kept
  }
  // A statement in use twice at once was prepared twice; keep one.
  m_cache.emplace(std::move(sql), std::move(stmt));
}

void Database::ExecuteScript(const std::string& sql) {
  Connection().ExecuteScript(sql);
}

bool Database::HasTable(std::string_view table) {
  return Connection().HasTable(table);
}

std::vector<std::string> Database::Columns(std::string_view table) {
  return Connection().Columns(table);
}

std::vector<std::string> Database::Indexes(std::string_view table) {
  return Connection().Indexes(table);
}

std::int64_t Database::LastInsertId() const {
  return Connection().LastInsertId();
}

// ---- Transaction ----

Transaction::Transaction(Database& db, Mode mode) : m_db(db), m_depth(db.m_transactions) {
  if (m_depth == 0)
    m_db.Connection().Begin(mode == Mode::Write);
  else
    m_db.ExecuteScript("SAVEPOINT vornal_" + std::to_string(m_depth));
  ++m_db.m_transactions;
}

Transaction::~Transaction() {
  if (m_done || !m_db.IsOpen()) return;
  m_db.m_transactions = m_depth;
  try {
    if (m_depth == 0)
      m_db.Connection().Rollback();
    else
      m_db.ExecuteScript("ROLLBACK TO vornal_" + std::to_string(m_depth) + "; RELEASE vornal_" +
                         std::to_string(m_depth));
  } catch (...) {
    // The engine may have rolled back already (after an I/O error).
  }
}

void Transaction::Commit() {
  if (m_depth == 0)
    m_db.Connection().Commit();
  else
    m_db.ExecuteScript("RELEASE vornal_" + std::to_string(m_depth));
  m_db.m_transactions = m_depth;
  m_done = true;
}

}  // namespace vornal
