#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QtTest>

#include "gui/application.h"
#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/new_database_dialog.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/message_box.h"
#include "store/schema.h"

namespace vornal {

// An application whose required facilities cannot be prepared.
class BrokenApplication : public Application {
 protected:
  bool PrepareFacilities() override { return false; }
};

class ApplicationTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
  }
  void cleanup() { test::CheckNoHookLeft(); }

  void MissingFacilityShowsOnlyTheMessage() {
    test::ScopedCurrentDir dir;
    BrokenApplication app;
    QVERIFY(!app.Run());
    QCOMPARE(MessageBox::History().size(), 1u);
    const auto& shown = MessageBox::History().front();
    QCOMPARE(shown.text, QStringLiteral("Windows sockets initialization failed."));
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QCOMPARE(shown.caption, QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QVERIFY(!QFile::exists(dir.File("base.mdb")));
  }

  // A password in --db is refused once, before any window; it is never shown.
  void APasswordInTheLocationIsRefusedOnce() {
    test::ScopedCurrentDir dir;
    SetDatabaseLocation("host=/nowhere dbname=office password=secret");
    Application app;
    QVERIFY(!app.Run());
    SetDatabaseLocation(kDatabaseFile);
    QCOMPARE(MessageBox::History().size(), 1u);
    const auto& shown = MessageBox::History().front();
    QVERIFY(shown.text.startsWith(QStringLiteral("Пароль в адресе базы данных не принимается")));
    QVERIFY(!shown.text.contains(QStringLiteral("secret")));
    QCOMPARE(shown.icon, QMessageBox::Critical);
  }

  void DecliningTheDatabaseEndsTheRunWithoutAWindow() {
    test::ScopedCurrentDir dir;
    Application app;
    test::WhenModal<NewDatabaseDialog>([](NewDatabaseDialog* notice) { notice->reject(); });
    QVERIFY(!app.Run());
    QVERIFY(app.Window() == nullptr);
    QCOMPARE(MessageBox::History().size(), 1u);
  }

  void ClosingTheMainWindowEndsTheRun() {
    test::ScopedCurrentDir dir;
    Application app;
    QCOMPARE(MessageBox::AppTitle(), QStringLiteral("gui_application_test"));
    bool ran = false;
    test::WhenModal<NewDatabaseDialog>([&](NewDatabaseDialog* notice) {
      notice->accept();
      // The main window is an ordinary top-level window, not a modal one.
      test::WhenShown<MainWindow>([&](MainWindow* window) {
        ran = app.Window() == window && QApplication::activeModalWidget() == nullptr &&
              (window->windowFlags() & Qt::WindowMinMaxButtonsHint) != 0;
        window->close();
      });
    });
    QVERIFY(!app.Run());
    QVERIFY(ran);
    QVERIFY(app.Window() == nullptr);
    QVERIFY(QFile::exists(dir.File("base.mdb")));
    QVERIFY(MessageBox::History().empty());
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::ApplicationTest)
#include "application_test.moc"
