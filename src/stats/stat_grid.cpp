#include "stats/stat_grid.h"

namespace vornal {
namespace {

std::string Blank(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  out += ' ';
  out += text;
  return out;
}

}  // namespace

StatGrid::Row StatGridHeader() {
  return {"Событие ", "Начало", "Конец", "Всего", "Login"};
}

std::string StatGridCell(const ListedRow& row, std::string_view login, int col) {
  switch (col) {
    case 0:
      return row.LabelText();
    case 1:
      return Blank(row.BeginText());
    case 2:
      return Blank(row.EndText());
    case 3:
      return Blank(row.Duration().FormatClock());
    case 4:
      return Blank(login);
    default:
      return {};
  }
}

StatGrid::Row TaskTotalRow(const WorkDuration& total) {
  return {" Всего отработано", "", "", "", total.FormatTotal()};
}

StatGrid::Row DayTotalRow(const WorkDuration& total) {
  return {" Общее рабочее время", "", "", "", total.FormatTotal()};
}

StatGrid::StatGrid(PeriodListing listing) : m_listing(std::move(listing)) {}

std::string StatGrid::Cell(int row, int col) const {
  if (col < 0 || col >= kColumns || row < 0) return {};
  const int listed = static_cast<int>(m_listing.rows.size());
  if (row == 0) return StatGridHeader()[static_cast<std::size_t>(col)];
  if (row <= listed) {
    const ListedRow& listedRow = m_listing.rows[static_cast<std::size_t>(row - 1)];
    return StatGridCell(listedRow, m_listing.Login(listedRow), col);
  }
  if (row == listed + 1) return TaskTotalRow(m_listing.taskTotal)[static_cast<std::size_t>(col)];
  if (row == listed + 2) return DayTotalRow(m_listing.dayTotal)[static_cast<std::size_t>(col)];
  return {};
}

StatGrid::Row StatGrid::Cells(int row) const {
  Row cells;
  for (int col = 0; col < kColumns; ++col) cells[static_cast<std::size_t>(col)] = Cell(row, col);
  return cells;
}

StatGrid BuildStatGrid(Database& db, const DateTime& start, const DateTime& end,
                       const std::string& login) {
  return StatGrid(ListPeriod(db, start, end, login));
}

}  // namespace vornal
