#include <QApplication>
#include <QCommandLineParser>
#include <string_view>

#include "gui/application.h"

namespace {

// Answers --help and --version (and refuses unknown options) before any
// window is made.
void ProcessCommandLine(const QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Vornal: the office side of a workplace time-tracking system. Works on base.mdb in "
      "the current directory."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.process(app);
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

  vornal::Application application;
  application.Run();
  return 0;
}
