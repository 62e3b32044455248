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

// An error of the database engine: its numeric code and its description.
// Memory exhaustion is reported as std::bad_alloc instead.
class StoreError : public std::runtime_error {
 public:
  StoreError(int code, const std::string& description)
      : std::runtime_error(description), m_code(code) {}

  int Code() const { return m_code; }
  std::string Description() const { return what(); }

 private:
  int m_code;
};

}  // namespace vornal
