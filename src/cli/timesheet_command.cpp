// vornal-cli timesheet: the month timesheet as a table, CSV or PDF.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "cli/timesheet_options.h"
#include "forms/timesheet_codes.h"
#include "store/settings.h"

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

// Form T-13: CSV, a PDF file, or the codes and hours lines of each person.
int RunT13(Invocation& in, TimesheetOptions& options) {
  const std::string date = in.Value("--date");
  if (!date.empty() && !DateTime::FromIsoDay(date))
    return in.Usage("--date is a day as YYYY-MM-DD");
  Database& db = in.Db();
  if (!options.titleGiven) options.title = LoadOfficeTitle(db);
  const T13Sheet sheet =
      *BuildT13Sheet(db, options.year, options.month, options.login, in.Value("--department"));
  if (options.csv) {
    WriteOut(T13Csv(sheet));
  } else if (!options.pdf.empty()) {
    std::string error;
    if (!WriteT13Pdf(sheet, {options.title, in.Value("--number"), date}, options.pdf, &error)) {
      std::fprintf(stderr, "vornal-cli timesheet: %s\n", Escaped(error).c_str());
      return kExitFailure;
    }
  } else {
    std::string out;
    for (const T13Row& row : sheet.rows) {
      out += std::to_string(row.number) + ". " +
             Escaped(row.name.empty() ? row.login : row.name + " (" + row.login + ")") + "\n";
      for (const T13Day& day : row.days) {
        const std::string codes = DayCodesText(day);
        if (codes.empty()) continue;
        const std::string hours = DayHoursText(day);
        out += "  " + day.calendar.date.Format("%d") + " " + codes +
               (hours.empty() ? "" : " " + hours) + (day.Flagged() ? " !" : "") + "\n";
      }
      out += "  Дни " + std::to_string(row.month.days) + ", часы " + HoursText(row.month.seconds) +
             ", норма " + HoursText(row.norm) + ", разница " + HoursText(row.Difference()) +
             (row.absences.empty() ? "" : ", неявки " + AbsencesText(row)) + "\n";
    }
    WriteOut(out);
  }
  return kExitOk;
}

int Run(Invocation& in) {
  int exitCode = kExitOk;
  std::optional<TimesheetOptions> options = ParseTimesheetOptions(in, true, &exitCode);
  if (!options) return exitCode;
  const std::string form = in.Value("--form");
  if (form == "t13") return RunT13(in, *options);
  if (!form.empty() && form != "timesheet") return in.Usage("--form is timesheet or t13");
  if (in.Has("--number") || in.Has("--date") || in.Has("--department"))
    return in.Usage("--number, --date and --department go with --form t13");
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
     "TEXT]]",
     "[--db PATH] timesheet --form t13 --year Y --month M [--login LOGIN] [--csv | --pdf FILE "
     "[--title TEXT] [--number N] [--date YYYY-MM-DD]] [--department NAME]"},
    "The month timesheet: a row per person (every person of the person list, then\n"
    "the logins nobody has entered; or LOGIN alone), the working time of each day\n"
    "as H:MM (empty for a day without work; a row counts on the day it begins),\n"
    "the days with work, and the month's working and task time. A time followed\n"
    "by '?' is unknown in part: a row without an end time.\n"
    "\n"
    "--form t13 makes the unified form T-13 instead: for each person and day the\n"
    "form's codes and hours (Я day work, Н night work from 22:00 to 06:00, РВ work\n"
    "on a day off or holiday, the absence set for the day, В a day off), a working-\n"
    "day row counted on the days it covers; the days and hours of each half of the\n"
    "month and of the month, the norm of the working calendar less the days of\n"
    "absence, and the difference. Without --csv or --pdf it prints each person's\n"
    "days with codes. --csv: a row per person and day (Номер,Табельный номер,\n"
    "Логин,ФИО,Должность,Подразделение,Дата,Код,Цифровой код,Часы,Отработано,\n"
    "Ночные,Неявка и часы,Примечание,Исправлено). --pdf: the form on landscape\n"
    "A4 pages, with the document's --number and --date (today when not given);\n"
    "its structural unit is the --department, or the one all its people share.\n",
    {kYearOption,
     kMonthOption,
     kLoginOption,
     {"--csv", nullptr,
      "CSV (RFC 4180, UTF-8 with a byte-order mark): a header row "
      "Login,ФИО,1,2,...,N,Дней,Работа,Задания, then a row per person"},
     {"--pdf", "FILE", "the timesheet on landscape A4 pages, as the program prints it"},
     kTitleOption,
     {"--form", "FORM", "timesheet (the default) or t13, the unified form T-13"},
     {"--number", "N", "with --form t13 --pdf: the document's number"},
     {"--date", "DAY", "with --form t13 --pdf: the document's date, YYYY-MM-DD"},
     {"--department", "NAME",
      "with --form t13: the people of this department (the structural unit) alone"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
