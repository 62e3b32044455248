#include "gui/application.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>

#include "gui/mainwindow/main_window.h"
#include "gui/widgets/message_box.h"
#include "store/messages.h"

namespace vornal {

Application::Application() {
  // The caption of the program's own message boxes.
  QApplication::setApplicationName(
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

Application::~Application() = default;

bool Application::PrepareFacilities() {
  // Photos are .bmp files; without a reader for them no window can work.
  return QImageReader::supportedImageFormats().contains("bmp");
}

bool Application::Run() {
  if (!PrepareFacilities()) {
    MessageBox::Warning(nullptr, QString::fromLatin1(kFacilityFailure));
    return false;
  }
  // The store's notices reach the operator as warning boxes.
  ScopedMessageSink sink([](const std::string& text) {
    MessageBox::Warning(QApplication::activeWindow(), QString::fromStdString(text));
  });
  MainWindow dialog;
  m_mainWindow = &dialog;
  dialog.exec();
  m_mainWindow = nullptr;
  return false;
}

}  // namespace vornal
