#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "store/database.h"
#include "text/login_key.h"

namespace vornal::test {

// "YYYY-MM-DD HH:MM:SS" as a DateTime; a typo fails the test that made it.
inline DateTime At(const char* iso) {
  const auto time = DateTime::FromIso(iso);
  if (!time) throw std::invalid_argument(std::string("no date and time: ") + iso);
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
