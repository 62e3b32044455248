#include "cli/timesheet_options.h"

#include "store/output_file.h"
#include "store/settings.h"

#ifdef VORNAL_PDF
#include <QGuiApplication>
#include <cstdio>

#include "report/timesheet_report.h"
#endif

namespace vornal::cli {
#ifdef VORNAL_PDF
namespace {

// Qt's notices about the platform (no runtime folder, no display) are no
// concern of a command-line user; its errors are.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "vornal-cli: %s\n", qPrintable(message));
}

}  // namespace
#endif

std::optional<TimesheetOptions> ParseTimesheetOptions(const Command& command, const Args& args,
                                                      bool allowCsv, int* exitCode) {
  TimesheetOptions options;
  std::string yearText, monthText;
  const auto fail = [&](const std::string& problem) {
    *exitCode = UsageError(command, problem);
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (TakeValue(args, i, "--year", yearText, missing) ||
        TakeValue(args, i, "--month", monthText, missing) ||
        TakeValue(args, i, "--login", options.login, missing) ||
        TakeValue(args, i, "--pdf", options.pdf, missing)) {
      if (missing) return fail(args[i] + " needs a value");
    } else if (TakeValue(args, i, "--title", options.title, missing)) {
      if (missing) return fail(args[i] + " needs a value");
      options.titleGiven = true;
    } else if (allowCsv && args[i] == "--csv") {
      options.csv = true;
    } else {
      return fail("unexpected argument '" + args[i] + "'");
    }
  }
  if (yearText.empty() || monthText.empty()) return fail("--year and --month are required");
  const auto year = ParseNumber(yearText);
  const auto month = ParseNumber(monthText);
  if (!year || !month) return fail("year and month are numbers");
  if (*month < 1 || *month > 12 || !DateTime::FromParts(*year, *month, 1))
    return fail("there is no such month: " + yearText + "-" + monthText);
  if (options.csv && !options.pdf.empty()) return fail("--csv and --pdf do not go together");
  if (!allowCsv && options.pdf.empty()) return fail("--pdf is required");
  if (options.titleGiven && options.pdf.empty()) return fail("--title goes with --pdf");
  options.year = *year;
  options.month = *month;
  return options;
}

Timesheet LoadTimesheet(Database& db, TimesheetOptions& options) {
  if (!options.titleGiven) options.title = LoadOfficeTitle(db);
  return *BuildTimesheet(db, options.year, options.month, options.login);
}

bool WritePdf(PdfForm form, const Timesheet& sheet, const std::string& office,
              const std::string& path, std::string* error) {
#ifdef VORNAL_PDF
  // Fonts and painting need a GUI application; the offscreen platform needs
  // no display.
  int argc = 3;
  char name[] = "vornal-cli";
  char option[] = "-platform";
  char platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  const QtMessageHandler previous = qInstallMessageHandler(QtMessage);
  QGuiApplication application(argc, argv);
  const TimesheetReport report(sheet, QString::fromStdString(office));
  const QByteArray pdf =
      form == PdfForm::Timesheet ? report.TimesheetPdf() : report.SignSheetsPdf();
  qInstallMessageHandler(previous);
  if (pdf.isEmpty()) {
    *error = "cannot draw the pages of " + path;
    return false;
  }
  try {
    WriteOutputFile(path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
  } catch (const OutputError& e) {
    *error = e.what();
    return false;
  }
  return true;
#else
  (void)form, (void)sheet, (void)office, (void)path;
  *error = "this vornal-cli was built without PDF output (Qt)";
  return false;
#endif
}

}  // namespace vornal::cli
