#include <QApplication>
#include <QCommandLineParser>
#include <string_view>

#include "gui/application.h"
#include "gui/widgets/language.h"
#include "store/schema.h"

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
  parser.process(app);
  if (parser.isSet(db)) vornal::SetDatabaseLocation(parser.value(db).toStdString());
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
  // English under an English locale, Russian otherwise (LANG, LC_ALL, ...).
  vornal::InstallTranslations();

  vornal::Application application;
  application.Run();
  return 0;
}
