// vornal-cli stats: the statistics grid of a year, month or day as text.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "stats/period_tree.h"
#include "stats/stat_grid.h"

namespace vornal::cli {

extern const Command kStatsCommand;

namespace {

void PrintCsv(const StatGrid& grid, bool bom) {
  std::string out = bom ? "\xEF\xBB\xBF" : "";
  for (const StatGrid::Row& row : grid.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) out += ',';
      out += CsvField(row[c]);
    }
    out += "\r\n";
  }
  WriteOut(out);
}

void PrintTable(const StatGrid& grid) {
  std::array<std::size_t, StatGrid::kColumns> widths{};
  for (const StatGrid::Row& row : grid.rows)
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  std::string out;
  const auto appendRow = [&](const StatGrid::Row& row) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) line += '|';
      line += row[c];
      if (c + 1 < row.size()) line.append(widths[c] - DisplayWidth(row[c]), ' ');
    }
    line.resize(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
  };
  appendRow(grid.rows.front());
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (c) out += '+';
    out.append(widths[c], '-');
  }
  out += '\n';
  for (std::size_t r = 1; r < grid.rows.size(); ++r) appendRow(grid.rows[r]);
  WriteOut(out);
}

int Run(const Context& context, const Args& args) {
  std::string login, yearText, monthText, dayText;
  bool csv = false, bom = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (TakeValue(args, i, "--login", login, missing) ||
        TakeValue(args, i, "--year", yearText, missing) ||
        TakeValue(args, i, "--month", monthText, missing) ||
        TakeValue(args, i, "--day", dayText, missing)) {
      if (missing) return UsageError(kStatsCommand, args[i] + " needs a value");
    } else if (args[i] == "--csv") {
      csv = true;
    } else if (args[i] == "--bom") {
      bom = true;
    } else {
      return UsageError(kStatsCommand, "unexpected argument '" + args[i] + "'");
    }
  }
  if (yearText.empty()) return UsageError(kStatsCommand, "--year is required");
  if (!dayText.empty() && monthText.empty())
    return UsageError(kStatsCommand, "--day needs --month");
  if (bom && !csv) return UsageError(kStatsCommand, "--bom goes with --csv");
  const auto year = ParseNumber(yearText);
  const auto month = monthText.empty() ? std::optional<int>(0) : ParseNumber(monthText);
  const auto day = dayText.empty() ? std::optional<int>(0) : ParseNumber(dayText);
  if (!year || !month || !day) return UsageError(kStatsCommand, "year, month and day are numbers");
  const std::optional<Period> period =
      *month == 0 && !monthText.empty() ? std::nullopt : NodePeriod(*year, *month, *day);
  if (!period || (*day == 0 && !dayText.empty()))
    return UsageError(kStatsCommand, "there is no such date: " + yearText +
                                         (monthText.empty() ? "" : "-" + monthText) +
                                         (dayText.empty() ? "" : "-" + dayText));

  const DatabasePtr db = OpenOrCreate(context.dbPath);
  StatGrid grid = BuildStatGrid(*db, period->start, period->end, login);
  for (StatGrid::Row& row : grid.rows)
    for (std::string& cell : row) cell = Escaped(cell);
  if (csv)
    PrintCsv(grid, bom);
  else
    PrintTable(grid);
  return kExitOk;
}

}  // namespace

const Command kStatsCommand{
    "stats", "the listing and totals of a year, month or day",
    "Usage: vornal-cli [--db PATH] stats [--login LOGIN] --year Y [--month M [--day D]]\n"
    "                                    [--csv [--bom]]\n"
    "\n"
    "Prints the statistics grid of a year, a month or a day: a header, one row per\n"
    "interval that begins in the period (of LOGIN, or of anybody without --login),\n"
    "then the task total (\" Всего отработано\") and the working-day total\n"
    "(\" Общее рабочее время\").\n"
    "\n"
    "  --csv   RFC 4180 CSV in UTF-8, one grid row a line, the cells exactly\n"
    "  --bom   with --csv, begin with a UTF-8 byte-order mark (for Excel)\n",
    Run};

}  // namespace vornal::cli
