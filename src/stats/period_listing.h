#pragma once

#include <string>
#include <vector>

#include "stats/work_duration.h"
#include "store/database.h"

namespace vornal {

// The display texts of one listed LOGS row.
struct ListedRow {
  std::string label;  // "Идет рабочий день", "Выполняется 3 задание", "Unknown", ...
  int taskNumber = 0;    // 1, 2, ... for task rows; 0 for the others
  std::string begin;     // "09:05 07 Oct 02", or empty
  std::string end;       // likewise
  std::string duration;  // "HH:MM" of the absolute duration, or empty
  std::string login;     // as stored
};

// The rows of a period and their two totals.
struct PeriodListing {
  std::vector<ListedRow> rows;
  WorkDuration taskTotal;  // shown as " Всего отработано"
  WorkDuration dayTotal;   // shown as " Общее рабочее время"
};

// The rows of the login (everybody, for an empty login) whose BeginTime falls
// on a date from start's date to end's date, both included; the times of day
// of start and end play no part. Rows are in BeginTime order, rows with the
// same BeginTime in the order they were written, so task numbers are stable.
PeriodListing ListPeriod(Database& db, const DateTime& start, const DateTime& end,
                         const std::string& login);

// "%H:%M %d %b %y" with English months; empty text for a missing time.
std::string FormatListTime(const std::optional<DateTime>& time);

}  // namespace vornal
