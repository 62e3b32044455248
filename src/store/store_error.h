#pragma once

#include <stdexcept>
#include <string>

namespace vornal {

// What went wrong in the database, as far as a caller or the operator can
// act on it; the same on both engines.
enum class StoreErrorKind {
  NotFound,       // no such database file, table or column
  Busy,           // another program holds the database (or a lock): try again later
  NotPermitted,   // read-only: the file cannot be written, or the role may not
  Full,           // no room left for the database or its journal
  Damaged,        // the file is damaged, or no database at all
  Refused,        // a value the database refuses (a constraint, a type, a size)
  CannotConnect,  // a server that cannot be reached, refuses the login, or went away
  Other,
};

// An error of the database: its kind, the engine's own message and the
// engine's own code for it (SQLite's result code, PostgreSQL's SQLSTATE;
// empty for errors the store finds itself). Memory exhaustion is
// std::bad_alloc instead.
class StoreError : public std::runtime_error {
 public:
  StoreError(StoreErrorKind kind, const std::string& message, std::string engineCode = {})
      : std::runtime_error(message), m_kind(kind), m_engineCode(std::move(engineCode)) {}

  StoreErrorKind Kind() const { return m_kind; }
  const std::string& EngineCode() const { return m_engineCode; }

 private:
  StoreErrorKind m_kind;
  std::string m_engineCode;
};

// The location names another database than the one opened (see
// Engine::CheckLocation).
class DatabaseReplaced : public StoreError {
 public:
  explicit DatabaseReplaced(const std::string& message)
      : StoreError(StoreErrorKind::Other, message) {}
};

}  // namespace vornal
