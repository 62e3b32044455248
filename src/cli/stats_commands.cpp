// vornal-cli people, tree and stats: the statistics window's data as text.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "stats/period_queries.h"
#include "stats/period_tree.h"
#include "stats/stat_grid.h"

namespace vornal::cli {
namespace {

constexpr const char* kPeopleUsage =
    "Usage: vornal-cli [--db PATH] people\n"
    "\n"
    "Lists the people in ID order, one a line, as the statistics window\n"
    "lists them: \"3. Петров Пётр (petrov)\".\n";

constexpr const char* kTreeUsage =
    "Usage: vornal-cli [--db PATH] tree [--login LOGIN]\n"
    "\n"
    "Prints the years (from 1981 to the current year), months and days in which\n"
    "an interval of LOGIN, or of anybody without --login, begins or ends: one\n"
    "node a line, months indented by two blanks and days by four. With nothing\n"
    "logged it prints \"База данных пуста\" (everybody) or \"Нет данных\" (a login).\n";

constexpr const char* kStatsUsage =
    "Usage: vornal-cli [--db PATH] stats [--login LOGIN] --year Y [--month M [--day D]]\n"
    "                                    [--csv [--bom]]\n"
    "\n"
    "Prints the statistics grid of a year, a month or a day: a header, one row per\n"
    "interval that begins in the period (of LOGIN, or of anybody without --login),\n"
    "then the task total (\" Всего отработано\") and the working-day total\n"
    "(\" Общее рабочее время\").\n"
    "\n"
    "  --csv   RFC 4180 CSV in UTF-8, one grid row a line, the cells exactly\n"
    "  --bom   with --csv, begin with a UTF-8 byte-order mark (for Excel)\n";

// A usage error: said on stderr, exit code 2.
int UsageError(const char* command, const std::string& message) {
  std::fprintf(stderr, "vornal-cli %s: %s\nTry 'vornal-cli %s --help'.\n", command, message.c_str(),
               command);
  return kExitUsage;
}

bool IsHelp(const Args& args) {
  for (const std::string& arg : args)
    if (arg == "--help" || arg == "-h") return true;
  return false;
}

// Takes "--name VALUE" or "--name=VALUE" at args[i]; true when it matched.
// A missing value leaves `missing` set.
bool TakeValue(const Args& args, std::size_t& i, std::string_view name, std::string& value,
               bool& missing) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) {
      missing = true;
      return true;
    }
    value = args[++i];
    return true;
  }
  if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
      arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  return false;
}

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* last = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

// Display width in characters: every UTF-8 lead byte counts one.
std::size_t Width(const std::string& text) {
  std::size_t width = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
  return width;
}

std::string CsvField(const std::string& text) {
  // Fields with blanks at either end are quoted too, so that no reader trims
  // the leading blank of a cell.
  const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

void PrintCsv(const StatGrid& grid, bool bom) {
  std::string out = bom ? "\xEF\xBB\xBF" : "";
  for (const StatGrid::Row& row : grid.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) out += ',';
      out += CsvField(row[c]);
    }
    out += "\r\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintTable(const StatGrid& grid) {
  std::array<std::size_t, StatGrid::kColumns> widths{};
  for (const StatGrid::Row& row : grid.rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));
  std::string out;
  const auto appendRow = [&](const StatGrid::Row& row) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) line += '|';
      line += row[c];
      if (c + 1 < row.size()) line.append(widths[c] - Width(row[c]), ' ');
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
  std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int PeopleCommand(const std::string& dbPath, const Args& args) {
  if (IsHelp(args)) {
    std::fputs(kPeopleUsage, stdout);
    return kExitOk;
  }
  if (!args.empty()) return UsageError("people", "unexpected argument '" + args[0] + "'");
  const DatabasePtr db = OpenOrCreate(dbPath);
  for (const PersonEntry& person : ListPeople(*db))
    std::printf("%s\n", PersonListText(person).c_str());
  return kExitOk;
}

int TreeCommand(const std::string& dbPath, const Args& args) {
  if (IsHelp(args)) {
    std::fputs(kTreeUsage, stdout);
    return kExitOk;
  }
  std::string login;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (TakeValue(args, i, "--login", login, missing)) {
      if (missing) return UsageError("tree", "--login needs a value");
      continue;
    }
    return UsageError("tree", "unexpected argument '" + args[i] + "'");
  }
  const DatabasePtr db = OpenOrCreate(dbPath);
  const PeriodTree tree = BuildPeriodTree(*db, login);
  if (tree.IsEmpty()) {
    std::printf("%s\n", login.empty() ? kTreeEmptyEverybody : kTreeEmptyLogin);
    return kExitOk;
  }
  std::string out;
  for (const PeriodTree::Year& year : tree.years) {
    out += YearNodeText(year.year) + '\n';
    for (const PeriodTree::Month& month : year.months) {
      out += "  " + MonthNodeText(month.month) + '\n';
      for (const int day : month.days) out += "    " + DayNodeText(day) + '\n';
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kExitOk;
}

int StatsCommand(const std::string& dbPath, const Args& args) {
  if (IsHelp(args)) {
    std::fputs(kStatsUsage, stdout);
    return kExitOk;
  }
  std::string login, yearText, monthText, dayText;
  bool csv = false, bom = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (TakeValue(args, i, "--login", login, missing) ||
        TakeValue(args, i, "--year", yearText, missing) ||
        TakeValue(args, i, "--month", monthText, missing) ||
        TakeValue(args, i, "--day", dayText, missing)) {
      if (missing) return UsageError("stats", args[i] + " needs a value");
    } else if (args[i] == "--csv") {
      csv = true;
    } else if (args[i] == "--bom") {
      bom = true;
    } else {
      return UsageError("stats", "unexpected argument '" + args[i] + "'");
    }
  }
  if (yearText.empty()) return UsageError("stats", "--year is required");
  if (!dayText.empty() && monthText.empty()) return UsageError("stats", "--day needs --month");
  if (bom && !csv) return UsageError("stats", "--bom goes with --csv");
  const auto year = ParseNumber(yearText);
  const auto month = monthText.empty() ? std::optional<int>(0) : ParseNumber(monthText);
  const auto day = dayText.empty() ? std::optional<int>(0) : ParseNumber(dayText);
  if (!year || !month || !day) return UsageError("stats", "year, month and day are numbers");
  const std::optional<Period> period =
      *month == 0 && !monthText.empty() ? std::nullopt : NodePeriod(*year, *month, *day);
  if (!period || (*day == 0 && !dayText.empty()))
    return UsageError("stats", "there is no such date: " + yearText +
                                   (monthText.empty() ? "" : "-" + monthText) +
                                   (dayText.empty() ? "" : "-" + dayText));

  const DatabasePtr db = OpenOrCreate(dbPath);
  const StatGrid grid = BuildStatGrid(*db, period->start, period->end, login);
  if (csv)
    PrintCsv(grid, bom);
  else
    PrintTable(grid);
  return kExitOk;
}

}  // namespace vornal::cli
