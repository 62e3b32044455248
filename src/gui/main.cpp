#include <QApplication>

#include "gui/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vornal::Application application;
  application.Run();
  return 0;
}
