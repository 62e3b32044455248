#include "store/change_watch.h"

#include <libpq-fe.h>

#include <new>

namespace vornal {
namespace {

constexpr const char* kChannel = "vornal_changes";

std::int64_t DataVersion(Database& db) {
  return db.QueryInt("PRAGMA data_version").value_or(0);
}

}  // namespace

struct ChangeWatch::Listener {
  explicit Listener(const std::string& location) {
    const char* keywords[] = {"connect_timeout", "dbname", "fallback_application_name", nullptr};
    const char* values[] = {"10", location.c_str(), "vornal", nullptr};
    conn = PQconnectdbParams(keywords, values, 1);
    if (!conn) throw std::bad_alloc();
    if (PQstatus(conn) != CONNECTION_OK) return;
    PGresult* result = PQexec(conn, (std::string("LISTEN ") + kChannel).c_str());
    listening = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
  }
  ~Listener() { PQfinish(conn); }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Reads what the server has sent without waiting for more.
  bool TakeNotifications() {
    if (!listening || PQconsumeInput(conn) != 1) return false;
    bool any = false;
    while (PGnotify* notify = PQnotifies(conn)) {
      any = true;
      PQfreemem(notify);
    }
    return any;
  }

  PGconn* conn = nullptr;
  bool listening = false;
};

ChangeWatch::ChangeWatch(Database& db) : m_db(db) {
  if (db.IsServer())
    m_listener = std::make_unique<Listener>(db.Path());
  else
    m_version = DataVersion(db);
}

ChangeWatch::~ChangeWatch() = default;

bool ChangeWatch::Changed() {
  if (m_listener) return m_listener->TakeNotifications();
  const std::int64_t version = DataVersion(m_db);
  if (version == m_version) return false;
  m_version = version;
  return true;
}

std::int64_t ChangeMark(Database& db) {
  if (!db.IsServer()) return DataVersion(db);
  return db.QueryInt("SELECT CAST(CAST(pg_snapshot_xmax(pg_current_snapshot()) AS text) AS bigint)")
      .value_or(0);
}

void NotifyChange(Database& db) {
  if (db.IsServer()) db.ExecuteScript(std::string("NOTIFY ") + kChannel);
}

}  // namespace vornal
