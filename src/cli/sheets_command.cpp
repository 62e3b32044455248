// vornal-cli sheets: a signing sheet per person of a month, in one PDF.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "cli/timesheet_options.h"
#include "store/people.h"

namespace vornal::cli {

extern const Command kSheetsCommand;

namespace {

int Run(Invocation& in) {
  int exitCode = kExitOk;
  std::optional<TimesheetOptions> options = ParseTimesheetOptions(in, false, &exitCode);
  if (!options) return exitCode;
  Database& db = in.Db();
  // A mistyped login would make a sheet of nobody's work.
  if (!options->login.empty() && !FindLoginOwner(db, options->login, std::nullopt) &&
      CountWorkRows(db, options->login) == 0) {
    std::fprintf(stderr, "vornal-cli sheets: no person and no work row has the login '%s'\n",
                 Escaped(options->login).c_str());
    return kExitFailure;
  }
  const Timesheet sheet = LoadTimesheet(db, *options);
  std::string error;
  if (!WritePdf(PdfForm::SignSheets, sheet, options->title, options->pdf, &error)) {
    std::fprintf(stderr, "vornal-cli sheets: %s\n", Escaped(error).c_str());
    return kExitFailure;
  }
  std::printf("%zu %s written to %s\n", sheet.rows.size(),
              sheet.rows.size() == 1 ? "sheet" : "sheets", Escaped(options->pdf).c_str());
  return kExitOk;
}

}  // namespace

const Command kSheetsCommand{
    "sheets",
    "a signing sheet per person of a month, in one PDF",
    {"[--db PATH] sheets --year Y --month M --pdf FILE [--login LOGIN] [--title TEXT]"},
    "Writes one A4 page per person of the timesheet (every person of the person\n"
    "list, then the logins nobody has entered; or LOGIN alone): the days of the\n"
    "month with their working and task time, the totals, and lines for the\n"
    "person's and the manager's signatures. A LOGIN that no person and no work\n"
    "row has is an error.\n",
    {kYearOption, kMonthOption, kPdfOption, kLoginOption, kTitleOption},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
