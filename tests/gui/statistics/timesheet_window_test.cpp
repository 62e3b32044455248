#include "gui/statistics/timesheet_window.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "cli/format.h"
#include "gui/statistics/correction_dialog.h"
#include "gui/statistics/day_timeline_view.h"
#include "gui/statistics/hours_chart.h"
#include "gui/statistics/statistics_window.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/print_dialog.h"
#include "stats/absences.h"
#include "stats/corrections.h"
#include "store/people.h"
#include "store/settings.h"
#include "test_util.h"
#include "text/login_key.h"

namespace vornal {

class TimesheetWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::ScopedCurrentDir> m_dir;
  DatabasePtr m_db;

  void Log(const char* login, const char* event, const char* begin, const char* end) {
    m_db->Execute(
        "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
        std::string(login), LoginKey(login), std::string(event), *DateTime::FromIso(begin),
        *DateTime::FromIso(end));
  }

  // Opens the statistics window, chooses the node (year, month or day text
  // path from the root), presses "Посмотреть" and checks the timesheet
  // window while it is open.
  void View(const QStringList& path, const std::function<void(TimesheetWindow&)>& check) {
    bool ran = false;
    test::WhenModal<StatisticsWindow>([&](StatisticsWindow* stats) {
      auto* tree = stats->findChild<QTreeWidget*>(QStringLiteral("tree"));
      QTreeWidgetItem* node = tree->invisibleRootItem();
      for (const QString& text : path)
        for (int i = 0; i < node->childCount(); ++i)
          if (node->child(i)->text(0) == text) {
            node = node->child(i);
            break;
          }
      tree->setCurrentItem(node);
      test::WhenModal<TimesheetWindow>([&](TimesheetWindow* window) {
        ran = true;
        check(*window);
        window->accept();
      });
      stats->findChild<QPushButton*>(QStringLiteral("viewButton"))->click();
      stats->accept();
    });
    StatisticsWindow stats;
    stats.Exec(m_db.get());
    QVERIFY(ran);
  }

  template <class T>
  static T* Child(TimesheetWindow& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
  }

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
    FileDialog::ClearAnswers();
    m_dir = std::make_unique<test::ScopedCurrentDir>();
    m_db = test::MakeDatabase(kDatabaseFile);
    InsertPerson(*m_db, {"Петров Пётр", "", "", "", "petrov", "", ""});
    InsertPerson(*m_db, {"Иванов Иван", "", "", "", "ivanov", "", ""});
    Log("petrov", "StopWDay", "2025-06-02 09:00:00", "2025-06-02 17:30:00");
    Log("petrov", "StopWork", "2025-06-02 09:10:00", "2025-06-02 12:00:00");
    Log("petrov", "StopWDay", "2025-06-20 20:00:00", "2025-06-21 00:00:00");
    Log("sidorov", "StopWork", "2025-06-20 10:00:00", "2025-06-20 11:15:00");
  }
  void cleanup() {
    test::CheckNoHookLeft();
    m_db.reset();
    m_dir.reset();
  }

  void MonthNodeShowsTheTimesheetChartAndDayAndSavesThem() {
    View({QStringLiteral("2025"), QStringLiteral("June")}, [this](TimesheetWindow& window) {
      // The table: a row per person and the totals; a column per day.
      QAbstractItemModel* model = Child<QTableView>(window, "timesheetView")->model();
      QCOMPARE(model->rowCount(), 4);
      // A month also has each person's norm and difference.
      QCOMPARE(model->columnCount(), 30 + 3 + 2);
      QCOMPARE(model->headerData(33, Qt::Horizontal).toString(), QStringLiteral("Норма"));
      QCOMPARE(model->index(0, 33).data().toString(), QStringLiteral("159:00"));
      QCOMPARE(model->index(0, 34).data().toString(), QStringLiteral("-146:30"));
      QCOMPARE(model->headerData(0, Qt::Vertical).toString(),
               QStringLiteral("Петров Пётр (petrov)"));
      QCOMPARE(model->headerData(2, Qt::Vertical).toString(), QStringLiteral("sidorov"));
      QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("2\nПн"));
      QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("8:30"));
      QCOMPARE(model->index(0, 19).data().toString(), QStringLiteral("4:00"));
      QCOMPARE(model->index(2, 19).data().toString(), QStringLiteral("0:00"));
      QCOMPARE(model->index(0, 31).data().toString(), QStringLiteral("12:30"));
      QCOMPARE(model->index(3, 32).data().toString(), QStringLiteral("4:05"));
      QVERIFY(model->index(1, 6).data(Qt::BackgroundRole).isValid());  // Saturday 7 June
      QVERIFY(!model->index(1, 5).data(Qt::BackgroundRole).isValid());

      // The chart: everybody first, then each person.
      auto* person = Child<QComboBox>(window, "chartPerson");
      QCOMPARE(person->count(), 4);
      auto* chart = Child<HoursChart>(window, "chartView");
      const auto sets = [chart] {
        return qobject_cast<QBarSeries*>(chart->chart()->series().at(0))->barSets();
      };
      QCOMPARE(sets().size(), 2);
      QCOMPARE(sets().at(0)->count(), 30);
      QCOMPARE(sets().at(1)->at(19), 1.25);
      person->setCurrentIndex(1);
      QCOMPARE(sets().at(1)->at(19), 0.0);
      QCOMPARE(sets().at(0)->at(1), 8.5);

      // The day: the last day with rows of the month.
      QCOMPARE(window.ShownDay(), QDate(2025, 6, 20));
      const std::vector<DayLane>& lanes = Child<DayTimelineView>(window, "dayView")->Lanes();
      QCOMPARE(lanes.size(), 2u);
      QCOMPARE(lanes[0].bars.front().end, 86400);
      QCOMPARE(Child<QTabWidget>(window, "tabs")->currentIndex(), 0);

      // The office's title is kept; the files are written as asked.
      auto* office = Child<QLineEdit>(window, "officeEdit");
      office->setText(QStringLiteral("ООО Вектор"));
      Q_EMIT office->editingFinished();
      QCOMPARE(LoadOfficeTitle(*m_db), std::string("ООО Вектор"));
      const QString csv = m_dir->File(QStringLiteral("t.csv"));
      FileDialog::SetNextFileName(csv);
      Child<QPushButton>(window, "csvButton")->click();
      QCOMPARE(test::ReadFile(csv.toStdString()), cli::TimesheetCsv(window.Sheet()));
      for (const char* button : {"pdfButton", "sheetsButton", "printButton"}) {
        const QString pdf = m_dir->File(QString::fromLatin1(button) + QStringLiteral(".pdf"));
        if (std::string(button) == "printButton")
          PrintDialog::SetNextAnswer(pdf);
        else
          FileDialog::SetNextFileName(pdf);
        Child<QPushButton>(window, button)->click();
        QCOMPARE(test::ReadFile(pdf.toStdString()).substr(0, 5), std::string("%PDF-"));
      }
      // Cancelled: nothing; refused: said, in the user's language.
      FileDialog::SetNextFileName(QString());
      Child<QPushButton>(window, "csvButton")->click();
      QVERIFY(MessageBox::History().empty());
      FileDialog::SetNextFileName(m_dir->File(QStringLiteral("missing/t.pdf")));
      Child<QPushButton>(window, "pdfButton")->click();
      QCOMPARE(MessageBox::History().size(), 1u);
      QVERIFY(MessageBox::History().back().text.startsWith(QStringLiteral("Не удалось сохранить")));
      // Never over the database (also printed into it) or a device (one of
      // its own, like /dev/null).
      const std::string database = test::ReadFile(kDatabaseFile);
      const QString device = m_dir->File(QStringLiteral("null.pdf"));
      QCOMPARE(::mknod(device.toLocal8Bit().constData(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
      FileDialog::SetNextFileName(m_dir->File(QString::fromLatin1(kDatabaseFile)));
      Child<QPushButton>(window, "csvButton")->click();
      PrintDialog::SetNextAnswer(m_dir->File(QString::fromLatin1(kDatabaseFile)));
      Child<QPushButton>(window, "printButton")->click();
      FileDialog::SetNextFileName(device);
      Child<QPushButton>(window, "sheetsButton")->click();
      QCOMPARE(MessageBox::History().size(), 4u);
      QVERIFY(MessageBox::History()[2].text.endsWith(
          QStringLiteral("Это файл самой базы данных; выберите другое имя.")));
      QVERIFY(MessageBox::History()[3].text.contains(QStringLiteral("устройство")));
      QCOMPARE(test::ReadFile(kDatabaseFile), database);
      struct stat st {};
      QVERIFY(::lstat(device.toLocal8Bit().constData(), &st) == 0 && S_ISCHR(st.st_mode));
      window.resize(900, 500);
    });
  }

  // A long name is cut in the row headings, which stay narrow, and shown
  // whole in their tooltip.
  void AbsencesAndCorrectionsAreMarkedInTheCells() {
    SetAbsences(*m_db, "petrov", *DateTime::FromIso("2025-06-02"), *DateTime::FromIso("2025-06-03"),
                9, "отпуск");
    const std::int64_t row = *m_db->QueryInt("SELECT ID FROM logs WHERE BeginTime = ?",
                                             *DateTime::FromIso("2025-06-20 20:00:00"));
    ChangeWorkRow(*m_db, row, std::nullopt, *DateTime::FromIso("2025-06-20 19:00:00"),
                  *DateTime::FromIso("2025-06-21 00:00:00"), "забыл отметиться");
    View({QStringLiteral("2025"), QStringLiteral("June")}, [](TimesheetWindow& window) {
      QAbstractItemModel* model = Child<QTableView>(window, "timesheetView")->model();
      // A day of leave with hours recorded shows both and is flagged.
      QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("ОТ 8:30!"));
      QVERIFY(
          model->index(0, 1).data(Qt::ToolTipRole).toString().contains(QStringLiteral("отпуск")));
      QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("ОТ"));
      QCOMPARE(model->index(0, 19).data().toString(), QStringLiteral("5:00*"));
      QVERIFY(model->index(0, 19)
                  .data(Qt::ToolTipRole)
                  .toString()
                  .contains(QStringLiteral("забыл отметиться")));
      // The norm less the two days of leave.
      QCOMPARE(model->index(0, 33).data().toString(), QStringLiteral("143:00"));
      // The corrected bar on the day's timeline carries its reason.
      const std::vector<DayLane>& lanes = Child<DayTimelineView>(window, "dayView")->Lanes();
      QCOMPARE(lanes[0].bars.front().correction, std::string("забыл отметиться"));
      QVERIFY(lanes[0].bars.front().finished);
    });
  }

  // The dialog hands its times to the core as typed: a refusal is said and
  // the dialog stays open with nothing changed; with a reason the row is
  // changed and the trail has it.
  void CorrectionDialogRefusesWithoutAReasonThenCorrects() {
    const std::int64_t row = *m_db->QueryInt("SELECT ID FROM logs WHERE BeginTime = ?",
                                             *DateTime::FromIso("2025-06-02 09:00:00"));
    CorrectionDialog dialog(*m_db);
    dialog.ChangeRow(row, QStringLiteral("petrov"), QDateTime(QDate(2025, 6, 2), QTime(9, 0)),
                     QDateTime(QDate(2025, 6, 2), QTime(18, 45, 30)), false);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(MessageBox::History().size(), std::size_t{1});
    QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("причину")));
    dialog.findChild<QLineEdit*>(QStringLiteral("reasonEdit"))->setText(QStringLiteral("забыл"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(*m_db->QueryInt("SELECT COUNT(*) FROM logs WHERE ID = ? AND EndTime = ?", row,
                             *DateTime::FromIso("2025-06-02 18:45:30")),
             std::int64_t{1});
    QCOMPARE(ListCorrections(*m_db, "petrov").size(), std::size_t{1});
  }

  void LongNamesAreCutInTheRowHeadings() {
    const std::string name(100, 'N');
    InsertPerson(*m_db, {name, "", "", "", "long", "", ""});
    Log("long", "StopWDay", "2025-06-03 09:00:00", "2025-06-03 17:30:00");
    View({QStringLiteral("2025"), QStringLiteral("June")}, [&name](TimesheetWindow& window) {
      auto* view = Child<QTableView>(window, "timesheetView");
      const QString whole = QString::fromStdString(name) + QStringLiteral(" (long)");
      int row = 0;
      while (row < view->model()->rowCount() &&
             view->model()->headerData(row, Qt::Vertical, Qt::ToolTipRole).toString() != whole)
        ++row;
      const QString heading = view->model()->headerData(row, Qt::Vertical).toString();
      QCOMPARE(heading.size(), 40);
      QVERIFY(heading.endsWith(u'…'));
      QVERIFY(view->verticalHeader()->sizeHint().width() <
              view->verticalHeader()->fontMetrics().horizontalAdvance(whole) / 2);
      // The window fits a 640-pixel screen, and the chart's day labels fit
      // there, in a readable size or upright, rather than being cut to "…".
      QVERIFY2(window.minimumSizeHint().width() <= 620,
               QByteArray::number(window.minimumSizeHint().width()));
      window.resize(520, 340);
      Child<QTabWidget>(window, "tabs")->setCurrentWidget(Child<QWidget>(window, "chartTab"));
      QApplication::processEvents();
      const auto* chart = Child<HoursChart>(window, "chartView");
      auto* days = static_cast<QBarCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).front());
      QVERIFY(days->labelsFont().pointSizeF() >= 7);
      // Labels need a little room between them, else they are cut.
      const QStringList labels = days->categories();
      const auto shown = std::count_if(labels.begin(), labels.end(),
                                       [](const QString& text) { return text.at(0).isDigit(); });
      const QFontMetricsF label(days->labelsFont());
      QVERIFY(label.horizontalAdvance(QStringLiteral("30")) + label.averageCharWidth() <=
              chart->chart()->plotArea().width() / static_cast<qreal>(shown));
    });
  }

  void DayNodeShowsTheDayAndTheSizeIsKept() {
    View({QStringLiteral("2025"), QStringLiteral("June"), QStringLiteral("2")},
         [](TimesheetWindow& window) {
           QCOMPARE(Child<QTabWidget>(window, "tabs")->currentWidget()->objectName(),
                    QStringLiteral("dayTab"));
           QCOMPARE(window.ShownDay(), QDate(2025, 6, 2));
           QCOMPARE(window.Sheet().ColumnCount(), 30);
           const std::vector<DayLane>& lanes = Child<DayTimelineView>(window, "dayView")->Lanes();
           QCOMPARE(lanes.size(), 1u);
           QCOMPARE(lanes[0].bars.size(), 2u);
           window.resize(700, 500);
         });
    View({QStringLiteral("2025")}, [](TimesheetWindow& window) {
      QCOMPARE(window.size(), QSize(700, 500));
      QCOMPARE(window.Sheet().ColumnCount(), 12);
      QCOMPARE(window.ShownDay(), QDate(2025, 6, 20));
    });
    // The node of an empty tree has nothing to show.
    m_db->Execute("DELETE FROM logs");
    bool warned = false;
    test::WhenModal<StatisticsWindow>([&](StatisticsWindow* stats) {
      stats->findChild<QPushButton*>(QStringLiteral("viewButton"))->click();
      warned = MessageBox::History().size() == 1 &&
               MessageBox::History().back().text ==
                   QStringLiteral("Выберите в дереве год, месяц или день.");
      stats->accept();
    });
    StatisticsWindow stats;
    stats.Exec(m_db.get());
    QVERIFY(warned);
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::TimesheetWindowTest)
#include "timesheet_window_test.moc"
