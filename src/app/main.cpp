#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("Vornal: the main window is being built."));
  label.show();
  return app.exec();
}
