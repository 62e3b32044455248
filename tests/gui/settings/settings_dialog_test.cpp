#include "gui/settings/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include "gui/mainwindow/main_window.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/language.h"
#include "gui/widgets/message_box.h"
#include "store/settings.h"
#include "store/sites.h"
#include "test_util.h"

namespace vornal {

class SettingsDialogTest : public QObject {
  Q_OBJECT

  using Rows = std::vector<std::pair<std::string, std::string>>;

  static DatabasePtr Open() {
    DatabasePtr db;
    if (QFile::exists(QString::fromLatin1(kDatabaseFile)))
      db = OpenDatabase(kDatabaseFile);
    else
      db = test::MakeDatabase(kDatabaseFile);
    return db;
  }
  // Key and value of every SETTING row but the name of the default site,
  // with its ID.
  static std::vector<std::tuple<std::int64_t, std::string, std::string>> Setting() {
    DatabasePtr db = Open();
    std::vector<std::tuple<std::int64_t, std::string, std::string>> rows;
    Statement query =
        db->Prepare("SELECT ID, Key, Val FROM SETTING WHERE Key <> 'DefaultSite' ORDER BY Key");
    while (query.Step()) rows.emplace_back(query.Int(0), query.Text(1), query.Text(2));
    return rows;
  }
  static void Store(const Rows& rows) {
    DatabasePtr db = Open();
    for (const auto& [key, value] : rows)
      db->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", key, value);
  }
  static QString Dir(const test::ScopedCurrentDir& dir, const char* name) {
    QDir(dir.Path()).mkpath(QString::fromLatin1(name));
    return dir.File(QString::fromLatin1(name));
  }
  static void Click(SettingsDialog* sheet, QDialogButtonBox::StandardButton which) {
    sheet->Buttons()->button(which)->click();
  }
  // The sheet shown on its paths page.
  static void OpenPaths(SettingsDialog& sheet) {
    sheet.show();
    sheet.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    sheet.Tabs()->setCurrentIndex(1);
  }

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
    FileDialog::ClearAnswers();
  }
  void cleanup() { test::CheckNoHookLeft(); }

  void OkInsertsUpdatesAndDeletesSlots() {
    test::ScopedCurrentDir dir;
    const QString a = Dir(dir, "a"), b = Dir(dir, "b"), c = Dir(dir, "c");
    Store({{"Path1", a.toStdString() + "  "}, {"Path3", b.toStdString()}});
    const auto before = Setting();
    MainWindow dlg;
    QStringList shown;
    test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
      QCOMPARE(sheet->windowTitle(), QStringLiteral("Настройки"));
      QCOMPARE(sheet->Tabs()->currentIndex(), 0);
      QCOMPARE(sheet->Tabs()->tabText(0), QStringLiteral("Общие"));
      QCOMPARE(sheet->Tabs()->tabText(1), QStringLiteral("Пути"));
      QVERIFY(!sheet->Buttons()->button(QDialogButtonBox::Apply)->isEnabled());
      sheet->Tabs()->setCurrentIndex(1);
      FoldersPage& page = sheet->m_foldersPage;
      for (int row = 1; row <= 3; ++row) shown << page.PathEdit(row)->text();
      page.PathEdit(1)->setText(c);
      page.Check(2)->click();
      page.PathEdit(2)->setText(QStringLiteral("  ") + b + QStringLiteral(" "));
      page.Check(3)->click();
      MessageBox::SetNextAnswer(QMessageBox::Yes);
      Click(sheet, QDialogButtonBox::Ok);
    });
    dlg.OnSettings();
    QCOMPARE(shown, (QStringList{a, QString(), b}));
    // Unticking row 3 drops its path only once the operator agrees.
    QCOMPARE(MessageBox::History().size(), 1u);
    QVERIFY(MessageBox::History().front().text.contains(u"(строки: 3)"));
    const auto after = Setting();
    QCOMPARE(after.size(), 2u);
    // Path1 is updated in place, Path2 inserted trimmed, Path3 deleted.
    QCOMPARE(std::get<0>(after[0]), std::get<0>(before[0]));
    QCOMPARE(std::get<2>(after[0]), c.toStdString());
    QCOMPARE(std::get<1>(after[1]), std::string("Path2"));
    QCOMPARE(std::get<2>(after[1]), b.toStdString());
  }

  // Another desk changed the slots while the sheet was open: a row only it
  // changed keeps its folder; a row both changed is asked about, No (the
  // default) keeping the other desk's; the page shows this site.
  void AnotherDesksSlotsAreNeverOverwritten() {
    test::ScopedCurrentDir dir;
    const QString a = Dir(dir, "a"), b = Dir(dir, "b"), c = Dir(dir, "c"), d = Dir(dir, "d");
    Store({{"Path1", a.toStdString()}});
    MainWindow dlg;
    test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
      OpenPaths(*sheet);
      FoldersPage& page = sheet->m_foldersPage;
      QVERIFY(sheet->findChild<QLabel*>(QStringLiteral("siteLabel"))
                  ->text()
                  .contains(QString::fromStdString(CurrentSite())));
      page.PathEdit(1)->setText(c);
      page.Check(3)->click();
      page.PathEdit(3)->setText(d);
      {
        DatabasePtr db = Open();
        db->Execute("UPDATE SETTING SET Val = ?, Version = Version + 1 WHERE Key = 'Path1'",
                    b.toStdString());
        db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path2', ?)", a.toStdString());
      }
      Click(sheet, QDialogButtonBox::Ok);
    });
    dlg.OnSettings();
    QCOMPARE(MessageBox::History().size(), 1u);
    const MessageBox::Shown& question = MessageBox::History().front();
    QCOMPARE(question.text, QStringLiteral("Строка 1 изменена на другом рабочем месте: «%1» — "
                                           "сохранить ваше значение «%2»?")
                                .arg(b, c));
    QCOMPARE(question.defaultButton, QMessageBox::No);
    const auto after = Setting();
    QCOMPARE(after.size(), 3u);
    QCOMPARE(std::get<2>(after[0]), b.toStdString());
    QCOMPARE(std::get<2>(after[1]), a.toStdString());
    QCOMPARE(std::get<2>(after[2]), d.toStdString());
  }

  // Apply saves as OK does, so Cancel afterwards keeps it; an unticked row
  // keeps its path and the sheet stays open unless the operator agrees.
  void ApplySavesAndUntickingAsksBeforeAPathGoes() {
    test::ScopedCurrentDir dir;
    const QString a = Dir(dir, "a"), b = Dir(dir, "b");
    Store({{"Path2", b.toStdString()}});
    MainWindow dlg;
    bool keptOpen = false;
    test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
      OpenPaths(*sheet);
      FoldersPage& page = sheet->m_foldersPage;
      page.Check(1)->click();
      page.PathEdit(1)->setText(a);
      Click(sheet, QDialogButtonBox::Apply);
      page.Check(2)->click();
      Click(sheet, QDialogButtonBox::Ok);  // the question answers No
      keptOpen = sheet->isVisible() && page.PathEdit(2)->text() == b;
      Click(sheet, QDialogButtonBox::Apply);
      Click(sheet, QDialogButtonBox::Cancel);
    });
    dlg.OnSettings();
    QVERIFY(keptOpen);
    QCOMPARE(MessageBox::History().size(), 2u);
    QCOMPARE(Setting().size(), 2u);
    QCOMPARE(std::get<2>(Setting()[0]), a.toStdString());
    QCOMPARE(std::get<2>(Setting()[1]), b.toStdString());
  }

  void CancelLeavesSettingUnchanged() {
    test::ScopedCurrentDir dir;
    const QString a = Dir(dir, "a");
    Store({{"Path1", a.toStdString()}});
    const auto before = Setting();
    MainWindow dlg;
    test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
      sheet->Tabs()->setCurrentIndex(1);
      sheet->m_foldersPage.Check(1)->click();
      sheet->m_foldersPage.Check(4)->click();
      sheet->m_foldersPage.PathEdit(4)->setText(a);
      FileDialog::SetNextDirectory(dir.Path());
      sheet->m_foldersPage.BrowseButton(4)->click();
      Click(sheet, QDialogButtonBox::Cancel);
    });
    dlg.OnSettings();
    QCOMPARE(Setting(), before);
  }

  void EngineErrorEndsTheCommandWithItsDescription() {
    test::ScopedCurrentDir dir;
    Open()->ExecuteScript("DROP TABLE setting");
    MainWindow dlg;
    bool sheetShown = false;
    // Closes the sheet should it open; stops with the test.
    QTimer guard;
    connect(&guard, &QTimer::timeout, [&] {
      if (auto* sheet = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget())) {
        sheetShown = true;
        sheet->reject();
      }
    });
    guard.start(5);
    dlg.OnSettings();
    QVERIFY(!sheetShown);
    QCOMPARE(MessageBox::History().size(), 1u);
    QCOMPARE(MessageBox::History().back().icon, QMessageBox::Critical);
    QVERIFY2(
        MessageBox::History().back().text.contains(QStringLiteral("setting"), Qt::CaseInsensitive),
        qPrintable(MessageBox::History().back().text));
  }

  void MissingFoldersAreReportedOneAtATimeInRowOrder() {
    test::ScopedCurrentDir dir;
    const QString good = Dir(dir, "good");
    SettingsDialog sheet;
    FoldersPage& page = sheet.m_foldersPage;
    page.m_enabled[1] = page.m_enabled[4] = true;
    page.m_path[1] = dir.File(QStringLiteral("missing2"));
    page.m_path[4] = dir.File(QStringLiteral("missing5"));
    // Switched off: never checked.
    page.m_path[6] = dir.File(QStringLiteral("missing7"));
    OpenPaths(sheet);
    QVERIFY(!page.PathEdit(7)->isEnabled());
    sheet.Tabs()->setCurrentIndex(0);

    Click(&sheet, QDialogButtonBox::Ok);
    QVERIFY(sheet.isVisible());
    QCOMPARE(sheet.Tabs()->currentIndex(), 1);
    QCOMPARE(MessageBox::History().size(), 1u);
    const MessageBox::Shown& box = MessageBox::History().back();
    QCOMPARE(box.text,
             QStringLiteral("Строка 2: папка с таким именем не существует:\n") + page.m_path[1]);
    QCOMPARE(box.caption, QString());
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, MessageBox::Buttons(QMessageBox::Ok));
    QCOMPARE(QApplication::focusWidget(), page.PathEdit(2));

    page.PathEdit(2)->setText(good);
    Click(&sheet, QDialogButtonBox::Ok);
    QVERIFY(sheet.isVisible());
    QCOMPARE(MessageBox::History().back().text,
             QStringLiteral("Строка 5: папка с таким именем не существует:\n") + page.m_path[4]);
    QCOMPARE(QApplication::focusWidget(), page.PathEdit(5));

    // A switched-on row with an empty path is refused, naming the row.
    page.PathEdit(5)->setText(QStringLiteral("   "));
    Click(&sheet, QDialogButtonBox::Ok);
    QVERIFY(MessageBox::History().back().text.startsWith(QStringLiteral("Строка 5: ")));
    QCOMPARE(QApplication::focusWidget(), page.PathEdit(5));

    // Unticked rows holding a path (7 here) are asked about.
    page.Check(5)->click();
    MessageBox::SetNextAnswer(QMessageBox::Yes);
    Click(&sheet, QDialogButtonBox::Ok);
    QCOMPARE(MessageBox::History().size(), 4u);
    QVERIFY(!sheet.isVisible());
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(page.m_path[1], good);
    QVERIFY(!page.m_enabled[4]);
  }

  // A path too long to store is refused on the page, and a save the engine
  // refuses keeps the sheet open with the rows.
  void RefusalsKeepTheSheetOpen() {
    test::ScopedCurrentDir dir;
    const QString a = Dir(dir, "a");
    Open()->ExecuteScript(
        "CREATE TRIGGER refuse BEFORE INSERT ON setting BEGIN SELECT RAISE(ABORT, 'refused'); END");
    MainWindow dlg;
    bool keptOpen = false;
    test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
      sheet->Tabs()->setCurrentIndex(1);
      FoldersPage& page = sheet->m_foldersPage;
      page.Check(4)->click();
      page.PathEdit(4)->setText(a);
      FileDialog::SetNextDirectory(a + u'/' + QString(260, u'д'));
      page.BrowseButton(4)->click();
      const bool longRefused = page.PathEdit(4)->text() == a &&
                               MessageBox::History().size() == 1u &&
                               MessageBox::History().back().text.startsWith(u"Строка 4: ");
      Click(sheet, QDialogButtonBox::Ok);
      keptOpen = longRefused && sheet->isVisible() && page.PathEdit(4)->text() == a;
      Open()->ExecuteScript("DROP TRIGGER refuse");
      Click(sheet, QDialogButtonBox::Ok);
    });
    dlg.OnSettings();
    QVERIFY(keptOpen);
    QCOMPARE(MessageBox::History().size(), 2u);
    QVERIFY(MessageBox::History().back().text.startsWith(
        QStringLiteral("Ошибка базы данных; настройки не сохранены")));
    QCOMPARE(Setting().size(), 1u);
    QCOMPARE(std::get<2>(Setting().front()), a.toStdString());
  }

  void PageNeverOpenedKeepsItsValues() {
    test::ScopedCurrentDir dir;
    SettingsDialog sheet;
    sheet.m_foldersPage.m_enabled[0] = true;
    sheet.m_foldersPage.m_path[0] = QStringLiteral("/no/such/folder");
    sheet.show();
    Click(&sheet, QDialogButtonBox::Ok);
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QVERIFY(MessageBox::History().empty());
    QCOMPARE(sheet.m_foldersPage.m_path[0], QStringLiteral("/no/such/folder"));
  }

  void CheckBoxesGreyTheirRowAndMarkTheSheetModified() {
    test::ScopedCurrentDir dir;
    SettingsDialog sheet;
    FoldersPage& page = sheet.m_foldersPage;
    page.m_enabled[2] = true;
    page.m_path[2] = QStringLiteral("/srv/three");
    OpenPaths(sheet);
    QPushButton* apply = sheet.Buttons()->button(QDialogButtonBox::Apply);
    QVERIFY(!apply->isEnabled());
    QVERIFY(!sheet.Buttons()->button(QDialogButtonBox::Help)->isEnabled());

    page.Check(3)->click();
    QVERIFY(!page.PathEdit(3)->isEnabled());
    QVERIFY(!page.BrowseButton(3)->isEnabled());
    QCOMPARE(page.PathEdit(3)->text(), QStringLiteral("/srv/three"));
    QVERIFY(apply->isEnabled());

    page.Check(3)->click();
    QVERIFY(page.PathEdit(3)->isEnabled());
    QVERIFY(page.BrowseButton(3)->isEnabled());
    QCOMPARE(page.PathEdit(3)->text(), QStringLiteral("/srv/three"));
    QCOMPARE(QApplication::focusWidget(), page.PathEdit(3));
  }

  void FolderChoiceKeepsTextTypedInOtherRows() {
    test::ScopedCurrentDir dir;
    const QString chosen = Dir(dir, "chosen");
    SettingsDialog sheet;
    FoldersPage& page = sheet.m_foldersPage;
    page.m_enabled[0] = page.m_enabled[2] = true;
    page.m_path[0] = QStringLiteral("/old");
    OpenPaths(sheet);
    page.PathEdit(3)->setText(QStringLiteral("/typed"));

    FileDialog::SetNextDirectory(QString());  // cancelled
    page.BrowseButton(1)->click();
    QCOMPARE(page.PathEdit(1)->text(), QStringLiteral("/old"));
    QVERIFY(!sheet.Buttons()->button(QDialogButtonBox::Apply)->isEnabled());

    FileDialog::SetNextDirectory(chosen);
    page.BrowseButton(1)->click();
    QCOMPARE(page.PathEdit(1)->text(), chosen);
    QCOMPARE(page.PathEdit(3)->text(), QStringLiteral("/typed"));
    QVERIFY(sheet.Buttons()->button(QDialogButtonBox::Apply)->isEnabled());
    QCOMPARE(QDir::currentPath(), dir.Path());

    // Apply checks the page and leaves the sheet open.
    page.PathEdit(3)->setText(chosen);
    Click(&sheet, QDialogButtonBox::Apply);
    QVERIFY(sheet.isVisible());
    QVERIFY(MessageBox::History().empty());
    QVERIFY(!sheet.Buttons()->button(QDialogButtonBox::Apply)->isEnabled());
  }

  // Rows past ten come and go as stored; a pattern says what it matches and
  // is accepted even when it matches nothing.
  void RowsPastTenAndPatterns() {
    test::ScopedCurrentDir dir;
    for (const char* name : {"office/a", "office/b", "office/c"}) Dir(dir, name);
    const QString pattern = dir.File(QStringLiteral("office/*"));
    Store({{"Path12", pattern.toStdString()}});
    MainWindow dlg;
    QStringList shown;
    bool keptWidth = false, hintBelow = false;
    test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
      sheet->Tabs()->setCurrentIndex(1);
      FoldersPage& page = sheet->m_foldersPage;
      shown << QString::number(page.RowCount()) << page.PathEdit(12)->text()
            << page.MatchLabel(12)->text() << page.MatchLabel(1)->text();
      sheet->findChild<QPushButton*>(QStringLiteral("addRowButton"))->click();
      // What a pattern matches shows after a pause in typing, here none.
      page.findChild<QTimer*>(QStringLiteral("matchTimer"))->setInterval(0);
      QTest::qWait(50);
      const int width = page.PathEdit(13)->width();
      QTest::keyClicks(page.PathEdit(13), dir.File(QStringLiteral("nobody/*")));
      QTRY_COMPARE(page.MatchLabel(13)->text(), QStringLiteral("шаблон: папок нет"));
      // The count takes no room from the path.
      QTest::qWait(50);
      keptWidth = page.PathEdit(13)->width() == width;
      // The note on patterns comes after the last row, in a small sheet too.
      sheet->resize(sheet->minimumSize());
      QTest::qWait(50);
      const auto* hint = page.findChild<QLabel*>(QStringLiteral("patternHint"));
      hintBelow = hint->parentWidget() == page.PathEdit(13)->parentWidget() &&
                  hint->geometry().top() > page.PathEdit(13)->geometry().bottom();
      Click(sheet, QDialogButtonBox::Ok);
    });
    dlg.OnSettings();
    QVERIFY(keptWidth);
    QVERIFY(hintBelow);
    QCOMPARE(shown, (QStringList{QStringLiteral("12"), pattern, QStringLiteral("шаблон, папок: 3"),
                                 QString()}));
    QVERIFY(MessageBox::History().empty());
    const auto after = Setting();
    QCOMPARE(after.size(), 2u);
    QCOMPARE(std::get<1>(after[0]), std::string("Path12"));
    QCOMPARE(std::get<1>(after[1]), std::string("Path13"));
    QCOMPARE(std::get<2>(after[1]), dir.File(QStringLiteral("nobody/*")).toStdString());
  }

  // The General page holds real settings: the office title and the quiet
  // period in the database, the language for this user.
  void GeneralPageKeepsItsSettings() {
    test::ScopedCurrentDir dir;
    Open();
    MainWindow dlg;
    test::WhenModal<SettingsDialog>([&](SettingsDialog* sheet) {
      GeneralPage& page = sheet->m_generalPage;
      QCOMPARE(page.QuietSpin()->value(), kDefaultQuietPeriod);
      QVERIFY(page.QuietSpin()->isEnabled() && page.OfficeEdit()->isEnabled());
      QTest::keyClicks(page.OfficeEdit(), QStringLiteral("ACME"));
      QVERIFY(sheet->Buttons()->button(QDialogButtonBox::Apply)->isEnabled());
      page.QuietSpin()->setValue(120);
      page.LanguageCombo()->setCurrentIndex(page.LanguageCombo()->findData(QStringLiteral("en")));
      Click(sheet, QDialogButtonBox::Apply);
      Click(sheet, QDialogButtonBox::Cancel);
    });
    dlg.OnSettings();
    DatabasePtr db = Open();
    QCOMPARE(LoadOfficeTitle(*db), std::string("ACME"));
    QCOMPARE(QuietPeriodSetting(*db), 120);
    QCOMPARE(StoredLanguage(), QStringLiteral("en"));
    StoreLanguage(QString());
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::SettingsDialogTest)
#include "settings_dialog_test.moc"
