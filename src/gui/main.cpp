#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "gui/application.h"
#include "gui/widgets/language.h"
#include "store/schema.h"
#include "store/sites.h"

namespace {

// Answers --help and --version (and refuses unknown options) before any
// window is made; takes the database from --db.
void ProcessCommandLine(const QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Vornal: the office side of a workplace time-tracking system. Works on the database "
      "named by --db, else by the environment variable VORNAL_DB, else on base.mdb in the "
      "current directory."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption db(
      QStringLiteral("db"),
      QStringLiteral("The database: a file, or a PostgreSQL connection URI "
                     "(postgresql://host/dbname) or libpq connection string."),
      QStringLiteral("PATH|URI"));
  parser.addOption(db);
  const QCommandLineOption site(
      QStringLiteral("site"),
      QStringLiteral("The site (an office, a collector machine) whose working folders the "
                     "settings show and Process collects; else the environment variable "
                     "VORNAL_SITE, else this machine's host name."),
      QStringLiteral("NAME"));
  parser.addOption(site);
  parser.process(app);
  if (parser.isSet(db)) vornal::SetDatabaseLocation(parser.value(db).toStdString());
  const char* variable = std::getenv("VORNAL_SITE");
  if (parser.isSet(site) || (variable && *variable)) {
    const std::string name =
        parser.isSet(site) ? parser.value(site).toStdString() : std::string(variable);
    if (!vornal::IsSiteName(name)) {
      std::fprintf(stderr,
                   "vornal: '%s' is no site name: 1 to %zu letters, digits, '.', '-' or '_'\n",
                   name.c_str(), vornal::kMaxSiteName);
      std::exit(2);
    }
    vornal::SetCurrentSite(name);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationVersion(QStringLiteral(VORNAL_VERSION));
  // --help and --version need no display: answer them without one.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" ||
        arg == "-v") {
      QCoreApplication app(argc, argv);
      ProcessCommandLine(app);
    }
  }
  QApplication app(argc, argv);
  // Ties the windows to the installed desktop entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.vornal.Vornal"));
  ProcessCommandLine(app);
  // As chosen on the settings sheet; else English under an English locale,
  // Russian otherwise (LANG, LC_ALL, ...).
  vornal::InstallTranslations(vornal::LanguageLocale(vornal::StoredLanguage()));

  vornal::Application application;
  application.Run();
  return 0;
}
