#include <QFile>
#include <QtTest>

#include "gui/application.h"
#include "gui/mainwindow/main_window.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/message_box.h"
#include "test_util.h"

namespace vornal {

class DamagedDatabaseWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
  }

  // The program started on a base.mdb that is no database says so at each
  // open, as warnings, goes on without a database and never replaces the
  // file with a new one.
  void DamagedFileGivesTheOpenFailureMessages() {
    test::ScopedCurrentDir dir;
    const std::string damaged(8192, 'x');
    test::WriteFile(dir.File(QStringLiteral("base.mdb")).toStdString(), damaged);
    test::WhenShown<MainWindow>([](MainWindow* window) { window->close(); });
    Application app;
    QVERIFY(!app.Run());

    const auto& shown = MessageBox::History();
    // Each operation that opens the database (start-up, list fill, ...) says
    // it with the same box: the Russian explanation, then the engine's text.
    QVERIFY(shown.size() >= 2u);
    for (const auto& box : shown)
      QCOMPARE(box.text, QStringLiteral("Файл базы данных повреждён; невозможно открыть базу "
                                        "данных. Восстановите базу данных из резервной копии.\n\n"
                                        "Couldn't open database--Exception: file is not a "
                                        "database"));
    for (const auto& box : shown) {
      QCOMPARE(box.icon, QMessageBox::Warning);
      QCOMPARE(box.caption, MessageBox::AppTitle());
    }
    QCOMPARE(test::ReadFile(dir.File(QStringLiteral("base.mdb")).toStdString()), damaged);
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::DamagedDatabaseWindowTest)
#include "damaged_database_window_test.moc"
