#pragma once

#include <array>
#include <string>
#include <string_view>

#include "stats/period_listing.h"

namespace vornal {

// The texts of the statistics grid for one period: the header row, one row
// per listed interval, the two totals rows with their totals in column 4,
// and one more, empty, row. The grid selects row 1. Texts are made when a
// cell is asked for, so a grid of a million rows keeps only compact rows.
class StatGrid {
 public:
  static constexpr int kColumns = 5;
  using Row = std::array<std::string, kColumns>;

  explicit StatGrid(PeriodListing listing);

  // The grid's row count, the empty last row included. An empty listing (a
  // period in which rows only end) still has the header and both totals
  // rows, at zero.
  int RowCount() const { return static_cast<int>(m_listing.rows.size()) + 4; }
  // The text of a cell; empty outside the grid.
  std::string Cell(int row, int col) const;
  Row Cells(int row) const;
  const PeriodListing& Listing() const { return m_listing; }

 private:
  PeriodListing m_listing;
};

// The rows of the grid one by one, for those who write them as they are read.
StatGrid::Row StatGridHeader();
std::string StatGridCell(const ListedRow& row, std::string_view login, int col);
StatGrid::Row TaskTotalRow(const WorkDuration& total);
StatGrid::Row DayTotalRow(const WorkDuration& total);

// ListPeriod, then its grid.
StatGrid BuildStatGrid(Database& db, const DateTime& start, const DateTime& end,
                       const std::string& login);

}  // namespace vornal
