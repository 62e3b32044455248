#include "gui/application.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>

#include "gui/mainwindow/main_window.h"
#include "gui/widgets/data_files.h"
#include "gui/widgets/message_box.h"
#include "store/schema.h"

namespace vornal {

Application::Application() {
  // The caption of the program's own message boxes.
  QApplication::setApplicationName(
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

Application::~Application() = default;

bool Application::PrepareFacilities() {
  // The fallback and author pictures are .bmp files; without a reader for
  // them no window can work.
  return QImageReader::supportedImageFormats().contains("bmp");
}

bool Application::Run() {
  if (!PrepareFacilities()) {
    MessageBox::Warning(nullptr,
                        QCoreApplication::translate("vornal::Application", kFacilityFailure));
    return false;
  }
  // A missing picture still lets the program run; the administrator learns
  // of a broken install here rather than from an empty frame.
  for (const DataFile& file : {kNoPhotoPicture, kAuthorPicture})
    if (!QFileInfo(DataFilePath(file)).isFile())
      qWarning("vornal: picture %s not found here nor as %s in %s", file.localName,
               file.installedName, qPrintable(DataFolders().join(QStringLiteral(", "))));
  // A password in the location would be refused at every open: said once,
  // and the program ends.
  if (LocationHoldsPassword(DatabaseLocation())) {
    MessageBox::Stop(
        nullptr,
        QCoreApplication::translate("vornal::Application",
                                    "Пароль в адресе базы данных не принимается: храните его в "
                                    "файле паролей (~/.pgpass) или в файле служб PostgreSQL.\n\n%1")
            .arg(QString::fromStdString(DisplayLocation(DatabaseLocation()))));
    return false;
  }
  MainWindow window;
  // Declining the missing database's creation has been told: nothing to run.
  if (window.DatabaseDeclined()) return false;
  m_mainWindow = &window;
  window.show();
  // The run ends when the main window, the last one open, closes.
  QApplication::exec();
  m_mainWindow = nullptr;
  return false;
}

}  // namespace vornal
