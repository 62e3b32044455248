#pragma once

#include <array>
#include <string>
#include <vector>

#include "stats/period_listing.h"

namespace vornal {

// The texts of the statistics grid for one period: the header row, one row
// per listed interval, and the two totals rows with their totals in column 4.
// The grid itself has one more, empty, row below them, and selects row 1.
struct StatGrid {
  static constexpr int kColumns = 5;
  using Row = std::array<std::string, kColumns>;

  std::vector<Row> rows;
  // The texts of the two totals, as their rows show them.
  std::string taskTotal;
  std::string dayTotal;

  // The grid's row count, the empty last row included.
  int RowCount() const { return static_cast<int>(rows.size()) + 1; }
};

// The grid for a listing. An empty listing (a period in which rows only end)
// still gets the header and both totals rows, at zero.
StatGrid MakeStatGrid(PeriodListing listing);
// ListPeriod, then MakeStatGrid.
StatGrid BuildStatGrid(Database& db, const DateTime& start, const DateTime& end,
                       const std::string& login);

}  // namespace vornal
