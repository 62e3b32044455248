// vornal-cli timesheet: the month timesheet as a table, CSV or PDF.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "cli/timesheet_options.h"

namespace vornal::cli {

extern const Command kTimesheetCommand;

namespace {

// An aligned table: login and name left, the figures right, a totals line.
void PrintTable(const Timesheet& sheet) {
  std::vector<std::vector<std::string>> lines;
  lines.push_back(TimesheetHeadings(sheet));
  const auto add = [&](const std::string& login, const std::string& name,
                       const std::vector<DayWork>& cells, const DayWork& total) {
    std::vector<std::string> fields{login, name};
    for (const DayWork& cell : cells) fields.push_back(WorkCellText(cell));
    fields.insert(fields.end(), {std::to_string(total.days), WorkText(total), TaskText(total)});
    lines.push_back(std::move(fields));
  };
  for (const Timesheet::Row& row : sheet.rows) add(row.login, row.name, row.cells, row.total);
  add("Итого", "", sheet.columnTotals, sheet.total);

  std::vector<std::size_t> widths(lines.front().size());
  for (const auto& fields : lines)
    for (std::size_t c = 0; c < fields.size(); ++c)
      widths[c] = std::max(widths[c], DisplayWidth(fields[c]));
  std::string out;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    std::string text;
    for (std::size_t c = 0; c < lines[l].size(); ++c) {
      if (c) text += ' ';
      const std::string& field = lines[l][c];
      const std::string pad(widths[c] - DisplayWidth(field), ' ');
      text += c < 2 ? field + pad : pad + field;
    }
    text.resize(text.find_last_not_of(' ') + 1);
    out += text + '\n';
    if (l == 0 || l + 2 == lines.size()) {
      std::size_t rule = 0;
      for (const std::size_t width : widths) rule += width + 1;
      out += std::string(rule - 1, '-') + '\n';
    }
  }
  WriteOut(out);
}

int Run(Invocation& in) {
  int exitCode = kExitOk;
  std::optional<TimesheetOptions> options = ParseTimesheetOptions(in, true, &exitCode);
  if (!options) return exitCode;
  Timesheet sheet = LoadTimesheet(in.Db(), *options);
  if (options->pdf.empty()) {
    // Logins and names are data: no control character of them reaches the
    // terminal or a spreadsheet.
    for (Timesheet::Row& row : sheet.rows) {
      row.login = Escaped(row.login);
      row.name = Escaped(row.name);
    }
  }
  if (options->csv) {
    WriteOut(TimesheetCsv(sheet));
  } else if (!options->pdf.empty()) {
    std::string error;
    if (!WritePdf(PdfForm::Timesheet, sheet, options->title, options->pdf, &error)) {
      std::fprintf(stderr, "vornal-cli timesheet: %s\n", Escaped(error).c_str());
      return kExitFailure;
    }
  } else {
    PrintTable(sheet);
  }
  return kExitOk;
}

}  // namespace

const Command kTimesheetCommand{
    "timesheet",
    "hours worked per person and day of a month",
    {"[--db PATH] timesheet --year Y --month M [--login LOGIN] [--csv | --pdf FILE [--title "
     "TEXT]]"},
    "The month timesheet: a row per person (every person of the person list, then\n"
    "the logins nobody has entered; or LOGIN alone), the working time of each day\n"
    "as H:MM (empty for a day without work; a row counts on the day it begins),\n"
    "the days with work, and the month's working and task time. A time followed\n"
    "by '?' is unknown in part: a row without an end time.\n",
    {kYearOption,
     kMonthOption,
     kLoginOption,
     {"--csv", nullptr,
      "CSV (RFC 4180, UTF-8 with a byte-order mark): a header row "
      "Login,ФИО,1,2,...,N,Дней,Работа,Задания, then a row per person"},
     {"--pdf", "FILE", "the timesheet on landscape A4 pages, as the program prints it"},
     kTitleOption},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
