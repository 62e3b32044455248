#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "intake/folder_sweep.h"
#include "stats/period_listing.h"
#include "stats/period_queries.h"
#include "stats/timesheet.h"
#include "store/store_error.h"

namespace vornal {

// Texts the core used to make for the windows, until the windows write
// their own through tr(): each function formats the core's values exactly
// as the core did. To be replaced and deleted.

// ---- Opening and creating the database ----
// "Couldn't open database--Exception: file is not a database".
std::string OpenFailureText(const StoreError& error);
// "Failed to open database--Memory exception thrown."
std::string OpenOutOfMemoryText();
// "Couldn't create database--Exception: ...", and out of memory.
std::string CreateFailureText(const StoreError& error);
std::string CreateOutOfMemoryText();
// "Couldn't append TableDef--Exception: ...": the tables of a new database
// could not be made.
std::string CreateTablesFailureText(const StoreError& error);

// ---- Process ----
// What a main.buf that is not a regular file is: "a symbolic link", "a
// folder", "a FIFO", "a socket", "a device", "not a regular file".
std::string NotRegularDetail(const FileNote& note);

// ---- Statistics window ----
// The single node of a tree without data.
inline constexpr const char* kTreeEmptyEverybody = "База данных пуста";
inline constexpr const char* kTreeEmptyLogin = "Нет данных";
// Node texts: "2002", "October", "7".
std::string YearNodeText(int year);
std::string MonthNodeText(int month);
std::string DayNodeText(int day);
// "3. Петров Пётр (petrov)".
std::string PersonListText(const PersonEntry& person);
// "HH:MM" of the absolute value, whole days left out; empty text when empty.
std::string FormatClock(const WorkDuration& duration);
// "D дней HH:MM"; empty text when empty.
std::string FormatTotal(const WorkDuration& duration);

// The texts of the statistics grid for one period: the header row, one row
// per listed interval, the two totals rows with their totals in column 4,
// and one more, empty, row. Texts are made when a cell is asked for.
class StatGrid {
 public:
  static constexpr int kColumns = 5;
  using Row = std::array<std::string, kColumns>;

  explicit StatGrid(PeriodListing listing);
  int RowCount() const { return static_cast<int>(m_listing.rows.size()) + 4; }
  std::string Cell(int row, int col) const;
  Row Cells(int row) const;
  const PeriodListing& Listing() const { return m_listing; }

 private:
  PeriodListing m_listing;
};
StatGrid::Row StatGridHeader();
std::string StatGridCell(const ListedRow& row, std::string_view login, int col);
StatGrid::Row TaskTotalRow(const WorkDuration& total);
StatGrid::Row DayTotalRow(const WorkDuration& total);
StatGrid BuildStatGrid(Database& db, const DateTime& start, const DateTime& end,
                       const std::string& login);

// ---- Timesheet window ----
// "8:15"; working and task time, "?" after an unknown sum; empty cells
// without work; the timesheet as CSV with its headings.
std::string FormatHours(std::int64_t seconds);
std::string WorkText(const DayWork& work);
std::string TaskText(const DayWork& work);
std::string WorkCellText(const DayWork& work);
std::string TaskCellText(const DayWork& work);
std::string TimesheetCsv(const Timesheet& sheet);

}  // namespace vornal
