#include <QApplication>

#include "app/server_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vornal::CServerApp serverApp;
  serverApp.InitInstance();
  return 0;
}
