#pragma once

#include <string>

#include "store/database.h"

namespace vornal {

// The office's title, printed at the head of timesheets and signing sheets;
// kept as the SETTING row "Office". Empty when none is stored.
std::string LoadOfficeTitle(Database& db);
// Stores the title (trailing blanks removed; an empty title removes the row).
// A title longer than the column's 255 characters is refused by the engine.
void SaveOfficeTitle(Database& db, const std::string& title);

}  // namespace vornal
