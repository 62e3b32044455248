#pragma once

#include <stdexcept>
#include <string>

namespace vornal {

// Engine error codes that keep their meaning whatever engine is underneath.
inline constexpr int kErrFileNotFound = 3024;
inline constexpr int kErrItemNotFound = 3265;
inline constexpr int kErrDatabaseExists = 3204;
inline constexpr int kErrNoFields = 3264;
inline constexpr int kErrNotOpen = 3420;
// Codes of the conditions a window explains to the operator. The SQLite engine
// passes its result codes on as they are; another engine maps its errors onto
// these.
inline constexpr int kErrPermission = 3;    // access to the file denied
inline constexpr int kErrBusy = 5;          // another program holds the database
inline constexpr int kErrLocked = 6;        // a table is held by this connection
inline constexpr int kErrReadOnly = 8;      // the file cannot be written
inline constexpr int kErrDamaged = 11;      // the file's contents are damaged
inline constexpr int kErrDiskFull = 13;     // no room left for the file or its journal
inline constexpr int kErrNotDatabase = 26;  // the file is no database
inline constexpr int kErrConnectionLost =
    10;  // a server's connection is gone (as SQLite's I/O error)

// What went wrong, as far as the operator can act on it.
enum class StoreFailure { Busy, ReadOnly, DiskFull, Damaged, Other };
StoreFailure ClassifyStoreError(int code);

// An error of the database engine: its numeric code and its description.
// Memory exhaustion is reported as std::bad_alloc instead.
class StoreError : public std::runtime_error {
 public:
  StoreError(int code, const std::string& description)
      : std::runtime_error(description), m_code(code) {}

  int Code() const { return m_code; }
  std::string Description() const { return what(); }
  StoreFailure Failure() const { return ClassifyStoreError(m_code); }

 private:
  int m_code;
};

// The location names another database than the one opened (see
// Engine::CheckLocation).
class DatabaseReplaced : public StoreError {
 public:
  using StoreError::StoreError;
};

inline StoreFailure ClassifyStoreError(int code) {
  switch (code) {
    case kErrBusy:
    case kErrLocked:
      return StoreFailure::Busy;
    case kErrPermission:
    case kErrReadOnly:
      return StoreFailure::ReadOnly;
    case kErrDiskFull:
      return StoreFailure::DiskFull;
    case kErrDamaged:
    case kErrNotDatabase:
      return StoreFailure::Damaged;
    default:
      return StoreFailure::Other;
  }
}

}  // namespace vornal
