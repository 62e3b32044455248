#pragma once

#include <optional>
#include <string>

#include "store/database.h"
#include "text/login_key.h"

namespace vornal::test {

// "YYYY-MM-DD HH:MM:SS" as a DateTime; aborts the test run on a typo.
inline DateTime At(const char* iso) {
  const auto time = DateTime::FromIso(iso);
  if (!time) std::abort();
  return *time;
}

// Writes a LOGS row the way the event intake does; a null time is empty.
inline void AddLog(Database& db, const std::string& login, const std::string& event,
                   const char* begin, const char* end) {
  const auto bind = [](const char* iso) {
    return iso ? std::optional<DateTime>(At(iso)) : std::nullopt;
  };
  db.Execute("INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
             login, LoginKey(login), event, bind(begin), bind(end));
}

}  // namespace vornal::test
