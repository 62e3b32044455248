#include "gui/widgets/display_text.h"

#include <QtTest>

#include "intake/folder_sweep.h"
#include "stats/daily_totals.h"
#include "stats/presence.h"

namespace vornal {

class DisplayTextTest : public QObject {
  Q_OBJECT

  static DateTime At(const char* iso) { return *DateTime::FromIso(iso); }

 private Q_SLOTS:
  // Dates as the Russian choice shows them.
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
  // Totals keep whole days and the sign; a clock shows the absolute value
  // without the days; a missing end leaves them empty.
  void DurationsAsTheListingShowsThem() {
    const auto total = [](std::int64_t seconds) {
      return DisplayText::Total(WorkDuration::FromSeconds(seconds));
    };
    QCOMPARE(total(0), QStringLiteral("0 дней 00:00"));
    QCOMPARE(total(3 * 86400 + 2 * 3600 + 30 * 60 + 59), QStringLiteral("3 дней 02:30"));
    QCOMPARE(total(-(26 * 3600 + 30 * 60)), QStringLiteral("-1 дней 02:30"));
    QCOMPARE(total(-600), QStringLiteral("-0 дней 00:10"));
    QCOMPARE(DisplayText::Total(WorkDuration::Empty()), QString());
    QCOMPARE(DisplayText::Clock(WorkDuration::FromSeconds(-(25 * 3600 + 5 * 60))),
             QStringLiteral("01:05"));
    QCOMPARE(DisplayText::Clock(WorkDuration::Empty()), QString());
    QCOMPARE(DisplayText::ListingTime(At("2002-10-07 09:05:00").ToSeconds()),
             QStringLiteral("09:05 07 Oct 02"));
    QCOMPARE(DisplayText::ListingTime(ListedRow::kNoTime), QString());
    QCOMPARE(DisplayText::EventLabel(RowLabel::TaskDone, 12),
             QStringLiteral("Закончено 12 задание"));
    QCOMPARE(DisplayText::EventLabel(RowLabel::Unknown, 0), QStringLiteral("Unknown"));
  }

  void HoursAsTheTimesheetShowsThem() {
    DayWork work;
    QCOMPARE(DisplayText::WorkCell(work), QString());
    work.rows = 2;
    work.work = 8 * 3600 + 15 * 60 + 59;
    work.tasks = -(90 * 60);
    work.openTasks = 1;
    QCOMPARE(DisplayText::WorkCell(work), QStringLiteral("8:15"));
    QCOMPARE(DisplayText::TaskHours(work), QStringLiteral("-1:30?"));
    QCOMPARE(DisplayText::Hours(1000 * 3600), QStringLiteral("1000:00"));
  }

  void PeopleAndTheirState() {
    QCOMPARE(DisplayText::PersonEntry(3, "Петров Пётр  ", "petrov "),
             QStringLiteral("3. Петров Пётр (petrov)"));
    QCOMPARE(DisplayText::PersonEntry(4, "Без логина", ""), QStringLiteral("4. Без логина ()"));
    const std::optional<DateTime> latest = At("2026-12-07 18:03:00");
    const auto state = [&latest](Presence::State kind, const char* time) {
      return DisplayText::PresenceState({kind, At(time)}, latest);
    };
    QCOMPARE(state(Presence::State::AtWork, "2026-12-07 09:05:00"),
             QStringLiteral("на работе с 09:05"));
    QCOMPARE(state(Presence::State::AtWork, "2026-12-06 22:00:00"),
             QStringLiteral("на работе с 06.12 22:00"));
    QCOMPARE(state(Presence::State::Away, "2026-12-07 18:03:00"),
             QStringLiteral("был 07.12 18:03"));
    QCOMPARE(state(Presence::State::Away, "2025-01-02 08:00:00"),
             QStringLiteral("был 02.01.2025 08:00"));
    QCOMPARE(state(Presence::State::Unknown, "2026-12-07 18:03:00"), QString());
  }

  // A main.buf that is no regular file is named by its kind in the report.
  void ProcessReportNamesTheKindOfFile() {
    SweepSummary summary;
    summary.folders.emplace_back();
    for (const auto type : {FileNote::FileType::Fifo, FileNote::FileType::Link}) {
      FileNote note;
      note.kind = FileNote::Kind::NotRegular;
      note.file = "/srv/work/a/main.buf";
      note.fileType = type;
      summary.folders.back().notes.push_back(note);
    }
    const QStringList lines = DisplayText::ProcessReport(summary).split(u'\n');
    QVERIFY(lines.contains(
        QStringLiteral("/srv/work/a/main.buf: канал FIFO, не обычный файл; оставлен на месте")));
    QVERIFY(lines.contains(QStringLiteral(
        "/srv/work/a/main.buf: символическая ссылка, не обычный файл; оставлен на месте")));
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::DisplayTextTest)
#include "display_text_test.moc"
