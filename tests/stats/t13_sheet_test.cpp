#include "stats/t13_sheet.h"

#include <gtest/gtest.h>

#include "stats/absences.h"
#include "stats/corrections.h"
#include "stats/hours_by_kind.h"
#include "stats/stats_test_util.h"
#include "stats/timesheet.h"
#include "store/people.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::At;

TEST(T13SheetTest, NightHoursAcrossMidnightCountOnEachDay) {
  std::vector<DayHours> days(3);
  const DateTime first = At("2026-03-01 00:00:00");
  AddWorkedInterval(days, first, At("2026-03-01 21:00:00"), At("2026-03-02 03:00:00"));
  AddWorkedInterval(days, first, At("2026-03-02 05:30:00"), At("2026-03-02 07:00:00"));
  // Outside the days: the part inside counts, the rest nowhere.
  AddWorkedInterval(days, first, At("2026-02-28 23:00:00"), At("2026-03-01 01:00:00"));
  AddWorkedInterval(days, first, At("2026-03-03 23:00:00"), At("2026-03-04 02:00:00"));
  EXPECT_EQ(days[0].worked, 4 * 3600);
  EXPECT_EQ(days[0].night, 3 * 3600);
  EXPECT_EQ(days[1].worked, 3 * 3600 + 90 * 60);
  EXPECT_EQ(days[1].night, 3 * 3600 + 30 * 60);
  EXPECT_EQ(days[2].worked, 3600);
  EXPECT_EQ(days[2].night, 3600);
}

TEST(T13SheetTest, MonthNormWithShortPreHolidayDayAndMovedDaysOff) {
  auto db = test::MakeMemoryDatabase();
  // May 2026: 20 working days; 8 May, before the 9 May holiday, is short.
  const auto may = [&db] {
    return ReadCalendar(*db, At("2026-05-01 00:00:00"), At("2026-05-31 00:00:00"));
  };
  std::vector<CalendarDay> days = may();
  EXPECT_EQ(days[0].kind, DayKind::Holiday);
  EXPECT_EQ(days[1].kind, DayKind::Off);
  EXPECT_EQ(days[7].kind, DayKind::Short);
  EXPECT_EQ(NormSeconds(days), (19 * 8 + 7) * 3600);
  // The day off moved from Saturday 9 May to Monday 11 May; 8 May made a
  // full day, then a 6-hour one.
  SetCalendarDays(*db, {{At("2026-05-11 00:00:00"), DayKind::Off, {}},
                        {At("2026-05-08 00:00:00"), DayKind::Work, {}}});
  EXPECT_EQ(NormSeconds(may()), (18 * 8 + 8) * 3600);
  SetCalendarDays(*db, {{At("2026-05-08 00:00:00"), DayKind::Short, 6 * 3600}});
  EXPECT_EQ(NormSeconds(may()), (18 * 8 + 6) * 3600);
  EXPECT_TRUE(may()[7].changed);
  ClearCalendarDay(*db, At("2026-05-08 00:00:00"));
  EXPECT_EQ(NormSeconds(may()), (18 * 8 + 7) * 3600);
  // Hours only for a short day; nothing stored of a refused set.
  EXPECT_THROW(SetCalendarDays(*db, {{At("2026-05-12 00:00:00"), DayKind::Off, {}},
                                     {At("2026-05-13 00:00:00"), DayKind::Work, 3600}}),
               std::invalid_argument);
  EXPECT_EQ(may()[11].kind, DayKind::Work);
}

TEST(T13SheetTest, AbsenceOverAHolidayAndHoursBesideIt) {
  auto db = test::MakeMemoryDatabase();
  InsertPerson(*db, {"Петрова Анна", "", "Бухгалтер", "", "petrova", "", ""});
  // Annual leave 6 to 12 May 2026, over the 9 May holiday (a Saturday);
  // she still came on Wednesday the 6th for two hours.
  EXPECT_EQ(SetAbsences(*db, "PETROVA", At("2026-05-06 00:00:00"), At("2026-05-12 00:00:00"),
                        kCodeAnnualLeave, "по графику"),
            7);
  AddLog(*db, "petrova", "StopWDay", "2026-05-06 10:00:00", "2026-05-06 12:00:00");
  // Sickness on the last day, set then partly cleared.
  SetAbsences(*db, "petrova", At("2026-05-29 00:00:00"), At("2026-05-31 00:00:00"), 19, "");
  EXPECT_EQ(ClearAbsences(*db, "petrova", At("2026-05-30 00:00:00"), At("2026-06-02 00:00:00")), 2);
  EXPECT_THROW(
      SetAbsences(*db, "petrova", At("2026-05-02 00:00:00"), At("2026-05-01 00:00:00"), 9, ""),
      std::invalid_argument);

  const T13Sheet sheet = *BuildT13Sheet(*db, 2026, 5);
  ASSERT_EQ(sheet.rows.size(), 1u);
  const T13Row& row = sheet.rows[0];
  EXPECT_EQ(row.profession, "Бухгалтер");
  const T13Day& wednesday = row.days[5];
  EXPECT_TRUE(wednesday.Flagged());
  ASSERT_EQ(wednesday.marks.size(), 2u);
  EXPECT_EQ(wednesday.marks[0].code, kCodeAnnualLeave);
  EXPECT_EQ(wednesday.marks[1].code, kCodeDayWork);
  EXPECT_EQ(wednesday.marks[1].seconds, 2 * 3600);
  // The holiday is no day of leave; the weekend days inside it are.
  EXPECT_EQ(row.days[8].absence, 0);
  ASSERT_EQ(row.days[8].marks.size(), 1u);
  EXPECT_EQ(row.days[8].marks[0].code, kCodeDayOff);
  EXPECT_EQ(row.days[9].absence, kCodeAnnualLeave);
  ASSERT_EQ(row.absences.size(), 2u);
  EXPECT_EQ(row.absences[0].code, kCodeAnnualLeave);
  EXPECT_EQ(row.absences[0].days, 6);
  EXPECT_EQ(row.absences[1].days, 1);
  // Her norm: the month's, less the working days she was away (6, 7, 8
  // short, 11, 12 and 29 May).
  EXPECT_EQ(row.norm, sheet.norm - (5 * 8 + 7) * 3600);
  EXPECT_EQ(row.month.days, 1);
  EXPECT_EQ(row.Difference(), 2 * 3600 - row.norm);
}

TEST(T13SheetTest, CorrectionAndItsUndoLeaveTotalsAsBeforeBothInTheTrail) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "ivanov", "StopWDay", "2026-03-02 09:00:00", "2026-03-02 18:00:00");
  AddLog(*db, "ivanov", "StopWDay", "2026-03-03 09:00:00", "2026-03-03 17:00:00");
  AddLog(*db, "ivanov", "WorkingDay", "2026-03-04 09:00:00", "2026-03-04 11:00:00");
  const auto total = [&db] { return BuildT13Sheet(*db, 2026, 3)->rows.at(0).month.seconds; };
  const std::int64_t before = total();
  EXPECT_EQ(before, 19 * 3600);
  const std::int64_t second =
      *db->QueryInt("SELECT ID FROM logs WHERE BeginTime = ?", At("2026-03-03 09:00:00"));

  // A forgotten end of day mended, then undone; a row removed and put back;
  // a forgotten day added and taken out again.
  const std::int64_t changed =
      ChangeWorkRow(*db, second, WorkEvent::StopWDay, At("2026-03-03 09:00:00"),
                    At("2026-03-03 18:30:00"), "забыл завершить день");
  EXPECT_EQ(total(), before + 90 * 60);
  const T13Sheet marked = *BuildT13Sheet(*db, 2026, 3);
  EXPECT_EQ(marked.rows[0].days[2].correction, "забыл завершить день");
  EXPECT_EQ(marked.rows[0].days[1].correction, "");
  UndoCorrection(*db, changed, "ошибка");
  EXPECT_EQ(total(), before);
  EXPECT_THROW(UndoCorrection(*db, changed, "again"), CorrectionRefused);
  const std::int64_t removed = RemoveWorkRow(*db, second, "не работал");
  EXPECT_EQ(total(), before - 8 * 3600);
  UndoCorrection(*db, removed, "работал");
  EXPECT_EQ(total(), before);
  const std::int64_t added =
      AddWorkRow(*db, "Ivanov", WorkEvent::StartWDay, At("2026-03-05 22:00:00"),
                 At("2026-03-06 02:00:00"), "ночная смена");
  const T13Sheet night = *BuildT13Sheet(*db, 2026, 3);
  EXPECT_EQ(night.rows[0].night, 4 * 3600);
  EXPECT_EQ(night.rows[0].days[4].marks.at(0).code, kCodeNightWork);
  UndoCorrection(*db, added, "не было");
  EXPECT_EQ(total(), before);

  const std::vector<Correction> trail = ListCorrections(*db, "IVANOV");
  ASSERT_EQ(trail.size(), 6u);
  EXPECT_EQ(trail[0].before->end, At("2026-03-03 17:00:00"));
  EXPECT_EQ(trail[0].after->end, At("2026-03-03 18:30:00"));
  EXPECT_EQ(trail[1].undoes, trail[0].id);
  EXPECT_FALSE(trail[2].after);
  EXPECT_NE(trail[3].rowId, second);  // put back as a new row
  EXPECT_EQ(trail[4].after->event, "StopWDay");
  EXPECT_FALSE(trail[0].user.empty());
  EXPECT_EQ(trail[0].role.empty(), !db->IsServer());
  EXPECT_EQ(ListCorrections(*db, "", At("2026-03-05 00:00:00"), At("2026-03-05 00:00:00")).size(),
            2u);

  // Unfinished rows are the intake's; overlapping time is never counted twice.
  const std::int64_t open = *db->QueryInt("SELECT ID FROM logs WHERE Event = 'WorkingDay'");
  try {
    RemoveWorkRow(*db, open, "reason");
    FAIL();
  } catch (const CorrectionRefused& e) {
    EXPECT_EQ(e.Why(), CorrectionRefusal::Unfinished);
  }
  try {
    AddWorkRow(*db, "ivanov", WorkEvent::StopWDay, At("2026-03-02 17:00:00"),
               At("2026-03-02 19:00:00"), "reason");
    FAIL();
  } catch (const CorrectionRefused& e) {
    EXPECT_EQ(e.Why(), CorrectionRefusal::Overlaps);
  }
  EXPECT_THROW(RemoveWorkRow(*db, second + 100, "reason"), CorrectionRefused);
  EXPECT_THROW(RemoveWorkRow(*db, open, "  "), CorrectionRefused);
  EXPECT_EQ(ListCorrections(*db, "").size(), 6u);
  EXPECT_EQ(total(), before);
}

}  // namespace
}  // namespace vornal
