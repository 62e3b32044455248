#pragma once

#include <optional>
#include <string>

#include "cli/command.h"
#include "stats/t13_sheet.h"
#include "stats/timesheet.h"

namespace vornal::cli {

// The command line of `timesheet` and `sheets`.
struct TimesheetOptions {
  int year = 0;
  int month = 0;
  std::string login;
  std::string title;  // the office's title; the stored one when not given
  bool titleGiven = false;
  bool csv = false;
  std::string pdf;  // a PDF file to write
};

// The options of `timesheet` and `sheets`, each declared once.
extern const Option kYearOption, kMonthOption, kLoginOption, kPdfOption, kTitleOption;

// Reads the options; on a wrong command line reports it and leaves
// *exitCode set.
std::optional<TimesheetOptions> ParseTimesheetOptions(const Invocation& in, bool allowCsv,
                                                      int* exitCode);

// The timesheet the options ask for, and the office's title to print.
Timesheet LoadTimesheet(Database& db, TimesheetOptions& options);

// The form to write to a PDF file.
enum class PdfForm { Timesheet, SignSheets };
// The head of form T-13 beside the sheet: the office's title, the document's
// number and date ("YYYY-MM-DD"; today when empty).
struct T13Head {
  std::string office;
  std::string number;
  std::string date;
};
// Writes form T-13 as WritePdf writes the timesheet.
bool WriteT13Pdf(const T13Sheet& sheet, const T13Head& head, const std::string& path,
                 std::string* error);

// Writes the PDF file whole or not at all (WriteOutputFile; Qt's offscreen
// platform, no display needed); false with what went wrong, naming the
// file, in *error.
bool WritePdf(PdfForm form, const Timesheet& sheet, const std::string& office,
              const std::string& path, std::string* error);

}  // namespace vornal::cli
