#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QtTest>

#include "app/message_box.h"
#include "app/server_app.h"
#include "personnel/new_database_dlg.h"
#include "personnel/server_dlg.h"
#include "personnel/widget_test_util.h"
#include "store/messages.h"

namespace vornal {

// An application whose required facilities cannot be prepared.
class BrokenServerApp : public CServerApp {
 protected:
  bool PrepareFacilities() override { return false; }
};

class StartupTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
  }

  void MissingFacilityShowsOnlyTheMessage() {
    test::ScopedCurrentDir dir;
    BrokenServerApp app;
    QVERIFY(!app.InitInstance());
    QCOMPARE(MessageBox::History().size(), 1u);
    const auto& shown = MessageBox::History().front();
    QCOMPARE(shown.text, QStringLiteral("Windows sockets initialization failed."));
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QCOMPARE(shown.caption, QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QVERIFY(!QFile::exists(dir.File("base.mdb")));
  }

  void ClosingTheMainWindowEndsTheRun() {
    test::ScopedCurrentDir dir;
    CServerApp app;
    QCOMPARE(MessageBox::AppTitle(), QStringLiteral("app_startup_test"));
    bool ran = false;
    test::WhenModal<CNewDatabaseDlg>([&](CNewDatabaseDlg* notice) {
      notice->accept();
      test::WhenModal<CServerDlg>([&](CServerDlg* window) {
        ran = app.MainWindow() == window;
        // The store's notices reach the operator as boxes during the run.
        ReportMessage("from the store");
        window->reject();
      });
    });
    QVERIFY(!app.InitInstance());
    QVERIFY(ran);
    QVERIFY(app.MainWindow() == nullptr);
    QVERIFY(QFile::exists(dir.File("base.mdb")));
    QCOMPARE(MessageBox::History().size(), 1u);
    QCOMPARE(MessageBox::History().front().text, QStringLiteral("from the store"));
    QCOMPARE(MessageBox::History().front().icon, QMessageBox::Warning);
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::StartupTest)
#include "startup_test.moc"
