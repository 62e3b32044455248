#pragma once

#include <string>

#include "store/database.h"

namespace vornal {

// The office's settings kept as SETTING rows (the working folders are in
// store/folder_slots.h).

// The office's title, printed at the head of timesheets and signing sheets;
// kept as the SETTING row "Office". Empty when none is stored.
std::string LoadOfficeTitle(Database& db);
// Stores the title (trailing blanks removed; an empty title removes the row).
// A title longer than the column's 255 characters is refused by the engine.
void SaveOfficeTitle(Database& db, const std::string& title);

// The quiet period, in seconds, after which a claimed buffer file that has
// not changed is taken as final where leases cannot tell: the SETTING row
// "QuietPeriod", or 600.
inline constexpr int kDefaultQuietPeriod = 600;
int QuietPeriodSetting(Database& db);
void SaveQuietPeriodSetting(Database& db, int seconds);

}  // namespace vornal
