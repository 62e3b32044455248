#include "gui/widgets/language.h"
#include "gui/mainwindow/new_database_dialog.h"
#include "report/timesheet_report.h"
#include "stats/presence.h"

#include <QPushButton>
#include <QtTest>

#include "gui/mainwindow/main_window.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/display_text.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/table_view.h"
#include "store/people.h"
#include "test_util.h"

namespace vornal {

class LanguageTest : public QObject {
  Q_OBJECT

  static QString EditText(const MainWindow& window) {
    return window.findChild<QPushButton*>(QStringLiteral("editButton"))->text();
  }

 private Q_SLOTS:
  void init() { MessageBox::SetAutoAnswer(true); }
  void cleanup() { InstallTranslations(QLocale(QLocale::Russian, QLocale::Russia)); }

  void EnglishUnderAnEnglishLocaleRussianOtherwise() {
    test::ScopedCurrentDir dir;
    test::MakeDatabase(kDatabaseFile);

    QCOMPARE(InstallTranslations(QLocale(QStringLiteral("en_GB"))), QStringLiteral("en"));
    {
      MainWindow window;
      QCOMPARE(EditText(window), QStringLiteral("&Edit"));
      QCOMPARE(window.Grid()->model()->headerData(1, Qt::Horizontal).toString(),
               QStringLiteral("Full name"));
    }
    // The words for the core's values and the dates follow the language too.
    const WorkDuration lessThanTwoDays = WorkDuration::FromSeconds(-(26 * 3600 + 30 * 60));
    QCOMPARE(DisplayText::EventLabel(RowLabel::TaskGoing, 3), QStringLiteral("Task 3 in progress"));
    QCOMPARE(DisplayText::Total(lessThanTwoDays), QStringLiteral("-1 days 02:30"));
    QCOMPARE(DisplayText::MonthName(3), QStringLiteral("March"));
    QCOMPARE(QLocale().toString(1234567), QStringLiteral("1,234,567"));
    QCOMPARE(TimesheetReport::PeriodText(2026, 11), QStringLiteral("November 2026"));
    const std::optional<DateTime> latest = DateTime::FromIso("2026-12-07 18:03:00");
    QCOMPARE(DisplayText::PresenceState(
                 {Presence::State::Away, *DateTime::FromIso("2026-12-06 17:02:00")}, latest),
             QStringLiteral("last seen 06/12 17:02"));
    QCOMPARE(DisplayText::PresenceState(
                 {Presence::State::Away, *DateTime::FromIso("2025-01-02 08:00:00")}, latest),
             QStringLiteral("last seen 02/01/2025 08:00"));
    QCOMPARE(NewDatabaseDialog(nullptr, {}).windowTitle(), QStringLiteral("Vornal"));

    for (const char* name : {"ru_RU", "de_DE", "C"}) {
      QCOMPARE(InstallTranslations(QLocale(QString::fromLatin1(name))), QStringLiteral("ru"));
      MainWindow window;
      QCOMPARE(EditText(window), QStringLiteral("&Изменить"));
      QCOMPARE(DisplayText::EventLabel(RowLabel::TaskGoing, 3),
               QStringLiteral("Выполняется 3 задание"));
      QCOMPARE(DisplayText::Total(lessThanTwoDays), QStringLiteral("-1 дней 02:30"));
      QCOMPARE(DisplayText::MonthName(3), QStringLiteral("Март"));
      // Qt's own dialogs speak Russian as well.
      QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != QStringLiteral("Look in:"));
    }
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::LanguageTest)
#include "language_test.moc"
