#include "stats/stat_grid.h"

namespace vornal {
namespace {

std::string Blank(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 1);
  out += ' ';
  out += text;
  return out;
}

}  // namespace

StatGrid MakeStatGrid(PeriodListing listing) {
  StatGrid grid;
  grid.rows.reserve(listing.rows.size() + 3);
  grid.rows.push_back({"Событие ", "Начало", "Конец", "Всего", "Login"});
  for (ListedRow& row : listing.rows)
    grid.rows.push_back({std::move(row.label), Blank(row.begin), Blank(row.end),
                         Blank(row.duration), Blank(row.login)});
  grid.taskTotal = listing.taskTotal.FormatTotal();
  grid.dayTotal = listing.dayTotal.FormatTotal();
  grid.rows.push_back({" Всего отработано", "", "", "", grid.taskTotal});
  grid.rows.push_back({" Общее рабочее время", "", "", "", grid.dayTotal});
  return grid;
}

StatGrid BuildStatGrid(Database& db, const DateTime& start, const DateTime& end,
                       const std::string& login) {
  return MakeStatGrid(ListPeriod(db, start, end, login));
}

}  // namespace vornal
