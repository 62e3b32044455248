#pragma once

#include <cstdint>
#include <memory>

#include "store/database.h"

namespace vornal {

// Tells a window that another desk has changed the database, so that what
// it shows can be read again. On a file: SQLite's data_version of the
// window's own connection, which moves with every commit of another
// connection. On a server: a connection of the watch's own that listens on
// the channel NotifyChange sends on.
class ChangeWatch {
 public:
  // Watches the database `db` is open on; `db` must outlive the watch.
  explicit ChangeWatch(Database& db);
  ~ChangeWatch();
  ChangeWatch(const ChangeWatch&) = delete;
  ChangeWatch& operator=(const ChangeWatch&) = delete;

  // True when another connection has changed the database since the last
  // call (or since the watch began). Never waits. On a server, false while
  // the watch's own connection cannot be made or is lost: the window then
  // shows what it read until its own connection fails and is made anew.
  bool Changed();

 private:
  struct Listener;
  Database& m_db;
  std::int64_t m_version = 0;
  std::unique_ptr<Listener> m_listener;
};

// A number that moves whenever the database may have changed, as this
// connection sees it: on a file, SQLite's data_version (another
// connection's commit); on a server, the next transaction ID the server will
// hand out, which every writing transaction moves and reads leave alone.
// One cheap statement; for caches of what was read.
std::int64_t ChangeMark(Database& db);

// Tells the watches on a server that something changed, once the
// transaction in progress commits (at once outside one). A file's watches
// need no telling.
void NotifyChange(Database& db);

}  // namespace vornal
