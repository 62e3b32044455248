#pragma once

#include <string>

#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// True for the six event names the state machine acts on (exact case).
bool IsWorkEvent(const std::string& event);

// Applies one event of a login to the LOGS rows of its family (working day
// or task): closes stale unfinished rows, cuts intervals at midnight,
// inserts and updates rows. Other event names change nothing. Engine errors
// throw StoreError; run it inside a transaction to keep an event whole.
void ApplyEvent(Database& db, const DateTime& time, const std::string& login,
                const std::string& event);

// True when LOGS holds a row of the login in the given state.
bool LogRowExists(Database& db, const std::string& event, const std::string& login);

}  // namespace vornal
