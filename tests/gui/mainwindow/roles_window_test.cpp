// The main window on a shared server: roles that may not do everything are
// refused with a sentence of the program's before anything is touched, and
// the list follows what other desks change. Runs against the test server
// (VORNAL_TEST_SERVER).
#include <unistd.h>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/person_editor.h"
#include "gui/settings/settings_dialog.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/table_view.h"
#include "store/change_watch.h"
#include "store/folder_slots.h"
#include "store/people.h"
#include "store/role_grants.h"
#include "test_util.h"

namespace vornal {

class RolesWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
  }
  void cleanup() { test::CheckNoHookLeft(); }

  void AViewerIsRefusedBeforeAnythingIsTouched() {
    QVERIFY(test::OnServer());
    test::ScopedCurrentDir dir;
    const std::string location = test::ServerDatabases::New();
    const std::string viewer = "vt_window_viewer_" + std::to_string(::getpid());
    const std::string folder = dir.File(QStringLiteral("w")).toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    test::WriteFile(folder + "/main.buf", "2002|10|8|9|0|0|ivanov|StartWDay|\r\n");
    {
      DatabasePtr owner = test::MakeDatabase(location);
      owner->ExecuteScript("DROP ROLE IF EXISTS " + viewer + "; CREATE ROLE " + viewer + " LOGIN");
      GrantRoles(*owner, {{RoleGrant::Kind::Viewer, viewer, {}}});
      FolderSlots slots(kFolderSlotCount);
      slots[0] = {folder, true};
      QVERIFY(SaveFolderSlots(*owner, LoadFolderSlots(*owner), slots).empty());
    }
    SetDatabaseLocation(location + " user=" + viewer);
    {
      MainWindow dlg;
      MessageBox::SetNextAnswer(QMessageBox::Ok);
      dlg.OnProcess();
      QCOMPARE(MessageBox::History().back().text,
               QStringLiteral("Роль «%1» не может собирать файлы в этой базе данных; файлы "
                              "оставлены до следующей обработки. Нет права INSERT на таблицу logs. "
                              "Права выдаёт владелец таблиц (vornal-cli grants).")
                   .arg(QString::fromStdString(viewer)));
      QVERIFY(QFile::exists(QString::fromStdString(folder + "/main.buf")));

      bool keptOpen = false;
      test::WhenModal<PersonEditor>([&](PersonEditor* editor) {
        editor->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Иван"));
        editor->findChild<QLineEdit*>(QStringLiteral("loginEdit"))->setText(QStringLiteral("iv"));
        editor->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        keptOpen = editor->isVisible();
        editor->reject();
      });
      dlg.OnAdd();
      QVERIFY(keptOpen);
      QVERIFY(MessageBox::History().back().text.startsWith(
          QStringLiteral("Роль «%1» не может изменять список людей в этой базе данных; запись не "
                         "сохранена")
              .arg(QString::fromStdString(viewer))));

      test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
        sheet->Tabs()->setCurrentIndex(1);
        sheet->m_foldersPage.Check(1)->click();
        MessageBox::SetNextAnswer(QMessageBox::Yes);
        sheet->Buttons()->button(QDialogButtonBox::Ok)->click();
        keptOpen = sheet->isVisible();
        sheet->reject();
      });
      dlg.OnSettings();
      QVERIFY(keptOpen);
      QVERIFY(MessageBox::History().back().text.startsWith(
          QStringLiteral("Роль «%1» не может изменять настройки в этой базе данных")
              .arg(QString::fromStdString(viewer))));
    }
    SetDatabaseLocation(kDatabaseFile);
    Database owner;
    owner.Open(location);
    QCOMPARE(owner.QueryInt("SELECT count(*) FROM human"), std::optional<std::int64_t>(0));
    QVERIFY(LoadFolderSlots(owner)[0].enabled);
    owner.ExecuteScript("DROP OWNED BY " + viewer + "; DROP ROLE " + viewer);
  }

  // Another desk adds a person and says so: the list shows the person at
  // its next look.
  void TheListFollowsAnotherDesk() {
    QVERIFY(test::OnServer());
    const std::string location = test::ServerDatabases::New();
    DatabasePtr other = test::MakeDatabase(location);
    SetDatabaseLocation(location);
    {
      MainWindow dlg;
      const QAbstractItemModel* list = dlg.Grid()->model();
      QCOMPARE(list->rowCount(), 0);
      InsertPerson(*other, {"Иванов Иван", "", "", "", "ivanov", "", ""});
      NotifyChange(*other);
      QTRY_VERIFY((dlg.FollowChanges(), list->rowCount() == 1));
      QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral(" ivanov"));
    }
    SetDatabaseLocation(kDatabaseFile);
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::RolesWindowTest)
#include "roles_window_test.moc"
