#include "stats/period_listing.h"

#include <gtest/gtest.h>

#include "stats/stats_test_util.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::At;

std::vector<std::string> Labels(const PeriodListing& listing) {
  std::vector<std::string> labels;
  for (const ListedRow& row : listing.rows) labels.push_back(row.LabelText());
  return labels;
}

TEST(PeriodListingTest, LabelsAndTaskNumbersFollowTheEvents) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StartWDay", "2002-10-07 09:00:00", "2002-10-07 09:05:00");
  AddLog(*db, "petrov", "StopWork", "2002-10-07 09:10:00", "2002-10-07 10:00:00");
  AddLog(*db, "petrov", "StopWork", "2002-10-07 10:10:00", "2002-10-07 11:00:00");
  AddLog(*db, "petrov", "Working", "2002-10-07 11:10:00", "2002-10-07 12:00:00");
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 12:10:00", "2002-10-07 18:00:00");
  const PeriodListing listing =
      ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 23:59:59"), "petrov");
  EXPECT_EQ(Labels(listing), (std::vector<std::string>{
                                 "Идет рабочий день", "Закончено 1 задание", "Закончено 2 задание",
                                 "Выполняется 3 задание", "Закончен рабочий день"}));
  EXPECT_EQ(listing.rows[3].taskNumber, 3);
  EXPECT_EQ(listing.rows[4].taskNumber, 0);
  EXPECT_EQ(listing.taskTotal.FormatTotal(), "0 дней 02:30");
  EXPECT_EQ(listing.dayTotal.FormatTotal(), "0 дней 05:55");
  EXPECT_EQ(listing.rows[0].BeginText(), "09:00 07 Oct 02");
  EXPECT_EQ(listing.rows[4].EndText(), "18:00 07 Oct 02");
  EXPECT_EQ(listing.rows[4].Duration().FormatClock(), "05:50");
  EXPECT_EQ(listing.Login(listing.rows[4]), "petrov");
}

TEST(PeriodListingTest, EventNamesIgnoreTrailingBlanksOnly) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWork   ", "2002-10-07 09:00:00", "2002-10-07 10:00:00");
  AddLog(*db, "petrov", " StopWork", "2002-10-07 10:00:00", "2002-10-07 11:00:00");
  AddLog(*db, "petrov", "stopwork", "2002-10-07 11:00:00", "2002-10-07 12:00:00");
  AddLog(*db, "petrov", "Working", "2002-10-07 12:00:00", "2002-10-07 13:00:00");
  const PeriodListing listing =
      ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 00:00:00"), "petrov");
  EXPECT_EQ(Labels(listing), (std::vector<std::string>{"Закончено 1 задание", "Unknown", "Unknown",
                                                       "Выполняется 2 задание"}));
  EXPECT_EQ(listing.rows[1].Duration().FormatClock(), "01:00");
  EXPECT_EQ(listing.taskTotal.FormatTotal(), "0 дней 02:00");
  EXPECT_EQ(listing.dayTotal.FormatTotal(), "0 дней 00:00");
}

TEST(PeriodListingTest, PeriodTakesWholeDatesOfBeginTimes) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWork", "2002-10-06 23:59:59", "2002-10-07 00:30:00");
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 23:00:00", "2002-10-08 00:00:00");
  AddLog(*db, "petrov", "StartWDay", "2002-10-08 00:00:01", "2002-10-08 02:00:00");
  AddLog(*db, "petrov", "StopWDay", "2002-10-09 00:00:00", "2002-10-09 01:00:00");
  // The times of day of the period's ends play no part.
  PeriodListing listing =
      ListPeriod(*db, At("2002-10-07 12:00:00"), At("2002-10-08 01:00:00"), "petrov");
  ASSERT_EQ(listing.rows.size(), 2u);
  EXPECT_EQ(listing.rows[0].BeginText(), "23:00 07 Oct 02");
  EXPECT_EQ(listing.rows[1].BeginText(), "00:00 08 Oct 02");
  // The row closed at midnight lists on its begin date only.
  listing = ListPeriod(*db, At("2002-10-08 00:00:00"), At("2002-10-08 00:00:00"), "petrov");
  ASSERT_EQ(listing.rows.size(), 1u);
  EXPECT_EQ(listing.rows[0].Duration().FormatClock(), "01:59");
  EXPECT_TRUE(
      ListPeriod(*db, At("2002-10-09 00:00:00"), At("2002-10-08 00:00:00"), "").rows.empty());
}

TEST(PeriodListingTest, EverybodyIsOrderedByBeginTimeThenByWriteOrder) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWork", "2002-10-07 11:00:00", "2002-10-07 12:00:00");
  AddLog(*db, "sidorov", "StopWork", "2002-10-07 09:00:00", "2002-10-07 09:30:00");
  AddLog(*db, "ivanov", "StopWork", "2002-10-07 09:00:00", "2002-10-07 09:45:00");
  AddLog(*db, "Petrov", "StopWork", "2002-10-07 10:00:00", "2002-10-07 10:15:00");
  for (int i = 0; i < 2; ++i) {
    const PeriodListing listing =
        ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 00:00:00"), "");
    ASSERT_EQ(listing.rows.size(), 4u);
    EXPECT_EQ(listing.Login(listing.rows[0]), "sidorov");
    EXPECT_EQ(listing.Login(listing.rows[1]), "ivanov");
    EXPECT_EQ(listing.rows[1].LabelText(), "Закончено 2 задание");
    EXPECT_EQ(listing.Login(listing.rows[2]), "Petrov");
    EXPECT_EQ(listing.Login(listing.rows[3]), "petrov");
    EXPECT_EQ(listing.taskTotal.FormatTotal(), "0 дней 02:30");
  }
  const PeriodListing one =
      ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 00:00:00"), "PETROV");
  ASSERT_EQ(one.rows.size(), 2u);
  EXPECT_EQ(one.rows[0].LabelText(), "Закончено 1 задание");
}

TEST(PeriodListingTest, EmptyEndTimeEmptiesItsTotalFromThenOn) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 08:00:00", "2002-10-07 09:00:00");
  AddLog(*db, "petrov", "StopWork", "2002-10-07 09:00:00", "2002-10-07 10:00:00");
  AddLog(*db, "petrov", "Working", "2002-10-07 10:00:00", nullptr);
  AddLog(*db, "petrov", "StopWork", "2002-10-07 11:00:00", "2002-10-07 12:00:00");
  AddLog(*db, "petrov", "Garbage", "2002-10-07 12:00:00", nullptr);
  const PeriodListing listing =
      ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 00:00:00"), "petrov");
  ASSERT_EQ(listing.rows.size(), 5u);
  EXPECT_EQ(listing.rows[2].EndText(), "");
  EXPECT_EQ(listing.rows[2].Duration().FormatClock(), "");
  EXPECT_EQ(listing.rows[3].Duration().FormatClock(), "01:00");
  EXPECT_EQ(listing.taskTotal.FormatTotal(), "");
  // An unknown row enters neither total, even without an end.
  EXPECT_EQ(listing.dayTotal.FormatTotal(), "0 дней 01:00");
}

TEST(PeriodListingTest, NegativeDurationLowersItsTotal) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 08:00:00", "2002-10-07 09:00:00");
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 12:00:00", "2002-10-07 09:30:00");
  AddLog(*db, "petrov", "StopWork", "2002-10-07 13:00:00", "2002-10-05 10:59:30");
  const PeriodListing listing =
      ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 00:00:00"), "petrov");
  ASSERT_EQ(listing.rows.size(), 3u);
  EXPECT_EQ(listing.rows[1].Duration().FormatClock(), "02:30");
  EXPECT_EQ(listing.dayTotal.FormatTotal(), "-0 дней 01:30");
  // -50:00:30: days cut toward zero, minutes of the exact seconds.
  EXPECT_EQ(listing.rows[2].Duration().FormatClock(), "02:00");
  EXPECT_EQ(listing.taskTotal.FormatTotal(), "-2 дней 02:00");
}

}  // namespace
}  // namespace vornal
