#include "app/server_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>

#include "app/message_box.h"
#include "personnel/server_dlg.h"
#include "store/messages.h"

namespace vornal {

CServerApp::CServerApp() {
  // The caption of the program's own message boxes.
  QApplication::setApplicationName(
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

CServerApp::~CServerApp() = default;

bool CServerApp::PrepareFacilities() {
  // Photos are .bmp files; without a reader for them no window can work.
  return QImageReader::supportedImageFormats().contains("bmp");
}

bool CServerApp::InitInstance() {
  if (!PrepareFacilities()) {
    MessageBox::Warning(nullptr, QString::fromLatin1(kFacilityFailure));
    return false;
  }
  // The store's notices reach the operator as warning boxes.
  ScopedMessageSink sink([](const std::string& text) {
    MessageBox::Warning(QApplication::activeWindow(), QString::fromStdString(text));
  });
  CServerDlg dialog;
  m_pMainWnd = &dialog;
  dialog.exec();
  m_pMainWnd = nullptr;
  return false;
}

}  // namespace vornal
