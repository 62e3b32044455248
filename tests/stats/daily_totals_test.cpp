#include "stats/daily_totals.h"

#include <gtest/gtest.h>

#include "stats/period_listing.h"
#include "stats/stats_test_util.h"
#include "stats/timesheet.h"
#include "store/people.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::At;

const DayWork& Day(const DailyTotals& totals, std::size_t login, int day) {
  return totals.logins.at(login).days.at(static_cast<std::size_t>(day));
}

TEST(DailyTotalsTest, RowsCountOnTheirBeginDay) {
  auto db = test::MakeMemoryDatabase();
  // A working day over midnight, cut into two rows by the intake.
  AddLog(*db, "petrov", "StopWDay", "2024-02-28 20:00:00", "2024-02-29 00:00:00");
  AddLog(*db, "petrov", "StopWDay", "2024-02-29 00:00:01", "2024-02-29 02:00:00");
  // Still going on: counts up to its current end.
  AddLog(*db, "petrov", "WorkingDay", "2024-02-29 09:00:00", "2024-02-29 10:30:59");
  // Tasks on a day without a working day; a negative duration.
  AddLog(*db, "PETROV", "StopWork", "2024-02-10 10:00:00", "2024-02-10 11:00:00");
  AddLog(*db, "petrov", "StopWork  ", "2024-02-10 12:00:00", "2024-02-10 11:30:00");
  // Other events count nowhere; rows of the next month are outside.
  AddLog(*db, "petrov", "stopwork", "2024-02-10 10:00:00", "2024-02-10 18:00:00");
  AddLog(*db, "petrov", "StopWDay", "2024-03-01 09:00:00", "2024-03-01 18:00:00");
  AddLog(*db, "ivanov", "Working", "2024-02-29 09:00:00", nullptr);

  const DailyTotals totals =
      ComputeDailyTotals(*db, At("2024-02-01 00:00:00"), At("2024-02-29 23:59:59"), "");
  EXPECT_EQ(totals.dayCount, 29);
  ASSERT_EQ(totals.logins.size(), 2u);
  EXPECT_EQ(totals.logins[0].login, "ivanov");
  EXPECT_EQ(Day(totals, 1, 27).work, 4 * 3600);
  EXPECT_EQ(Day(totals, 1, 28).work, 2 * 3600 - 1 + 5459);
  EXPECT_EQ(Day(totals, 1, 9).work, 0);
  EXPECT_EQ(Day(totals, 1, 9).tasks, 30 * 60);
  EXPECT_EQ(Day(totals, 1, 9).rows, 2);
  EXPECT_EQ(totals.logins[1].total.days, 3);
  EXPECT_EQ(Day(totals, 0, 28).openTasks, 1);
  EXPECT_EQ(totals.dayTotals[28].days, 2);
  EXPECT_EQ(totals.total.work, 4 * 3600 + 2 * 3600 - 1 + 5459);

  // The timesheet: February 2024 has 29 columns; text as hours and minutes.
  InsertPerson(*db, {"Иванов Иван", "", "", "", "IVANOV", "", ""});
  InsertPerson(*db, {"Сидоров", "", "", "", "sidorov", "", ""});
  const Timesheet sheet = *BuildTimesheet(*db, 2024, 2, "");
  EXPECT_EQ(sheet.ColumnCount(), 29);
  EXPECT_EQ(BuildTimesheet(*db, 2023, 2, "")->ColumnCount(), 28);
  EXPECT_FALSE(BuildTimesheet(*db, 2023, 13, ""));
  // Stopped by its progress callback: nothing, rather than part of a month.
  int told = 0;
  EXPECT_FALSE(BuildTimesheet(*db, 2024, 2, "", [&told](int done, int days) {
    told = days;
    return done < 3;
  }));
  EXPECT_EQ(told, 29);
  ASSERT_EQ(sheet.rows.size(), 3u);
  EXPECT_EQ(sheet.rows[0].login, "IVANOV");
  EXPECT_EQ(sheet.rows[0].name, "Иванов Иван");
  EXPECT_EQ(sheet.rows[0].cells[28].tasks, 0);
  EXPECT_EQ(sheet.rows[0].cells[28].openTasks, 1);
  EXPECT_EQ(sheet.rows[1].login, "sidorov");
  EXPECT_EQ(sheet.rows[1].total.days, 0);
  EXPECT_EQ(sheet.rows[2].name, "");
  EXPECT_EQ(sheet.rows[2].cells[28].work / 60, 3 * 60 + 30);
  EXPECT_TRUE(sheet.rows[2].cells[9].HasWork());
  EXPECT_EQ(sheet.rows[2].cells[9].work, 0);
  EXPECT_FALSE(sheet.rows[2].cells[10].HasWork());
  EXPECT_TRUE(sheet.IsWeekend(9));  // Saturday 10 February 2024
  EXPECT_FALSE(sheet.IsWeekend(11));

  // A chosen login with no rows still has its row; a year has a column per month.
  const Timesheet nobody = *BuildTimesheet(*db, 2024, 2, "nobody");
  ASSERT_EQ(nobody.rows.size(), 1u);
  EXPECT_EQ(nobody.rows[0].login, "nobody");
  EXPECT_EQ(nobody.rows[0].total.work, 0);
  EXPECT_FALSE(nobody.rows[0].total.HasWork());
  const Timesheet year = *BuildTimesheet(*db, 2024, 0, "Petrov");
  ASSERT_EQ(year.ColumnCount(), 12);
  EXPECT_EQ(year.rows[0].cells[1].days, 3);
  EXPECT_EQ(year.rows[0].cells[2].work, 9 * 3600);
  EXPECT_EQ(year.total.days, 4);
}

// The engine's sums per login and day are those of the listing's totals.
TEST(DailyTotalsTest, EqualTheListingTotalsOfEachLoginAndDay) {
  auto db = test::MakeMemoryDatabase();
  const char* const logins[] = {"petrov", "Petrov", "Иванов", "ИВАНОВ", "sidorov"};
  const char* const events[] = {"StartWDay", "WorkingDay", "StopWDay", "StartWork",
                                "Working",   "StopWork",   "Other"};
  std::uint32_t seed = 7;
  const auto next = [&seed](std::uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  };
  for (int i = 0; i < 400; ++i) {
    const DateTime begin = At("2025-06-01 00:00:00").AddSeconds(next(10 * 86400));
    const DateTime end = begin.AddSeconds(static_cast<std::int64_t>(next(30000)) - 3000);
    const std::string login = logins[next(5)];
    db->Execute(
        "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
        login, LoginKey(login), events[next(7)], begin, end);
  }
  const DailyTotals totals =
      ComputeDailyTotals(*db, At("2025-06-01 00:00:00"), At("2025-06-10 00:00:00"), "");
  ASSERT_EQ(totals.logins.size(), 3u);
  for (const DailyTotals::Login& person : totals.logins) {
    for (int day = 0; day < totals.dayCount; ++day) {
      const DateTime date = totals.first.AddDays(day);
      const PeriodListing listing = ListPeriod(*db, date, date, person.login);
      const DayWork& work = person.days[static_cast<std::size_t>(day)];
      EXPECT_EQ(work.work, listing.dayTotal.Seconds()) << person.login << " " << day;
      EXPECT_EQ(work.tasks, listing.taskTotal.Seconds()) << person.login << " " << day;
    }
    const DailyTotals one =
        ComputeDailyTotals(*db, At("2025-06-01 00:00:00"), At("2025-06-10 00:00:00"), person.login);
    ASSERT_EQ(one.logins.size(), 1u);
    EXPECT_EQ(one.total.work, person.total.work);
  }
}

}  // namespace
}  // namespace vornal
