#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "stats/work_duration.h"
#include "store/database.h"

namespace vornal {

// What a LOGS row is, read from its Event with trailing blanks removed and
// compared exactly.
enum class RowLabel : std::uint8_t { DayGoing, DayDone, TaskGoing, TaskDone, Unknown };
RowLabel LabelOf(std::string_view event);
inline bool IsDayLabel(RowLabel label) {
  return label == RowLabel::DayGoing || label == RowLabel::DayDone;
}
inline bool IsTaskLabel(RowLabel label) {
  return label == RowLabel::TaskGoing || label == RowLabel::TaskDone;
}

// One listed LOGS row, kept compact (a year of everybody is a million rows):
// times as numbers, the login as an index.
struct ListedRow {
  static constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();

  std::int64_t begin = kNoTime;  // DateTime::ToSeconds(), or kNoTime when empty
  std::int64_t end = kNoTime;
  std::int64_t id = 0;          // the row's ID, for corrections
  std::uint32_t login = 0;      // index into the listing's logins
  std::int32_t taskNumber = 0;  // 1, 2, ... for task rows; 0 for the others
  RowLabel label = RowLabel::Unknown;

  // end - begin; empty when either time is missing.
  WorkDuration Duration() const;
};

// Reads the rows of the login (everybody, for an empty login) whose
// BeginTime falls on a date from start's date to end's date, both included,
// one at a time; the times of day of start and end play no part. Rows come
// in BeginTime order, rows with the same BeginTime in the order they were
// written, so task numbers are stable. The totals are running sums.
class PeriodReader {
 public:
  PeriodReader(Database& db, const DateTime& start, const DateTime& end, const std::string& login);

  // Moves to the next row; false after the last.
  bool Next();
  const ListedRow& Row() const { return m_row; }
  // The current row's login as stored; Row().login is its index in Logins().
  const std::string& Login() const { return m_logins[m_row.login]; }
  const std::vector<std::string>& Logins() const { return m_logins; }
  std::vector<std::string> TakeLogins() { return std::move(m_logins); }

  // The task rows' time, and the working-day rows' time, so far.
  const WorkDuration& TaskTotal() const { return m_taskTotal; }
  const WorkDuration& DayTotal() const { return m_dayTotal; }

 private:
  Statement m_statement;
  ListedRow m_row;
  int m_taskNumber = 1;
  WorkDuration m_taskTotal;
  WorkDuration m_dayTotal;
  std::vector<std::string> m_logins;
  std::unordered_map<std::string, std::uint32_t> m_loginIndex;
};

// The rows of a period and their two totals, read whole.
struct PeriodListing {
  std::vector<ListedRow> rows;
  std::vector<std::string> logins;
  WorkDuration taskTotal;  // the task rows' time
  WorkDuration dayTotal;   // the working-day rows' time

  const std::string& Login(const ListedRow& row) const { return logins[row.login]; }
};

// The number of rows a PeriodReader reads, counted on the index alone.
std::int64_t CountPeriodRows(Database& db, const DateTime& start, const DateTime& end,
                             const std::string& login);

// Every row of a PeriodReader.
PeriodListing ListPeriod(Database& db, const DateTime& start, const DateTime& end,
                         const std::string& login);

}  // namespace vornal
