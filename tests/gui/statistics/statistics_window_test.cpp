#include "gui/statistics/statistics_window.h"
#include "text/login_key.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "gui/mainwindow/main_window.h"
#include "gui/statistics/listing_model.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/table_view.h"
#include "store/people.h"
#include "test_util.h"

namespace vornal {

class StatisticsWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::ScopedCurrentDir> m_dir;
  DatabasePtr m_db;

  void Log(const std::string& login, const char* event, const DateTime& begin,
           const DateTime& end) {
    m_db->Execute(
        "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
        login, LoginKey(login), std::string(event), begin, end);
  }
  void Log(const std::string& login, const char* event, const char* begin, const char* end) {
    Log(login, event, *DateTime::FromIso(begin), *DateTime::FromIso(end));
  }

  // Runs the window on the test database and checks it while it is open.
  void WhileOpen(const std::function<void(StatisticsWindow&)>& check) {
    bool ran = false;
    test::WhenModal<StatisticsWindow>([&](StatisticsWindow* window) {
      ran = true;
      check(*window);
      window->accept();
    });
    StatisticsWindow dialog;
    dialog.Exec(m_db.get());
    QVERIFY(ran);
  }

  static QTreeWidget* Tree(StatisticsWindow& dlg) {
    return dlg.findChild<QTreeWidget*>(QStringLiteral("tree"));
  }
  static QComboBox* Combo(StatisticsWindow& dlg) {
    return dlg.findChild<QComboBox*>(QStringLiteral("comboUsers"));
  }
  static TableView* Grid(StatisticsWindow& dlg) {
    return dlg.findChild<TableView*>(QStringLiteral("gridStat"));
  }
  static QPushButton* Button(StatisticsWindow& dlg, const char* name) {
    return dlg.findChild<QPushButton*>(QString::fromLatin1(name));
  }
  // The listing as shown, rows from 0, and its headings.
  static QString Cell(const StatisticsWindow& dlg, int row, int column) {
    return dlg.Listing().index(row, column).data().toString();
  }
  static QStringList Row(const StatisticsWindow& dlg, int row) {
    QStringList texts;
    for (int col = 0; col < dlg.Listing().columnCount(); ++col) texts << Cell(dlg, row, col);
    return texts;
  }
  static QStringList Headings(const StatisticsWindow& dlg) {
    QStringList texts;
    for (int col = 0; col < dlg.Listing().columnCount(); ++col)
      texts << dlg.Listing().headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
    return texts;
  }
  static int Rows(const StatisticsWindow& dlg) { return dlg.Listing().rowCount(); }
  static QStringList Texts(const QTreeWidgetItem* parent) {
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i) texts << parent->child(i)->text(0);
    return texts;
  }
  static QStringList TopTexts(QTreeWidget* tree) { return Texts(tree->invisibleRootItem()); }
  static QTreeWidgetItem* Find(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
      if (parent->child(i)->text(0) == text) return parent->child(i);
    return nullptr;
  }
  static void Select(StatisticsWindow& dlg, QTreeWidgetItem* node) {
    QVERIFY(node);
    Tree(dlg)->setCurrentItem(node);
  }
  // The whole of the first listed row, and nothing else, is selected.
  static bool FirstRowSelected(TableView* grid) {
    const QModelIndexList selected = grid->selectionModel()->selectedIndexes();
    if (selected.size() != grid->model()->columnCount()) return false;
    for (const QModelIndex& index : selected)
      if (index.row() != 0) return false;
    return true;
  }

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
    m_dir = std::make_unique<test::ScopedCurrentDir>();
    m_db = test::MakeDatabase(kDatabaseFile);
  }
  void cleanup() {
    test::CheckNoHookLeft();
    m_db.reset();
    m_dir.reset();
  }

  void EmptyLogsShowOneNodeAndTheStoredGridDesign() {
    InsertPerson(*m_db, {"Петров Пётр  ", "", "", "", "petrov ", "", ""});
    WhileOpen([](StatisticsWindow& dlg) {
      QCOMPARE(dlg.windowTitle(), QStringLiteral("Статистика"));
      // The tree on the left, the person list above the listing, the
      // buttons under everything.
      QVERIFY(Tree(dlg)->geometry().right() < Grid(dlg)->x());
      QVERIFY(Combo(dlg)->geometry().bottom() < Grid(dlg)->y());
      QVERIFY(Grid(dlg)->geometry().bottom() < Button(dlg, "closeButton")->y());
      QVERIFY(Button(dlg, "closeButton")->isDefault());
      QVERIFY(!Button(dlg, "helpButton")->isEnabled());
      QVERIFY(Button(dlg, "viewButton")->isVisible());
      QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("staticTotal"))->isVisible());
      QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("staticWorked"))->isVisible());

      QComboBox* combo = Combo(dlg);
      QCOMPARE(combo->count(), 2);
      QCOMPARE(combo->currentText(), QStringLiteral("--- Выберите пользователя ---"));
      QCOMPARE(combo->itemText(1), QStringLiteral("1. Петров Пётр (petrov)"));

      QTreeWidget* tree = Tree(dlg);
      QCOMPARE(TopTexts(tree), QStringList{QStringLiteral("База данных пуста")});
      QCOMPARE(tree->topLevelItem(0)->data(0, Qt::UserRole), QVariant(-13));
      QCOMPARE(tree->currentItem(), nullptr);

      // No highlighted blank row: the headings over "Нет данных".
      TableView* grid = Grid(dlg);
      QCOMPARE(Rows(dlg), 0);
      QCOMPARE(grid->ShownEmptyText(), QStringLiteral("Нет данных"));
      QCOMPARE(Headings(dlg), (QStringList{QStringLiteral("Событие"), QStringLiteral("Начало"),
                                           QStringLiteral("Конец"), QStringLiteral("Всего"),
                                           QStringLiteral("Работник")}));
      // Widths of 33, 23, 23, 10 and 13 characters.
      QVERIFY(grid->columnWidth(0) > grid->columnWidth(1));
      QCOMPARE(grid->columnWidth(1), grid->columnWidth(2));
      QVERIFY(grid->columnWidth(4) > grid->columnWidth(3));
      QVERIFY(grid->columnWidth(1) > grid->columnWidth(4));

      // Choosing the empty node only empties the grid.
      Select(dlg, tree->topLevelItem(0));
      QCOMPARE(Headings(dlg)[4], QStringLiteral("Login"));
      QCOMPARE(Rows(dlg), 0);
      QVERIFY(MessageBox::History().empty());
    });
  }

  void OpeningSelectsAndListsTheLatestDay() {
    const DateTime today = DateTime::Now().Date();
    Log("ivanov", "StopWDay", "2019-04-10 09:00:00", "2019-04-10 18:00:00");
    Log("petrov", "StartWDay", today.AddSeconds(9 * 3600), today.AddSeconds(10 * 3600));
    Log("ivanov", "StopWork", today.AddSeconds(9 * 3600 + 60), today.AddSeconds(9 * 3600 + 1860));
    Log("ivanov", "StopWork", today.AddSeconds(9 * 3600 + 120), today.AddSeconds(9 * 3600 + 720));
    WhileOpen([&](StatisticsWindow& dlg) {
      QTreeWidget* tree = Tree(dlg);
      QCOMPARE(TopTexts(tree),
               (QStringList{QStringLiteral("2019"), QString::number(today.Year())}));
      QTreeWidgetItem* day = tree->currentItem();
      QVERIFY(day && day->parent() && day->parent()->parent());
      QCOMPARE(day->text(0), QString::number(today.Day()));
      QVERIFY(day->isSelected());
      QVERIFY(day->parent()->isExpanded());
      QVERIFY(day->parent()->parent()->isExpanded());
      QCOMPARE(day->parent()->text(0), QString::fromStdString(today.Format("%B")));
      QCOMPARE(day->data(0, Qt::UserRole).toDateTime().date(),
               QDate(today.Year(), today.Month(), today.Day()));
      QVERIFY(!tree->topLevelItem(0)->isExpanded());

      // Three rows, the two totals and an empty row; the first row selected.
      TableView* grid = Grid(dlg);
      QCOMPARE(Rows(dlg), 6);
      QCOMPARE(Headings(dlg), (QStringList{QStringLiteral("Событие "), QStringLiteral("Начало"),
                                           QStringLiteral("Конец"), QStringLiteral("Всего"),
                                           QStringLiteral("Login")}));
      QCOMPARE(Cell(dlg, 0, 0), QStringLiteral("Идет рабочий день"));
      QCOMPARE(Cell(dlg, 0, 3), QStringLiteral(" 01:00"));
      QCOMPARE(Cell(dlg, 0, 4), QStringLiteral(" petrov"));
      QCOMPARE(Cell(dlg, 2, 0), QStringLiteral("Закончено 2 задание"));
      QCOMPARE(
          Row(dlg, 3),
          (QStringList{
              QStringLiteral(" Всего отработано"), {}, {}, {}, QStringLiteral("0 дней 00:40")}));
      QCOMPARE(Cell(dlg, 4, 0), QStringLiteral(" Общее рабочее время"));
      QCOMPARE(Cell(dlg, 4, 4), QStringLiteral("0 дней 01:00"));
      QCOMPARE(Row(dlg, 5), (QStringList{{}, {}, {}, {}, {}}));
      QVERIFY(FirstRowSelected(grid));
      QVERIFY(MessageBox::History().empty());

      // Both totals also stand, with their captions, in a line under the grid.
      const QLabel* line = dlg.findChild<QLabel*>(QStringLiteral("totalsLine"));
      QVERIFY(line->isVisible());
      QVERIFY(line->y() >= grid->geometry().bottom());
      QVERIFY(line->geometry().bottom() < Button(dlg, "closeButton")->y());
      QCOMPARE(line->text(), QStringLiteral("Всего отработано: 0 дней 00:40      Общее рабочее "
                                            "время: 0 дней 01:00"));
      QVERIFY(line->sizeHint().width() <= line->width());
      Select(dlg, tree->topLevelItem(0));
      QCOMPARE(line->text(), QStringLiteral("Всего отработано: 0 дней 00:00      Общее рабочее "
                                            "время: 0 дней 09:00"));
    });
  }

  // Totals of a hundred thousand days still stand whole in the line.
  void LongTotalsFitTheLine() {
    Log("ivanov", "StopWDay", "2019-04-10 09:00:00", "2299-04-10 18:00:00");
    Log("ivanov", "StopWork", "2019-04-10 09:00:00", "2299-04-10 17:00:00");
    WhileOpen([&](StatisticsWindow& dlg) {
      const QLabel* line = dlg.findChild<QLabel*>(QStringLiteral("totalsLine"));
      QVERIFY(line->text().startsWith(QStringLiteral("Всего отработано: 102268 дней 08:00 ")));
      QVERIFY(line->text().endsWith(QStringLiteral(" Общее рабочее время: 102268 дней 09:00")));
      QVERIFY(line->sizeHint().width() <= line->width());
    });
  }

  void ChoosingAPersonRebuildsTheTree() {
    InsertPerson(*m_db, {"Петров Пётр", "", "", "", "petrov", "", ""});
    InsertPerson(*m_db, {"Иванов Иван", "", "", "", "ivanov", "", ""});
    InsertPerson(*m_db, {"Без логина", "", "", "", "", "", ""});
    Log("petrov", "StartWDay", "2019-04-10 09:00:00", "2019-04-10 18:00:00");
    Log("petrov", "StopWork", "2019-04-12 09:00:00", "2019-04-12 10:00:00");
    Log("sidorov", "StopWork", "2021-02-03 09:00:00", "2021-02-03 10:00:00");
    WhileOpen([](StatisticsWindow& dlg) {
      QTreeWidget* tree = Tree(dlg);
      QComboBox* combo = Combo(dlg);
      QCOMPARE(TopTexts(tree), (QStringList{QStringLiteral("2019"), QStringLiteral("2021")}));
      QCOMPARE(Cell(dlg, 0, 4), QStringLiteral(" sidorov"));

      combo->setCurrentIndex(1);
      QCOMPARE(dlg.Login(), std::string("petrov"));
      QCOMPARE(TopTexts(tree), QStringList{QStringLiteral("2019")});
      QCOMPARE(Texts(tree->topLevelItem(0)), QStringList{QStringLiteral("April")});
      QCOMPARE(Texts(tree->topLevelItem(0)->child(0)),
               (QStringList{QStringLiteral("10"), QStringLiteral("12")}));
      QCOMPARE(tree->currentItem()->text(0), QStringLiteral("12"));
      QCOMPARE(Rows(dlg), 4);
      QCOMPARE(Cell(dlg, 0, 0), QStringLiteral("Закончено 1 задание"));

      // A person without rows: the single node, the grid emptied.
      combo->setCurrentIndex(2);
      QCOMPARE(dlg.Login(), std::string("ivanov"));
      QCOMPARE(TopTexts(tree), QStringList{QStringLiteral("Нет данных")});
      QCOMPARE(tree->topLevelItem(0)->data(0, Qt::UserRole), QVariant(-13));
      QCOMPARE(Headings(dlg)[0], QStringLiteral("Событие "));
      QCOMPARE(Rows(dlg), 0);
      QCOMPARE(Grid(dlg)->ShownEmptyText(), QStringLiteral("Нет данных"));

      // An empty login and the first entry both mean everybody.
      combo->setCurrentIndex(3);
      QCOMPARE(dlg.Login(), std::string());
      QCOMPARE(TopTexts(tree), (QStringList{QStringLiteral("2019"), QStringLiteral("2021")}));
      combo->setCurrentIndex(1);
      combo->setCurrentIndex(0);
      QCOMPARE(TopTexts(tree).size(), 2);
      QVERIFY(MessageBox::History().empty());
    });
  }

  void NodesListTheirWholeCalendarPeriod() {
    Log("a", "StopWork", "2020-03-31 09:00:00", "2020-03-31 10:00:00");
    Log("a", "StopWork", "2020-04-01 09:00:00", "2020-04-01 10:00:00");
    Log("b", "StopWork", "2020-04-30 23:00:00", "2020-05-01 00:00:00");
    Log("a", "StopWork", "2020-02-29 09:00:00", "2020-02-29 09:30:00");
    WhileOpen([](StatisticsWindow& dlg) {
      QTreeWidgetItem* year = Tree(dlg)->topLevelItem(0);
      QCOMPARE(Texts(year), (QStringList{QStringLiteral("February"), QStringLiteral("March"),
                                         QStringLiteral("April"), QStringLiteral("May")}));
      TableView* grid = Grid(dlg);

      Select(dlg, Find(year, QStringLiteral("April")));
      QCOMPARE(Rows(dlg), 5);
      QCOMPARE(Cell(dlg, 0, 1), QStringLiteral(" 09:00 01 Apr 20"));
      QCOMPARE(Cell(dlg, 1, 1), QStringLiteral(" 23:00 30 Apr 20"));
      QVERIFY(FirstRowSelected(grid));

      Select(dlg, Find(year, QStringLiteral("February")));
      QCOMPARE(Rows(dlg), 4);
      QCOMPARE(Cell(dlg, 0, 1), QStringLiteral(" 09:00 29 Feb 20"));

      // The May node exists only because a row ends in it: the totals at
      // zero, nothing selected.
      Select(dlg, Find(year, QStringLiteral("May")));
      QCOMPARE(Rows(dlg), 3);
      QCOMPARE(Cell(dlg, 0, 0), QStringLiteral(" Всего отработано"));
      QCOMPARE(Cell(dlg, 0, 4), QStringLiteral("0 дней 00:00"));
      QVERIFY(grid->selectionModel()->selectedIndexes().isEmpty());

      // The year runs its task numbers through all its rows.
      Select(dlg, year);
      QCOMPARE(Rows(dlg), 7);
      QCOMPARE(Cell(dlg, 3, 0), QStringLiteral("Закончено 4 задание"));
      QCOMPARE(Cell(dlg, 4, 4), QStringLiteral("0 дней 03:30"));
    });
  }

  void NoNodeAndEngineErrorsLeaveTheWindowOpen() {
    InsertPerson(*m_db, {"Петров Пётр", "", "", "", "petrov", "", ""});
    Log("petrov", "StartWDay", "2019-04-10 09:00:00", "2019-04-10 18:00:00");
    WhileOpen([this](StatisticsWindow& dlg) {
      // Ctrl+click on the chosen day: nothing chosen, an empty listing
      // under its headings, no message.
      QTreeWidgetItem* day = Tree(dlg)->currentItem();
      QTest::mouseClick(Tree(dlg)->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        Tree(dlg)->visualItemRect(day).center());
      QVERIFY(Tree(dlg)->selectedItems().isEmpty());
      QVERIFY(MessageBox::History().empty());
      QCOMPARE(Rows(dlg), 0);
      QCOMPARE(Headings(dlg)[1], QStringLiteral("Начало"));

      m_db->Execute("DROP TABLE logs");
      Combo(dlg)->setCurrentIndex(1);
      QCOMPARE(MessageBox::History().size(), 1u);
      QCOMPARE(MessageBox::History().back().icon, QMessageBox::Critical);
      QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("logs")));
      QVERIFY(dlg.isVisible());
    });
  }

  void TheMainWindowOpensTheWindowAndEscClosesIt() {
    InsertPerson(*m_db, {"Петров Пётр", "", "", "", "petrov", "", ""});
    Log("petrov", "StartWDay", "2019-04-10 09:00:00", "2019-04-10 18:00:00");
    m_db.reset();
    MainWindow main;
    bool shown = false;
    test::WhenModal<StatisticsWindow>([&](StatisticsWindow* dlg) {
      shown = Tree(*dlg)->currentItem() && Rows(*dlg) == 4;
      QTest::keyClick(dlg, Qt::Key_Escape);
    });
    main.findChild<QPushButton*>(QStringLiteral("statisticsButton"))->click();
    QVERIFY(shown);
    QVERIFY(MessageBox::History().empty());
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::StatisticsWindowTest)
#include "statistics_window_test.moc"
