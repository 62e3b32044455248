// vornal-cli stats: the statistics grid of a year, month or day as text,
// written as the rows are read, so memory does not grow with the listing.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "stats/period_tree.h"
#include "text/csv.h"

namespace vornal::cli {

extern const Command kStatsCommand;

namespace {

using Widths = std::array<std::size_t, std::tuple_size_v<ListingLine>>;

// Column widths from the texts' known sizes, as the rows are not read yet:
// times are "09:05 07 Oct 02", durations "00:05", task numbers at most the
// number of rows. The last column is not padded; its rule is as wide as a
// total under ten days.
Widths TableWidths(std::int64_t rows) {
  Widths widths{};
  const ListingLine header = ListingHeader();
  for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = DisplayWidth(header[c]);
  for (const ListingLine& totals : {TaskTotalCells({}), DayTotalCells({})})
    for (std::size_t c = 0; c < widths.size(); ++c)
      widths[c] = std::max(widths[c], DisplayWidth(totals[c]));
  if (rows > 0) {
    ListedRow widest;
    widest.begin = widest.end = 0;
    widest.label = RowLabel::DayDone;
    for (std::size_t c = 0; c < widths.size(); ++c)
      widths[c] = std::max(widths[c], DisplayWidth(ListingCells(widest, "")[c]));
    widest.label = RowLabel::TaskGoing;
    widest.taskNumber = static_cast<std::int32_t>(std::min<std::int64_t>(rows, INT32_MAX));
    widths[0] = std::max(widths[0], DisplayWidth(LabelText(widest)));
  }
  widths[4] = std::max(widths[4], DisplayWidth(TotalText(WorkDuration())));
  return widths;
}

class TableWriter {
 public:
  explicit TableWriter(const Widths& widths) : m_widths(widths) {}
  void Row(const ListingLine& row) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) line += '|';
      line += row[c];
      const std::size_t width = DisplayWidth(row[c]);
      if (c + 1 < row.size() && width < m_widths[c]) line.append(m_widths[c] - width, ' ');
    }
    line.resize(line.find_last_not_of(' ') + 1);
    m_out += line;
    m_out += '\n';
    Flush(false);
  }
  void Rule() {
    for (std::size_t c = 0; c < m_widths.size(); ++c) {
      if (c) m_out += '+';
      m_out.append(m_widths[c], '-');
    }
    m_out += '\n';
  }
  void Flush(bool always) {
    if (!always && m_out.size() < 65536) return;
    WriteOut(m_out);
    m_out.clear();
  }

 private:
  Widths m_widths;
  std::string m_out;
};

// The grid's rows below its header, each handed to `sink` as it is read, then
// both totals rows.
template <typename Sink>
void StreamRows(Database& db, const Period& period, const std::string& login, Sink&& sink) {
  PeriodReader reader(db, period.start, period.end, login);
  while (reader.Next()) {
    // A login is data from the workers' machines: no control character of
    // it reaches the terminal.
    sink(ListingCells(reader.Row(), Escaped(reader.Login())));
  }
  sink(TaskTotalCells(reader.TaskTotal()));
  sink(DayTotalCells(reader.DayTotal()));
}

void PrintTable(Database& db, const Period& period, const std::string& login) {
  TableWriter table(TableWidths(CountPeriodRows(db, period.start, period.end, login)));
  table.Row(ListingHeader());
  table.Rule();
  StreamRows(db, period, login, [&table](const ListingLine& row) { table.Row(row); });
  table.Flush(true);
}

void PrintCsv(Database& db, const Period& period, const std::string& login, bool bom) {
  std::string out = bom ? std::string(kUtf8Bom) : std::string();
  const auto line = [&out](const ListingLine& row) {
    out += CsvLine({row.begin(), row.end()});
    if (out.size() >= 65536) {
      WriteOut(out);
      out.clear();
    }
  };
  line(ListingHeader());
  StreamRows(db, period, login, line);
  WriteOut(out);
}

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  const std::string login = in.Value("--login"), yearText = in.Value("--year"),
                    monthText = in.Value("--month"), dayText = in.Value("--day");
  const bool csv = in.Has("--csv"), bom = in.Has("--bom");
  if (yearText.empty()) return in.Usage("--year is required");
  if (!dayText.empty() && monthText.empty()) return in.Usage("--day needs --month");
  if (bom && !csv) return in.Usage("--bom goes with --csv");
  const auto year = ParseNumber(yearText);
  const auto month = monthText.empty() ? std::optional<int>(0) : ParseNumber(monthText);
  const auto day = dayText.empty() ? std::optional<int>(0) : ParseNumber(dayText);
  if (!year || !month || !day) return in.Usage("year, month and day are numbers");
  const std::optional<Period> period =
      *month == 0 && !monthText.empty() ? std::nullopt : NodePeriod(*year, *month, *day);
  if (!period || (*day == 0 && !dayText.empty()))
    return in.Usage("there is no such date: " + yearText +
                    (monthText.empty() ? "" : "-" + monthText) +
                    (dayText.empty() ? "" : "-" + dayText));

  if (csv)
    PrintCsv(in.Db(), *period, login, bom);
  else
    PrintTable(in.Db(), *period, login);
  return kExitOk;
}

}  // namespace

const Command kStatsCommand{
    "stats",
    "the listing and totals of a year, month or day",
    {"[--db PATH] stats [--login LOGIN] --year Y [--month M [--day D]] [--csv [--bom]]"},
    "Prints the statistics grid of a year, a month or a day: a header, one row per\n"
    "interval that begins in the period (of LOGIN, or of anybody without --login),\n"
    "then the task total (\" Всего отработано\") and the working-day total\n"
    "(\" Общее рабочее время\"). Rows are written as they are read.\n",
    {{"--login", "LOGIN", "one person's intervals"},
     {"--year", "Y", "the year"},
     {"--month", "M", "a month of the year"},
     {"--day", "D", "a day of the month"},
     {"--csv", nullptr,
      "RFC 4180 CSV in UTF-8, one grid row a line, the cells exactly (a cell a spreadsheet would "
      "take for a formula gets an apostrophe)"},
     {"--bom", nullptr, "with --csv, begin with a UTF-8 byte-order mark (for Excel)"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
