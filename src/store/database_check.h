#pragma once

#include <string>
#include <vector>

#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// One thing a check of the database found.
struct CheckFinding {
  bool problem = true;  // false: worth knowing, nothing wrong
  std::string text;
  std::vector<std::string> examples;  // the first rows concerned
};

// Checks a database, reading only: the engine's check of its storage; then,
// unless `storageOnly`, what an upgrade of its schema would change (notes)
// and the program's own checks on the work rows: rows that end before they
// begin, and rows still going on whose last activity is more than a day
// before `now` (the client sent no stop, or the folder has not been
// collected since), both problems; and logins of work rows that no person
// has (people removed, or logins never entered), a note. Engine errors
// throw StoreError.
std::vector<CheckFinding> CheckDatabase(Database& db, const DateTime& now,
                                        bool storageOnly = false);

}  // namespace vornal
