#include "store/postgres_engine.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "store/sql_text.h"

namespace vornal {
namespace {

// Statements sent in the pipeline before their results are read: their
// results stay far below what the socket buffers hold, so neither side
// blocks writing while the other does.
constexpr int kMaxQueued = 1000;
// The advisory locks: a class of the program's own, then one key a lock.
constexpr const char* kLockClass = "1450143342";

// Type identifiers of the server's built-in types.
constexpr Oid kBoolOid = 16;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kOidOid = 26;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kNumericOid = 1700;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && LowerName(text.substr(0, prefix.size())) == prefix;
}

// The engine's message on one line: its lines, each trimmed of the blanks
// and tabs that indent it, joined by a space; a line said again (libpq
// repeats what it reports for each pending result) once.
std::string OneLine(const char* message) {
  std::vector<std::string> lines;
  std::string text = message ? message : "";
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    const std::size_t first = line.find_first_not_of(" \t\r");
    line = first == std::string::npos
               ? std::string()
               : line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end())
      lines.push_back(std::move(line));
    at = end + 1;
  }
  std::string joined;
  for (const std::string& line : lines) joined += (joined.empty() ? "" : " ") + line;
  return joined;
}

// The kind of failure a SQLSTATE says, so that callers tell the kinds apart
// the same way on both engines.
StoreErrorKind KindOf(std::string_view state) {
  if (state.size() != 5) return StoreErrorKind::Other;
  const std::string_view group = state.substr(0, 2);
  // Lock not available, serialisation failure, deadlock, object in use, too
  // many connections, server starting up, a statement timeout (or a
  // cancel): try again later.
  if (state == "55P03" || state == "40001" || state == "40P01" || state == "55006" ||
      state == "53300" || state == "57P03" || state == "57014")
    return StoreErrorKind::Busy;
  // A read-only transaction, or a role not allowed to write.
  if (state == "25006" || state == "42501") return StoreErrorKind::NotPermitted;
  if (state == "53100") return StoreErrorKind::Full;
  if (state == "XX001" || state == "XX002") return StoreErrorKind::Damaged;
  if (group == "23" || group == "22" || group == "P0") return StoreErrorKind::Refused;
  // The connection is lost, the server shut down, or has no such database.
  if (group == "08" || group == "57" || state == "3D000") return StoreErrorKind::CannotConnect;
  return StoreErrorKind::Other;
}

// `?` parameters numbered `$1`, `$2`, ... as the server wants them; quoted
// texts and names, comments and dollar-quoted bodies are left as they are.
std::string NumberedParameters(std::string_view sql) {
  std::string out;
  out.reserve(sql.size() + 16);
  int number = 0;
  for (std::size_t i = 0; i < sql.size();) {
    const char c = sql[i];
    std::size_t end = i + 1;
    if (c == '\'' || c == '"') {
      end = sql.find(c, i + 1);
      end = end == std::string_view::npos ? sql.size() : end + 1;
    } else if (c == '-' && sql.substr(i, 2) == "--") {
      end = sql.find('\n', i);
      end = end == std::string_view::npos ? sql.size() : end;
    } else if (c == '/' && sql.substr(i, 2) == "/*") {
      end = sql.find("*/", i + 2);
      end = end == std::string_view::npos ? sql.size() : end + 2;
    } else if (c == '$') {
      std::size_t tagEnd = i + 1;
      while (tagEnd < sql.size() &&
             (std::isalnum(static_cast<unsigned char>(sql[tagEnd])) || sql[tagEnd] == '_'))
        ++tagEnd;
      if (tagEnd < sql.size() && sql[tagEnd] == '$' &&
          (tagEnd == i + 1 || !std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
        const std::string_view tag = sql.substr(i, tagEnd - i + 1);
        end = sql.find(tag, tagEnd + 1);
        end = end == std::string_view::npos ? sql.size() : end + tag.size();
      }
    } else if (c == '?') {
      out += '$' + std::to_string(++number);
      ++i;
      continue;
    }
    out.append(sql.substr(i, end - i));
    i = end;
  }
  return out;
}

// What matters of an INSERT for the IDs of its rows: its table (lower case;
// empty for other statements and for those that say what they return),
// the columns it lists, and, for a single row of VALUES with nothing after
// it, where the two lists end.
struct InsertShape {
  std::string table;
  std::vector<std::string> columns;
  std::size_t columnsEnd = std::string_view::npos;
  std::size_t valuesEnd = std::string_view::npos;
};

InsertShape ReadInsert(std::string_view sql) {
  InsertShape shape;
  std::size_t i = 0;
  const auto space = [&] {
    while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  };
  const auto word = [&](std::string_view expected) {
    space();
    if (!StartsWith(sql.substr(i), expected)) return false;
    i += expected.size();
    return true;
  };
  const auto name = [&] {
    space();
    std::string out;
    if (i < sql.size() && sql[i] == '"') {
      const std::size_t close = sql.find('"', i + 1);
      if (close == std::string_view::npos) return out;
      out = sql.substr(i + 1, close - i - 1);
      i = close + 1;
      return out;
    }
    while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_'))
      out += sql[i++];
    return LowerName(out);
  };
  if (!word("insert") || !word("into") || LowerName(sql).find("returning") != std::string::npos)
    return shape;
  shape.table = name();
  if (!word("(")) return shape;
  do shape.columns.push_back(name());
  while (word(","));
  if (!word(")")) return shape;
  const std::size_t columnsEnd = i - 1;
  if (!word("values") || !word("(")) return shape;
  for (int depth = 1; i < sql.size() && depth > 0; ++i) {
    if (sql[i] == '\'' || sql[i] == '"') {
      const std::size_t close = sql.find(sql[i], i + 1);
      if (close == std::string_view::npos) return shape;
      i = close;
    } else if (sql[i] == '(') {
      ++depth;
    } else if (sql[i] == ')' && --depth == 0) {
      shape.valuesEnd = i;
    }
  }
  space();
  if (i < sql.size()) shape.valuesEnd = std::string_view::npos;
  if (shape.valuesEnd != std::string_view::npos) shape.columnsEnd = columnsEnd;
  return shape;
}

void IgnoreNotice(void*, const char*) {}

std::string ColumnSql(const ColumnSpec& column) {
  const std::string name = QuotedName(LowerName(column.name));
  switch (column.type) {
    case ColumnType::Id:
      return name + " " + PostgresEngine::kIdentityType;
    case ColumnType::Integer:
      return name + " integer";
    case ColumnType::DateTime:
      return name + " " + PostgresEngine::kDateTimeType;
    case ColumnType::Text:
      break;
  }
  // Logins compare through the key column the program fills, so they need
  // no collation of their own here.
  std::string sql = name + " varchar(" + std::to_string(column.size) + ")";
  if (!column.defaultValue.empty()) sql += " DEFAULT " + QuotedText(column.defaultValue);
  return sql;
}

}  // namespace

bool IsServerLocation(const std::string& location) {
  if (StartsWith(location, "postgresql://") || StartsWith(location, "postgres://")) return true;
  if (location.find('=') == std::string::npos) return false;
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(location.c_str(), &error);
  PQfreemem(error);
  if (!options) return false;
  PQconninfoFree(options);
  return true;
}

bool LocationHoldsPassword(const std::string& location) {
  if (!IsServerLocation(location)) return false;
  PQconninfoOption* options = PQconninfoParse(location.c_str(), nullptr);
  if (!options) return false;
  bool password = false;
  for (const PQconninfoOption* option = options; option->keyword; ++option)
    if (std::strcmp(option->keyword, "password") == 0 && option->val && *option->val)
      password = true;
  PQconninfoFree(options);
  return password;
}

std::string DisplayLocation(const std::string& location) {
  if (!IsServerLocation(location)) return location;
  PQconninfoOption* options = PQconninfoParse(location.c_str(), nullptr);
  if (!options) return location;
  std::string shown;
  bool password = false;
  for (const PQconninfoOption* option = options; option->keyword; ++option) {
    if (!option->val || !*option->val) continue;
    const bool secret = std::strcmp(option->keyword, "password") == 0;
    password = password || secret;
    shown += (shown.empty() ? "" : " ") + std::string(option->keyword) + "=" +
             (secret ? "********" : option->val);
  }
  PQconninfoFree(options);
  return password ? shown : location;
}

// ---- PostgresStatement ----

class PostgresStatement : public EngineStatement {
 public:
  PostgresStatement(PostgresEngine& engine, std::string name, int params, PGresult* description,
                    bool returnsId, std::string idTable)
      : m_engine(&engine),
        m_name(std::move(name)),
        m_values(static_cast<std::size_t>(params)),
        m_null(static_cast<std::size_t>(params), true),
        m_returnsId(returnsId),
        m_idTable(std::move(idTable)) {
    for (int i = 0; i < PQnfields(description); ++i) {
      m_names.emplace_back(PQfname(description, i));
      m_types.push_back(PQftype(description, i));
    }
  }
  ~PostgresStatement() override {
    if (m_state == State::Streaming) Drain();
  }
  PostgresStatement(const PostgresStatement&) = delete;
  PostgresStatement& operator=(const PostgresStatement&) = delete;

  void BindText(int index, std::string_view text) override {
    // The server's text cannot hold NUL: it becomes U+0080, a control
    // character as well, so a line kept aside for holding one is still
    // refused when it is retried.
    std::string& slot = Slot(index);
    slot.clear();
    for (std::size_t at = 0;;) {
      const std::size_t nul = text.find('\0', at);
      slot.append(text.substr(at, nul - at));
      if (nul == std::string_view::npos) break;
      slot += "\xC2\x80";
      at = nul + 1;
    }
    m_null[static_cast<std::size_t>(index - 1)] = false;
  }
  void BindInt(int index, std::int64_t number) override {
    Slot(index) = std::to_string(number);
    m_null[static_cast<std::size_t>(index - 1)] = false;
  }
  void BindNull(int index) override {
    Slot(index).clear();
    m_null[static_cast<std::size_t>(index - 1)] = true;
  }

  bool Step() override {
    if (m_state == State::Idle) Start();
    for (;;) {
      if (m_current && ++m_row < PQntuples(m_current.get())) {
        if (!m_returnsId) return true;
        m_engine->m_lastInsertId = std::atoll(PQgetvalue(m_current.get(), m_row, 0));
        continue;
      }
      m_current.reset();
      m_row = -1;
      if (m_state == State::Streaming) {
        PostgresEngine::ResultPtr result = m_engine->NextResult();
        if (!result) {
          m_engine->m_streaming = nullptr;
          m_state = State::Done;
          return false;
        }
        switch (PQresultStatus(result.get())) {
          case PGRES_SINGLE_TUPLE:
            m_current = std::move(result);
            break;
          case PGRES_TUPLES_OK:
          case PGRES_COMMAND_OK:
            m_changes = std::atoi(PQcmdTuples(result.get()));
            break;
          default: {
            const StoreError error = m_engine->ResultError(result.get());
            Drain();
            m_state = State::Done;
            throw error;
          }
        }
      } else if (m_state == State::Buffered) {
        if (m_buffered.empty()) {
          m_state = State::Done;
          if (m_error) {
            const StoreError error = *m_error;
            m_error.reset();
            throw error;
          }
          return false;
        }
        m_current = std::move(m_buffered.front());
        m_buffered.pop_front();
      } else {
        return false;
      }
    }
  }

  int Run() override {
    while (Step()) {
    }
    return m_changes;
  }

  void Send() override {
    // Outside a transaction nothing would end the pipeline's implicit one;
    // an INSERT that returns its ID must be waited for to know it.
    if (!m_engine->m_inTransaction || m_returnsId) {
      Run();
      return;
    }
    AssignId();
    PGconn* conn = m_engine->m_conn;
    if (m_engine->m_streaming) m_engine->m_streaming->Materialise();
    if (PQpipelineStatus(conn) == PQ_PIPELINE_OFF && !PQenterPipelineMode(conn))
      m_engine->ThrowConnectionError("cannot send statements in a pipeline");
    const std::vector<const char*> values = Values();
    if (!PQsendQueryPrepared(conn, m_name.c_str(), static_cast<int>(values.size()), values.data(),
                             nullptr, nullptr, 0))
      m_engine->ThrowConnectionError("cannot send a statement");
    if (++m_engine->m_queued >= kMaxQueued) m_engine->Idle();
  }

  void Reset() override {
    if (m_state == State::Streaming) Drain();
    m_current.reset();
    m_row = -1;
    m_buffered.clear();
    m_error.reset();
    m_changes = 0;
    m_state = State::Idle;
    std::fill(m_null.begin(), m_null.end(), true);
  }

  int ColumnCount() const override { return m_returnsId ? 0 : static_cast<int>(m_names.size()); }
  std::string ColumnName(int column) const override {
    return m_names.at(static_cast<std::size_t>(column));
  }
  bool IsNull(int column) const override {
    return !m_current || PQgetisnull(m_current.get(), m_row, column);
  }
  std::int64_t Int(int column) const override {
    if (IsNull(column)) return 0;
    const std::string_view text = TextView(column);
    if (Type(column) == kBoolOid) return text == "t";
    std::int64_t number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && end == text.data() + text.size()) return number;
    return static_cast<std::int64_t>(std::strtod(std::string(text).c_str(), nullptr));
  }
  std::string_view TextView(int column) const override {
    if (!m_current) return {};
    return {PQgetvalue(m_current.get(), m_row, column),
            static_cast<std::size_t>(PQgetlength(m_current.get(), m_row, column))};
  }
  Value Get(int column) const override {
    if (IsNull(column)) return std::monostate{};
    switch (Type(column)) {
      case kBoolOid:
      case kInt2Oid:
      case kInt4Oid:
      case kInt8Oid:
      case kOidOid:
        return Int(column);
      case kFloat4Oid:
      case kFloat8Oid:
      case kNumericOid:
        return std::strtod(std::string(TextView(column)).c_str(), nullptr);
      default:
        return std::string(TextView(column));
    }
  }

  // The rows not read yet move from the connection into memory.
  void Materialise() {
    m_engine->m_streaming = nullptr;
    m_state = State::Buffered;
    while (PostgresEngine::ResultPtr result = m_engine->NextResult()) {
      switch (PQresultStatus(result.get())) {
        case PGRES_SINGLE_TUPLE:
          m_buffered.push_back(std::move(result));
          break;
        case PGRES_TUPLES_OK:
        case PGRES_COMMAND_OK:
          m_changes = std::atoi(PQcmdTuples(result.get()));
          break;
        default:
          if (!m_error) m_error = m_engine->ResultError(result.get());
      }
    }
  }

  // The connection is gone: nothing is left to read.
  void Orphan() { m_state = State::Done; }

 private:
  enum class State { Idle, Streaming, Buffered, Done };

  std::string& Slot(int index) {
    if (index < 1 || index > static_cast<int>(m_values.size()))
      throw StoreError(StoreErrorKind::Other, "column index out of range");
    return m_values[static_cast<std::size_t>(index - 1)];
  }
  Oid Type(int column) const { return m_types.at(static_cast<std::size_t>(column)); }

  std::vector<const char*> Values() const {
    std::vector<const char*> values(m_values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
      values[i] = m_null[i] ? nullptr : m_values[i].c_str();
    return values;
  }

  // The new row's ID, given by the engine: the INSERT then needs no round
  // trip to learn it.
  void AssignId() {
    if (m_idTable.empty()) return;
    const std::int64_t id = m_engine->NextId(m_idTable);
    Slot(static_cast<int>(m_values.size())) = std::to_string(id);
    m_null.back() = false;
    m_engine->m_lastInsertId = id;
  }

  void Start() {
    AssignId();
    PGconn* conn = m_engine->m_conn;
    if (m_engine->m_streaming) m_engine->m_streaming->Materialise();
    const std::vector<const char*> values = Values();
    if (!PQsendQueryPrepared(conn, m_name.c_str(), static_cast<int>(values.size()), values.data(),
                             nullptr, nullptr, 0))
      m_engine->ThrowConnectionError("cannot send a statement");
    if (m_engine->m_queued > 0) {
      // Behind the statements of the pipeline: one round trip for them all.
      m_state = State::Buffered;
      if (!PQpipelineSync(conn)) m_engine->ThrowConnectionError("cannot send a statement");
      m_engine->FinishPipeline(&m_buffered, &m_changes);
      return;
    }
    PQsetSingleRowMode(conn);
    m_engine->m_streaming = this;
    m_state = State::Streaming;
  }

  void Drain() {
    while (m_engine->NextResult()) {
    }
    m_engine->m_streaming = nullptr;
  }

  PostgresEngine* m_engine;
  std::string m_name;
  std::vector<std::string> m_values;
  std::vector<bool> m_null;
  std::vector<std::string> m_names;
  std::vector<Oid> m_types;
  // An INSERT given "RETURNING id": its rows are the new IDs, not results.
  bool m_returnsId;
  // An INSERT whose last parameter is the new row's ID from the table's
  // sequence.
  std::string m_idTable;

  State m_state = State::Idle;
  PostgresEngine::ResultPtr m_current{nullptr, PQclear};
  int m_row = -1;
  std::deque<PostgresEngine::ResultPtr> m_buffered;
  std::optional<StoreError> m_error;
  int m_changes = 0;
};

// ---- PostgresEngine ----

PostgresEngine::PostgresEngine(const std::string& location, int lockTimeoutMs)
    : m_lockTimeoutMs(lockTimeoutMs) {
  char* parseError = nullptr;
  PQconninfoOption* options = PQconninfoParse(location.c_str(), &parseError);
  if (!options) {
    const std::string message = OneLine(parseError);
    PQfreemem(parseError);
    throw StoreError(StoreErrorKind::CannotConnect, "invalid connection string: " + message);
  }
  PQconninfoFree(options);
  if (LocationHoldsPassword(location))
    throw StoreError(StoreErrorKind::CannotConnect,
                     "the connection string holds a password: keep it in the password file "
                     "(~/.pgpass) or a service file, never on the command line");

  // A given connect_timeout wins over ours; the encoding is always ours.
  const char* keywords[] = {"connect_timeout", "dbname", "fallback_application_name",
                            "client_encoding", nullptr};
  const char* values[] = {"10", location.c_str(), "vornal", "UTF8", nullptr};
  m_conn = PQconnectdbParams(keywords, values, 1);
  if (!m_conn) throw std::bad_alloc();
  if (PQstatus(m_conn) != CONNECTION_OK) {
    const std::string message = OneLine(PQerrorMessage(m_conn));
    PQfinish(m_conn);
    throw StoreError(StoreErrorKind::CannotConnect, message);
  }
  PQsetNoticeProcessor(m_conn, IgnoreNotice, nullptr);
  try {
    ExecuteScript("SET DateStyle = ISO, YMD");
    // A lock timeout set for the role, the database or the server is the
    // administrator's choice; ours applies only where none is set.
    ResultPtr shown(PQexec(m_conn, "SELECT current_setting('lock_timeout')"), PQclear);
    if (!shown || PQresultStatus(shown.get()) != PGRES_TUPLES_OK || PQntuples(shown.get()) != 1)
      throw ResultError(shown.get());
    m_givenLockTimeout = PQgetvalue(shown.get(), 0, 0);
    if (m_givenLockTimeout == "0") {
      m_givenLockTimeout.clear();
      ExecuteScript("SET lock_timeout = " + std::to_string(lockTimeoutMs));
    }
  } catch (...) {
    PQfinish(m_conn);
    throw;
  }
}

PostgresEngine::~PostgresEngine() {
  if (m_streaming) m_streaming->Orphan();
  PQfinish(m_conn);
}

std::string PostgresEngine::Description() const {
  const std::string host = PQhost(m_conn) ? PQhost(m_conn) : "";
  const std::string port = PQport(m_conn) ? PQport(m_conn) : "";
  const std::string user = PQuser(m_conn) ? PQuser(m_conn) : "";
  const std::string db = PQdb(m_conn) ? PQdb(m_conn) : "";
  if (!host.empty() && host[0] == '/')
    return "postgresql://" + user + "@/" + db + "?host=" + host +
           (port.empty() || port == "5432" ? "" : "&port=" + port);
  return "postgresql://" + user + "@" + host + (port.empty() ? "" : ":" + port) + "/" + db;
}

PostgresEngine::ResultPtr PostgresEngine::NextResult() {
  return ResultPtr(PQgetResult(m_conn), PQclear);
}

void PostgresEngine::ThrowConnectionError(const std::string& what) const {
  const std::string message = OneLine(PQerrorMessage(m_conn));
  throw StoreError(StoreErrorKind::CannotConnect, message.empty() ? what : message);
}

StoreError PostgresEngine::ResultError(const PGresult* result) const {
  if (!result) return StoreError(StoreErrorKind::CannotConnect, OneLine(PQerrorMessage(m_conn)));
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  const std::string message = OneLine(primary ? primary : PQresultErrorMessage(result));
  // A connection that is gone is one failure, whatever the statement it
  // ended (libpq's own errors carry no SQLSTATE).
  const std::string code = state ? state : "";
  const StoreErrorKind kind =
      PQstatus(m_conn) == CONNECTION_BAD ? StoreErrorKind::CannotConnect : KindOf(code);
  if (state && std::strcmp(state, "42501") == 0) {
    const char* user = PQuser(m_conn);
    return StoreError(kind,
                      "the role '" + std::string(user ? user : "") +
                          "' lacks a right this needs (the server says: " + message +
                          "); the owner of the tables grants rights with 'vornal-cli "
                          "grants'",
                      code);
  }
  return StoreError(kind, message.empty() ? "server error" : message, code);
}

void PostgresEngine::Idle() {
  if (m_streaming) m_streaming->Materialise();
  if (m_queued == 0) return;
  if (!PQpipelineSync(m_conn)) ThrowConnectionError("cannot send statements");
  FinishPipeline(nullptr, nullptr);
}

void PostgresEngine::FinishPipeline(std::deque<ResultPtr>* last, int* changes) {
  std::optional<StoreError> error;
  const int statements = m_queued + (last ? 1 : 0);
  m_queued = 0;
  for (int i = 0; i < statements; ++i) {
    const bool mine = last && i == statements - 1;
    // Each statement's results end with no result.
    while (ResultPtr result = NextResult()) {
      switch (PQresultStatus(result.get())) {
        case PGRES_TUPLES_OK:
        case PGRES_SINGLE_TUPLE:
        case PGRES_COMMAND_OK:
          if (mine) {
            *changes = std::atoi(PQcmdTuples(result.get()));
            last->push_back(std::move(result));
          }
          break;
        case PGRES_PIPELINE_ABORTED:
          break;
        default:
          if (!error) error = ResultError(result.get());
      }
    }
  }
  // Then the sync point.
  for (int tries = 0; tries < 3; ++tries) {
    ResultPtr result = NextResult();
    if (result && PQresultStatus(result.get()) == PGRES_PIPELINE_SYNC) break;
    if (PQstatus(m_conn) == CONNECTION_BAD) ThrowConnectionError("connection lost");
  }
  if (!PQexitPipelineMode(m_conn)) ThrowConnectionError("cannot leave pipeline mode");
  if (error) throw *error;
}

std::unique_ptr<EngineStatement> PostgresEngine::Prepare(std::string_view sql) {
  Idle();
  std::string text = NumberedParameters(sql);
  bool returnsId = false;
  std::string idTable;
  const InsertShape insert = ReadInsert(sql);
  const std::string& id = insert.table.empty() ? insert.table : IdentityColumn(insert.table);
  if (!id.empty() &&
      std::find(insert.columns.begin(), insert.columns.end(), id) == insert.columns.end()) {
    if (insert.valuesEnd != std::string_view::npos && m_inTransaction) {
      // Inside a transaction (the intake's) the ID becomes the last
      // parameter, given when the statement runs; outside, one INSERT
      // returns it, which costs no more.
      std::string withId(sql);
      withId.insert(insert.valuesEnd, ", ?");
      withId.insert(insert.columnsEnd, ", " + QuotedName(id));
      text = NumberedParameters(withId);
      idTable = insert.table;
    } else {
      text += " RETURNING " + QuotedName(id);
      returnsId = true;
    }
  }
  const std::string name = "v" + std::to_string(++m_statements);
  ResultPtr prepared(PQprepare(m_conn, name.c_str(), text.c_str(), 0, nullptr), PQclear);
  if (!prepared || PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
    throw ResultError(prepared.get());
  ResultPtr description(PQdescribePrepared(m_conn, name.c_str()), PQclear);
  if (!description || PQresultStatus(description.get()) != PGRES_COMMAND_OK)
    throw ResultError(description.get());
  return std::make_unique<PostgresStatement>(*this, name, PQnparams(description.get()),
                                             description.get(), returnsId, idTable);
}

void PostgresEngine::ExecuteScript(const std::string& sql) {
  Idle();
  ResultPtr result(PQexec(m_conn, sql.c_str()), PQclear);
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
    throw ResultError(result.get());
}

void PostgresEngine::Begin(bool write) {
  ExecuteScript(write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY");
  m_inTransaction = true;
  m_ids.clear();
}

void PostgresEngine::Commit() {
  Idle();
  m_inTransaction = false;
  m_ids.clear();
  ResultPtr result(PQexec(m_conn, "COMMIT"), PQclear);
  if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK) throw ResultError(result.get());
  // The server ends a transaction that failed with a rollback, even when
  // asked to commit.
  if (std::strcmp(PQcmdStatus(result.get()), "COMMIT") != 0)
    throw StoreError(StoreErrorKind::Other, "the transaction failed and was rolled back");
}

void PostgresEngine::Rollback() {
  try {
    Idle();
  } catch (const StoreError&) {
    // The statement that failed is what is being rolled back.
  }
  m_inTransaction = false;
  m_ids.clear();
  ExecuteScript("ROLLBACK");
}

void PostgresEngine::Lock(DatabaseLock lock) {
  const char* key = lock == DatabaseLock::Schema ? "1" : lock == DatabaseLock::Intake ? "2" : "3";
  std::string sql = std::string("SELECT pg_advisory_xact_lock(") + kLockClass + ", " + key + ")";
  if (m_givenLockTimeout.empty())
    sql = "SET LOCAL lock_timeout = " + std::to_string(kAdvisoryLockTimeoutMs) + "; " + sql +
          "; SET LOCAL lock_timeout = " + std::to_string(m_lockTimeoutMs);
  // The intake addresses rows by their keys. A young table's statistics
  // (a few pages, analysed early on) would make the plans it keeps for the
  // rest of the connection scan the table, which the intake itself makes
  // large within minutes.
  if (lock == DatabaseLock::Intake) sql += "; SET LOCAL enable_seqscan = off";
  try {
    ExecuteScript(sql);
  } catch (const StoreError& e) {
    if (e.Kind() != StoreErrorKind::Busy) throw;
    throw StoreError(
        StoreErrorKind::Busy,
        "the database is busy: another Vornal run has held it for " +
            (m_givenLockTimeout.empty() ? std::to_string(kAdvisoryLockTimeoutMs / 1000) + " s"
                                        : m_givenLockTimeout));
  }
}

std::vector<std::string> PostgresEngine::Names(const char* sql, std::string_view table,
                                               const std::string& column) {
  Idle();
  const std::string name = LowerName(table);
  const char* values[] = {name.c_str(), column.c_str()};
  ResultPtr result(
      PQexecParams(m_conn, sql, column.empty() ? 1 : 2, nullptr, values, nullptr, nullptr, 0),
      PQclear);
  if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK) throw ResultError(result.get());
  std::vector<std::string> names;
  for (int row = 0; row < PQntuples(result.get()); ++row)
    names.emplace_back(PQgetvalue(result.get(), row, 0));
  return names;
}

bool PostgresEngine::HasTable(std::string_view table) {
  return !Names(
              "SELECT c.relname FROM pg_catalog.pg_class c "
              "WHERE c.oid = to_regclass(quote_ident($1)) AND c.relkind IN ('r', 'p')",
              table)
              .empty();
}

std::vector<std::string> PostgresEngine::Columns(std::string_view table) {
  return Names(
      "SELECT attname FROM pg_catalog.pg_attribute WHERE attrelid = to_regclass(quote_ident($1)) "
      "AND attnum > 0 AND NOT attisdropped ORDER BY attnum",
      table);
}

std::vector<std::string> PostgresEngine::Indexes(std::string_view table) {
  return Names(
      "SELECT c.relname FROM pg_catalog.pg_index i JOIN pg_catalog.pg_class c "
      "ON c.oid = i.indexrelid WHERE i.indrelid = to_regclass(quote_ident($1)) "
      "AND NOT i.indisprimary ORDER BY 1",
      table);
}

std::int64_t PostgresEngine::NextId(const std::string& table) {
  IdBlock& block = m_ids[table];
  if (block.next == block.ids.size()) {
    // Inside a transaction IDs are taken in growing blocks; what is left of
    // one at its end is not used, so the rows of later transactions (the
    // intake's are serialised) still get higher IDs.
    block.size = m_inTransaction ? std::min(block.size * 2, 1024) : 1;
    std::string& sequence = m_sequences[table];
    if (sequence.empty())
      sequence =
          Names("SELECT pg_get_serial_sequence(quote_ident($1), $2)", table, IdentityColumn(table))
              .at(0);
    Idle();
    const std::string size = std::to_string(block.size);
    const char* values[] = {sequence.c_str(), size.c_str()};
    ResultPtr result(PQexecParams(m_conn, "SELECT nextval($1) FROM generate_series(1, $2::int)", 2,
                                  nullptr, values, nullptr, nullptr, 0),
                     PQclear);
    if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK) throw ResultError(result.get());
    block.ids.clear();
    block.next = 0;
    for (int row = 0; row < PQntuples(result.get()); ++row)
      block.ids.push_back(std::atoll(PQgetvalue(result.get(), row, 0)));
    if (block.ids.empty())
      throw StoreError(StoreErrorKind::Other, "no ID from the sequence of " + table);
  }
  return block.ids[block.next++];
}

const std::string& PostgresEngine::IdentityColumn(const std::string& table) {
  if (auto it = m_identity.find(table); it != m_identity.end()) return it->second;
  const std::vector<std::string> names = Names(
      "SELECT attname FROM pg_catalog.pg_attribute WHERE attrelid = "
      "to_regclass(quote_ident($1)) AND attidentity <> '' AND NOT attisdropped",
      table);
  return m_identity[table] = names.empty() ? std::string() : names.front();
}

std::string PostgresEngine::CreateTableSql(const TableSpec& table) const {
  std::string sql = "CREATE TABLE " + QuotedName(LowerName(table.name)) + " (";
  for (const ColumnSpec& column : table.columns)
    sql += (&column == &table.columns.front() ? "" : ", ") + ColumnSql(column);
  return sql + ")";
}

std::string PostgresEngine::AddColumnSql(std::string_view table, const ColumnSpec& column) const {
  return "ALTER TABLE " + QuotedName(LowerName(table)) + " ADD COLUMN " + ColumnSql(column);
}

void PostgresEngine::SyncIdentity(const std::string& table) {
  const std::string name = LowerName(table);
  const std::string& id = IdentityColumn(name);
  if (id.empty()) return;
  ExecuteScript("SELECT setval(pg_get_serial_sequence(" + QuotedText(QuotedName(name)) + ", " +
                QuotedText(id) + "), COALESCE((SELECT max(" + QuotedName(id) + ") FROM " +
                QuotedName(name) + "), 0) + 1, false)");
}

int PostgresEngine::SchemaVersion() {
  if (!HasTable("schema_version")) return 0;
  ResultPtr result(PQexec(m_conn, "SELECT max(version) FROM schema_version"), PQclear);
  if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK) throw ResultError(result.get());
  return PQntuples(result.get()) ? std::atoi(PQgetvalue(result.get(), 0, 0)) : 0;
}

void PostgresEngine::SetSchemaVersion(int version) {
  ExecuteScript(
      "CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL); "
      "DELETE FROM schema_version; INSERT INTO schema_version (version) VALUES (" +
      std::to_string(version) + ")");
}

}  // namespace vornal
