#include "gui/mainwindow/main_window.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QtTest>

#include "gui/mainwindow/new_database_dialog.h"
#include "gui/mainwindow/person_editor.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/photo_view.h"
#include "gui/widgets/table_view.h"
#include "gui/widgets/window_state.h"
#include "intake/folder_sweep.h"
#include "stats/period_queries.h"
#include "store/people.h"
#include "test_util.h"
#include "text/login_key.h"

namespace vornal {

class MainWindowTest : public QObject {
  Q_OBJECT

  static QString Label(MainWindow& dlg, const char* name) {
    return dlg.findChild<QLabel*>(QString::fromLatin1(name))->text();
  }
  static bool Enabled(MainWindow& dlg, const char* name) {
    return dlg.findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled();
  }
  static QStringList Labels(MainWindow& dlg) {
    return {Label(dlg, "nameLabel"), Label(dlg, "ageLabel"), Label(dlg, "profLabel"),
            Label(dlg, "telLabel"), Label(dlg, "emailLabel")};
  }
  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const Person& person : LoadPeople(*OpenDatabase(kDatabaseFile)))
      names.push_back(person.values.name);
    return names;
  }
  static void AddPeople(std::initializer_list<PersonValues> people) {
    DatabasePtr db;
    if (QFile::exists(QString::fromLatin1(kDatabaseFile)))
      db = OpenDatabase(kDatabaseFile);
    else
      db = test::MakeDatabase(kDatabaseFile);
    for (const auto& person : people) InsertPerson(*db, person);
  }
  // Types any text, one key per character (keyClicks takes Latin-1 only).
  static void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text)
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  // The list as shown: rows from 0, after the search and in the order chosen.
  static int Rows(MainWindow& dlg) { return dlg.Grid()->model()->rowCount(); }
  static QString Cell(MainWindow& dlg, int row, int column) {
    return dlg.Grid()->model()->index(row, column).data().toString();
  }
  static QString Heading(MainWindow& dlg, int column) {
    return dlg.Grid()->model()->headerData(column, Qt::Horizontal).toString();
  }
  static void ClickRow(MainWindow& dlg, int row) {
    TableView* grid = dlg.Grid();
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  }

 private Q_SLOTS:
  // Dates as the Russian choice shows them.
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
  }
  void cleanup() { test::CheckNoHookLeft(); }

  void FirstStartCreatesAnEmptyDatabaseAfterTheNotice() {
    test::ScopedCurrentDir dir;
    bool noticed = false;
    test::WhenModal<NewDatabaseDialog>([&](NewDatabaseDialog* notice) {
      noticed = notice->findChild<QLabel*>(QStringLiteral("notCreatedLabel"))->text() ==
                QStringLiteral("База даных не создана!");
      notice->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    MainWindow dlg;
    QVERIFY(noticed);
    QVERIFY(MessageBox::History().empty());
    QVERIFY(QFile::exists(dir.File("base.mdb")));
    QVERIFY(Names().empty());

    QCOMPARE(dlg.windowTitle(), QStringLiteral("Vornal"));
    QCOMPARE(Rows(dlg), 0);
    QCOMPARE(Heading(dlg, 1), QStringLiteral("ФИО"));
    QCOMPARE(dlg.Grid()->ShownEmptyText(), QStringLiteral("Нет данных"));
    QVERIFY(!Enabled(dlg, "editButton"));
    QVERIFY(!Enabled(dlg, "deleteButton"));
    QVERIFY(!Enabled(dlg, "statisticsButton"));
    QVERIFY(Enabled(dlg, "addButton"));
    QCOMPARE(Labels(dlg), (QStringList{QStringLiteral("ФИО"), QStringLiteral("Возраст"),
                                       QStringLiteral("Профессия"), QStringLiteral("Телефон"),
                                       QStringLiteral("e-mail")}));
    QCOMPARE(dlg.Photo()->Buffer().pixel(5, 5), qRgb(128, 128, 128));

    // A double click on the empty list starts no editor.
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseDClick(dlg.Grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QVERIFY(MessageBox::History().empty());
  }

  void DecliningTheNoticeCreatesNothing() {
    test::ScopedCurrentDir dir;
    // Esc means "not now": asked once, told what became of it and how to
    // create the database later.
    test::WhenModal<NewDatabaseDialog>(
        [](NewDatabaseDialog* notice) { QTest::keyClick(notice, Qt::Key_Escape); });
    MainWindow dlg;
    QVERIFY(!QFile::exists(dir.File("base.mdb")));
    QVERIFY(dlg.DatabaseDeclined());
    QCOMPARE(MessageBox::History().size(), 1u);
    const auto& shown = MessageBox::History().front();
    QVERIFY(shown.text.startsWith(QStringLiteral("База данных не создана")));
    QVERIFY(shown.text.contains(QStringLiteral("запустите программу снова")));
    QCOMPARE(shown.icon, QMessageBox::Information);
  }

  // Rows collected into a database without people are everybody's and
  // unknown logins' statistics.
  void StatisticsOpenForRowsWithoutPeople() {
    test::ScopedCurrentDir dir;
    test::MakeDatabase(kDatabaseFile)
        ->Execute(
            "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, "
            "?, ?)",
            std::string("ghost"), LoginKey("ghost"), std::string("StopWork"),
            *DateTime::FromIso("2020-01-02 09:00:00"), *DateTime::FromIso("2020-01-02 10:00:00"));
    MainWindow dlg;
    QCOMPARE(Rows(dlg), 0);
    QVERIFY(Enabled(dlg, "statisticsButton"));
  }

  void AddingTheFirstPersonEnablesTheButtonsAndShowsThePerson() {
    test::ScopedCurrentDir dir;
    AddPeople({});
    MainWindow dlg;
    test::WhenModal<PersonEditor>([](PersonEditor* editor) {
      QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->text(), QString());
      QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("nameEdit")),
                       QStringLiteral("O'Hara  "));
      QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("loginEdit")),
                       QStringLiteral("ohara"));
      QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("ageEdit")),
                       QStringLiteral("-3"));
      editor->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    dlg.OnAdd();
    QCOMPARE(Names(), (std::vector<std::string>{"O'Hara  "}));
    QVERIFY(Enabled(dlg, "editButton"));
    QVERIFY(Enabled(dlg, "deleteButton"));
    QVERIFY(Enabled(dlg, "statisticsButton"));
    QCOMPARE(Rows(dlg), 1);
    QCOMPARE(Cell(dlg, 0, 1), QStringLiteral(" O'Hara  "));
    QCOMPARE(Cell(dlg, 0, 2), QStringLiteral(" ohara"));
    QCOMPARE(Labels(dlg), (QStringList{QStringLiteral("O'Hara  "), QStringLiteral("-3"), QString(),
                                       QString(), QString()}));
    QVERIFY(MessageBox::History().empty());
  }

  void EditorGetsTrimmedValuesAndCancelStillRefreshes() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Ann  ", "30", "Cook", "", "ann", "1", "a@x"}});
    MainWindow dlg;
    test::WhenModal<PersonEditor>([](PersonEditor* editor) {
      QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->text(),
               QStringLiteral("Ann"));
      QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("profEdit"))->text(),
               QStringLiteral("Cook"));
      editor->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Bob"));
      // Someone else adds a person while the editor is open.
      AddPeople({{"Cid", "", "", "", "cid", "", ""}});
      editor->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    });
    dlg.OnEdit();
    QCOMPARE(Names(), (std::vector<std::string>{"Ann  ", "Cid"}));
    QCOMPARE(Rows(dlg), 2);
    QCOMPARE(Cell(dlg, 1, 1), QStringLiteral(" Cid"));

    test::WhenModal<PersonEditor>([](PersonEditor* editor) {
      editor->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Bob"));
      editor->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    dlg.OnEdit();
    QCOMPARE(Names(), (std::vector<std::string>{"Bob", "Cid"}));
  }

  void DeleteAsksFirstAndKeepsTheSelectionInTheList() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Ann", "30", "", "", "ann", "", ""}, {"Bob", "40", "", "", "bob", "", ""}});
    MainWindow dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    ClickRow(dlg, 1);
    QCOMPARE(dlg.SelectedId(), std::optional<std::int64_t>(2));
    QCOMPARE(Label(dlg, "nameLabel"), QStringLiteral("Bob"));

    MessageBox::SetNextAnswer(QMessageBox::Cancel);
    dlg.OnDelete();
    QCOMPARE(Names(), (std::vector<std::string>{"Ann", "Bob"}));
    QCOMPARE(MessageBox::History().size(), 1u);
    const auto& question = MessageBox::History().back();
    QCOMPARE(question.text,
             QStringLiteral("Вы действительно хотите удалить эту запись?\nBob (ID 2, bob)"));
    QCOMPARE(question.caption, QStringLiteral("Удаление"));
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(question.defaultButton, QMessageBox::Cancel);

    MessageBox::SetNextAnswer(QMessageBox::Ok);
    dlg.OnDelete();
    QCOMPARE(Names(), (std::vector<std::string>{"Ann"}));
    QCOMPARE(dlg.SelectedId(), std::optional<std::int64_t>(1));
    QCOMPARE(dlg.Grid()->currentIndex().row(), 0);
    QCOMPARE(Label(dlg, "nameLabel"), QStringLiteral("Ann"));
    QCOMPARE(MessageBox::History().size(), 2u);
  }

  // The list's keys and context menu run the commands; a person whose work
  // rows exist is not removed, since a removal could not be undone.
  void ListKeysAndMenuRunTheCommands() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Ann", "30", "", "", "ann", "", ""}, {"Bob", "40", "", "", "bob", "", ""}});
    OpenDatabase(kDatabaseFile)
        ->Execute(
            "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, "
            "?, ?)",
            std::string("Ann"), LoginKey("Ann"), std::string("StopWork"),
            *DateTime::FromIso("2020-01-02 09:00:00"), *DateTime::FromIso("2020-01-02 10:00:00"));
    MainWindow dlg;
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QVERIFY(!QKeySequence::mnemonic(
                 dlg.findChild<QPushButton*>(QStringLiteral("processButton"))->text())
                 .isEmpty());
    QCOMPARE(dlg.Grid()->actions().size(), 3);
    ClickRow(dlg, 0);
    QTest::keyClick(dlg.Grid(), Qt::Key_Delete);
    QCOMPARE(Names().size(), 2u);
    QCOMPARE(MessageBox::History().size(), 1u);
    QVERIFY(MessageBox::History().back().text.startsWith(
        QStringLiteral("Запись Ann (ID 1, ann) не удалена")));

    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_F2, Qt::Key_Insert}) {
      bool opened = false;
      test::WhenModal<PersonEditor>([&](PersonEditor* editor) {
        opened = true;
        editor->reject();
      });
      // The editor closed, the list has the focus again.
      dlg.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&dlg));
      dlg.Grid()->setFocus();
      QTest::keyClick(dlg.Grid(), key);
      QVERIFY(opened);
    }
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    dlg.Grid()->setFocus();
    QTest::keyClick(dlg.Grid(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), dlg.findChild<QLineEdit*>(QStringLiteral("searchEdit")));
  }

  // An over-long entry is cut at its column while typed; a refused save
  // keeps the editor open with everything typed; nothing is lost.
  void RefusalsKeepTheEditorOpenWithTheTypedValues() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Ann", "30", "", "", "ann", "", ""}});
    {
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      db->ExecuteScript(
          "CREATE TRIGGER refuse BEFORE UPDATE ON human BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }
    MainWindow dlg;
    const QString name(132, u'Я');
    bool keptOpen = false;
    test::WhenModal<PersonEditor>([&](PersonEditor* editor) {
      auto* nameEdit = editor->findChild<QLineEdit*>(QStringLiteral("nameEdit"));
      nameEdit->clear();
      Type(nameEdit, name);
      Type(editor->findChild<QLineEdit*>(QStringLiteral("profEdit")), name);
      editor->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
      keptOpen = editor->isVisible() && nameEdit->text() == name.left(100);
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      db->ExecuteScript("DROP TRIGGER refuse");
      editor->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    dlg.OnEdit();
    QVERIFY(keptOpen);
    QCOMPARE(MessageBox::History().size(), 1u);
    const MessageBox::Shown& refused = MessageBox::History().back();
    QCOMPARE(refused.icon, QMessageBox::Critical);
    QVERIFY2(refused.text.startsWith(QStringLiteral("Ошибка базы данных; запись не сохранена")),
             qPrintable(refused.text));
    QVERIFY(refused.text.endsWith(QStringLiteral("\n\nrefused")));
    QCOMPARE(Names(), std::vector<std::string>{name.left(100).toStdString()});
    QCOMPARE(Label(dlg, "profLabel"), name.left(50));
  }

  // A login another person has, in any letter case, is saved only when the
  // operator says so; the person's own login asks nothing.
  void DuplicateLoginAsksFirst() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Иванов Иван  ", "", "", "", "ivanov", "", ""}});
    MainWindow dlg;
    test::WhenModal<PersonEditor>([](PersonEditor* editor) {
      editor->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    dlg.OnEdit();
    QVERIFY(MessageBox::History().empty());

    bool keptOpen = false;
    test::WhenModal<PersonEditor>([&](PersonEditor* editor) {
      Type(editor->findChild<QLineEdit*>(QStringLiteral("nameEdit")), QStringLiteral("Другой"));
      auto* login = editor->findChild<QLineEdit*>(QStringLiteral("loginEdit"));
      QTest::keyClicks(login, QStringLiteral("IVANOV"));
      auto* ok = editor->findChild<QPushButton*>(QStringLiteral("okButton"));
      ok->click();  // answered with the default, No
      keptOpen = editor->isVisible() && editor->focusWidget() == login;
      MessageBox::SetNextAnswer(QMessageBox::Yes);
      ok->click();
    });
    dlg.OnAdd();
    QVERIFY(keptOpen);
    QCOMPARE(MessageBox::History().size(), 2u);
    const MessageBox::Shown& question = MessageBox::History().front();
    QCOMPARE(question.text,
             QStringLiteral("Логин IVANOV уже есть у Иванов Иван (ivanov): сохранить всё равно?"));
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(Names(), (std::vector<std::string>{"Иванов Иван", "Другой"}));
  }

  // Another desk changed the person while this editor was open: a field
  // only the other desk changed keeps its value; one both changed is asked
  // about ("Телефон изменён на другом рабочем месте: …"), No (the default)
  // keeping the other desk's, Yes this editor's.
  void AnotherDesksChangeIsNeverOverwritten() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Иванов Иван", "", "", "", "ivanov", "", ""}});
    MainWindow dlg;
    const auto otherDesk = [](const std::string& tel, const std::string& email) {
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      PersonValues person = *ReadPerson(*db, 1);
      person.tel = tel;
      person.email = email;
      UpdatePerson(*db, 1, person);
    };
    const auto edit = [&](const char* field, const QString& text, auto meanwhile) {
      test::WhenModal<PersonEditor>([&](PersonEditor* editor) {
        auto* line = editor->findChild<QLineEdit*>(QString::fromLatin1(field));
        line->clear();
        Type(line, text);
        meanwhile();
        editor->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
      });
      dlg.OnEdit();
    };
    edit("emailEdit", QStringLiteral("i@example.org"), [&] { otherDesk("555", ""); });
    QVERIFY(MessageBox::History().empty());
    QCOMPARE(Labels(dlg)[3], QStringLiteral("555"));
    QCOMPARE(Labels(dlg)[4], QStringLiteral("i@example.org"));

    edit("telEdit", QStringLiteral("777"), [&] { otherDesk("666", "i@example.org"); });
    QCOMPARE(MessageBox::History().size(), 1u);
    const MessageBox::Shown& question = MessageBox::History().front();
    QCOMPARE(question.text, QStringLiteral("Телефон изменён на другом рабочем месте: «666» — "
                                           "сохранить ваше значение «777»?"));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(Labels(dlg)[3], QStringLiteral("666"));

    MessageBox::SetNextAnswer(QMessageBox::Yes);
    edit("telEdit", QStringLiteral("888"), [&] { otherDesk("", "e@example.org"); });
    QCOMPARE(MessageBox::History().back().text,
             QStringLiteral("Телефон изменён на другом рабочем месте: (пусто) — сохранить ваше "
                            "значение «888»?"));
    QCOMPARE(Labels(dlg)[3], QStringLiteral("888"));
    QCOMPARE(Labels(dlg)[4], QStringLiteral("e@example.org"));
  }

  // The search keeps the people whose name or login holds the text, a click
  // on a header sorts, and a clicked row shows its own person wherever it
  // stands in the list.
  void SearchAndHeaderSortShowTheClickedPerson() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Петров Пётр", "30", "Повар", "", "petrov", "", ""},
               {"Анна Белова", "40", "Врач", "", "anna", "", ""},
               {"Иван Петренко", "50", "Токарь", "", "ivan", "", ""}});
    MainWindow dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const auto names = [&dlg] {
      QStringList column;
      for (int row = 0; row < Rows(dlg); ++row) column << Cell(dlg, row, 1).trimmed();
      return column;
    };
    auto* search = dlg.findChild<QLineEdit*>(QStringLiteral("searchEdit"));
    Type(search, QStringLiteral("ПЕТР"));
    QCOMPARE(names(),
             (QStringList{QStringLiteral("Петров Пётр"), QStringLiteral("Иван Петренко")}));
    ClickRow(dlg, 1);
    QCOMPARE(Labels(dlg), (QStringList{QStringLiteral("Иван Петренко"), QStringLiteral("50"),
                                       QStringLiteral("Токарь"), QString(), QString()}));
    // ё and е alike, both ways.
    search->clear();
    Type(search, QStringLiteral("в петр"));
    QCOMPARE(names(), QStringList{QStringLiteral("Петров Пётр")});
    search->clear();
    Type(search, QStringLiteral("БЁЛ"));
    QCOMPARE(names(), QStringList{QStringLiteral("Анна Белова")});
    search->clear();
    Type(search, QStringLiteral("Ann"));
    QCOMPARE(names(), QStringList{QStringLiteral("Анна Белова")});
    QCOMPARE(Label(dlg, "nameLabel"), QStringLiteral("Анна Белова"));
    Type(search, QStringLiteral("x"));
    QCOMPARE(names(), QStringList());
    QVERIFY(!Enabled(dlg, "editButton"));
    QVERIFY(Enabled(dlg, "statisticsButton"));
    search->clear();

    QHeaderView* header = dlg.Grid()->horizontalHeader();
    const auto clickHeader = [header](int column) {
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    clickHeader(1);
    QCOMPARE(names(), (QStringList{QStringLiteral("Анна Белова"), QStringLiteral("Иван Петренко"),
                                   QStringLiteral("Петров Пётр")}));
    clickHeader(1);
    QCOMPARE(names(), (QStringList{QStringLiteral("Петров Пётр"), QStringLiteral("Иван Петренко"),
                                   QStringLiteral("Анна Белова")}));
    ClickRow(dlg, 2);
    QCOMPARE(Label(dlg, "nameLabel"), QStringLiteral("Анна Белова"));
    clickHeader(0);
    QCOMPARE(names(), (QStringList{QStringLiteral("Петров Пётр"), QStringLiteral("Анна Белова"),
                                   QStringLiteral("Иван Петренко")}));
  }

  // Another desk adds, changes and removes people: the list follows at its
  // next look, in the order chosen, keeping the chosen person, and every
  // row shows its own person's details.
  void TheListFollowsAnotherDesk() {
    test::ScopedCurrentDir dir;
    AddPeople(
        {{"Ann", "30", "Cook", "", "ann", "", ""}, {"Bob", "40", "Smith", "", "bob", "", ""}});
    MainWindow dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QHeaderView* header = dlg.Grid()->horizontalHeader();
    header->setSortIndicator(1, Qt::DescendingOrder);
    ClickRow(dlg, 0);
    QCOMPARE(Label(dlg, "nameLabel"), QStringLiteral("Bob"));
    {
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      InsertPerson(*db, {"Cid", "50", "Driver", "", "cid", "", ""});
      UpdatePerson(*db, 2, {"Bert", "41", "Smith", "", "bob", "", ""});
    }
    dlg.FollowChanges();
    QCOMPARE(Rows(dlg), 3);
    QCOMPARE(Cell(dlg, 0, 1), QStringLiteral(" Cid"));
    QCOMPARE(dlg.SelectedId(), std::optional<std::int64_t>(2));
    QCOMPARE(Labels(dlg)[0], QStringLiteral("Bert"));
    QCOMPARE(Labels(dlg)[1], QStringLiteral("41"));
    for (int row = 0; row < Rows(dlg); ++row) {
      ClickRow(dlg, row);
      QCOMPARE(u' ' + Label(dlg, "nameLabel"), Cell(dlg, row, 1));
      QCOMPARE(dlg.SelectedId(), std::optional<std::int64_t>(Cell(dlg, row, 0).toLongLong()));
    }
    ClickRow(dlg, 1);
    {
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      DeletePerson(*db, 2);
    }
    dlg.FollowChanges();
    QCOMPARE(Rows(dlg), 2);
    QCOMPARE(Label(dlg, "nameLabel"), QStringLiteral("Ann"));
  }

  // The list grows with the window while the photo and the buttons keep to
  // their edges; size and column widths come back at the next start.
  void ResizingGrowsTheListAndTheSizeIsRemembered() {
    test::ScopedCurrentDir dir;
    AddPeople({});
    QSettings(QStringLiteral("Vornal"), QStringLiteral("vornal")).clear();
    const QSize growth(300, 200);
    QSize size;
    {
      MainWindow dlg;
      dlg.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dlg));
      auto* edit = dlg.findChild<QPushButton*>(QStringLiteral("editButton"));
      const QRect grid = dlg.Grid()->geometry();
      const QRect photo = dlg.Photo()->geometry();
      const QRect button = edit->geometry();
      size = dlg.size() + growth;
      dlg.resize(size);
      QTRY_COMPARE(dlg.Grid()->geometry(), grid.adjusted(0, 0, growth.width(), growth.height()));
      QCOMPARE(dlg.Photo()->geometry(), photo.translated(growth.width(), 0));
      QCOMPARE(edit->geometry(), button.translated(0, growth.height()));
      dlg.Grid()->setColumnWidth(1, 250);
      dlg.close();
    }
    {
      MainWindow again;
      QCOMPARE(again.size(), SizeOnScreen(&again, size));
      QCOMPARE(again.Grid()->columnWidth(1), 250);
    }
    // A size saved on a larger screen or at a smaller scale comes back
    // within this screen, its frame included.
    QSettings(QStringLiteral("Vornal"), QStringLiteral("vornal"))
        .setValue(QStringLiteral("MainWindow/size"), QSize(5000, 4000));
    MainWindow huge;
    const QSize room = huge.screen()->availableGeometry().size();
    QVERIFY(huge.width() < room.width() || huge.width() == huge.minimumSizeHint().width());
    QVERIFY(huge.height() < room.height());
    QSettings(QStringLiteral("Vornal"), QStringLiteral("vornal")).clear();
  }

  void EscDoesNotCloseTheMainWindow() {
    test::ScopedCurrentDir dir;
    AddPeople({});
    MainWindow dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isVisible());
  }

  // At work since the night shift began, gone home, silent for longer than
  // five minutes before the latest event, never seen.
  void StateColumnShowsWhoIsAtWork() {
    test::ScopedCurrentDir dir;
    AddPeople({{"Петров", "", "", "", "PETROV", "", ""},
               {"Иванов", "", "", "", "ivanov", "", ""},
               {"Костин", "", "", "", "kostin", "", ""},
               {"Сидоров", "", "", "", "sidorov", "", ""}});
    {
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      for (const char* name : {"office_a.buf", "office_b.buf"}) {
        QFile::copy(QStringLiteral(VORNAL_TEST_DATA "/intake/") + QString::fromLatin1(name),
                    dir.File(QStringLiteral("main.buf")));
        QVERIFY(ProcessBufferFile(*db, dir.File(QStringLiteral("main.buf")).toStdString()));
      }
    }
    MainWindow dlg;
    QCOMPARE(Heading(dlg, 4), QStringLiteral("Состояние"));
    QCOMPARE(Cell(dlg, 0, 4), QStringLiteral(" на работе с 06.10 22:00"));
    QCOMPARE(Cell(dlg, 1, 4), QStringLiteral(" был 07.10 17:02"));
    QCOMPARE(Cell(dlg, 2, 4), QStringLiteral(" был 07.10 17:28"));
    QCOMPARE(Cell(dlg, 3, 4), QString());
    // The longest state shows whole, not cut with an ellipsis.
    QVERIFY(dlg.Grid()->ShowsWhole(dlg.Grid()->model()->index(0, 4)));
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::MainWindowTest)
#include "main_window_test.moc"
