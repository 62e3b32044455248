#include "cli/timesheet_options.h"

#include "store/output_file.h"
#include "store/settings.h"

#ifdef VORNAL_PDF
#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <cstdio>

#include "report/t13_report.h"
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

const Option kYearOption{"--year", "Y", "the year"};
const Option kMonthOption{"--month", "M", "the month, 1 to 12"};
const Option kLoginOption{"--login", "LOGIN", "one person's"};
const Option kPdfOption{"--pdf", "FILE", "the PDF file to write"};
const Option kTitleOption{
    "--title", "TEXT",
    "with --pdf: the office's title at the head of the pages, instead of the stored one"};

std::optional<TimesheetOptions> ParseTimesheetOptions(const Invocation& in, bool allowCsv,
                                                      int* exitCode) {
  const auto fail = [&](const std::string& problem) {
    *exitCode = in.Usage(problem);
    return std::nullopt;
  };
  if (!in.Words().empty()) return fail("unexpected argument '" + in.Words()[0] + "'");
  TimesheetOptions options;
  const std::string yearText = in.Value("--year"), monthText = in.Value("--month");
  options.login = in.Value("--login");
  options.pdf = in.Value("--pdf");
  options.title = in.Value("--title");
  options.titleGiven = in.Has("--title");
  options.csv = allowCsv && in.Has("--csv");
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

#ifdef VORNAL_PDF
namespace {

// Draws a document with Qt's offscreen platform (fonts and painting need a
// GUI application, the platform no display) and writes it whole or not at
// all; false with what went wrong in *error.
template <class Draw>
bool DrawPdf(const std::string& path, std::string* error, Draw draw) {
  int argc = 3;
  char name[] = "vornal-cli";
  char option[] = "-platform";
  char platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  const QtMessageHandler previous = qInstallMessageHandler(QtMessage);
  QGuiApplication application(argc, argv);
  // The forms are in Russian here: their dates too, whatever the locale.
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  const QByteArray pdf = draw();
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
}

}  // namespace
#endif

bool WritePdf(PdfForm form, const Timesheet& sheet, const std::string& office,
              const std::string& path, std::string* error) {
#ifdef VORNAL_PDF
  return DrawPdf(path, error, [&] {
    const TimesheetReport report(sheet, QString::fromStdString(office));
    return form == PdfForm::Timesheet ? report.TimesheetPdf() : report.SignSheetsPdf();
  });
#else
  (void)form, (void)sheet, (void)office, (void)path;
  *error = "this vornal-cli was built without PDF output (Qt)";
  return false;
#endif
}

bool WriteT13Pdf(const T13Sheet& sheet, const T13Head& head, const std::string& path,
                 std::string* error) {
#ifdef VORNAL_PDF
  return DrawPdf(path, error, [&] {
    const QDate date = head.date.empty()
                           ? QDate::currentDate()
                           : QDate::fromString(QString::fromStdString(head.date), Qt::ISODate);
    const T13Report report(sheet, {QString::fromStdString(head.office), QString(),
                                   QString::fromStdString(head.number), date});
    return report.Pdf();
  });
#else
  (void)sheet, (void)head, (void)path;
  *error = "this vornal-cli was built without PDF output (Qt)";
  return false;
#endif
}

}  // namespace vornal::cli
