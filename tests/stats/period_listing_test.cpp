#include "stats/period_listing.h"

#include <gtest/gtest.h>

#include "stats/stats_test_util.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::At;

// Each row's label, with its task number: "day", "day done", "task 3",
// "task 1 done", "?".
std::vector<std::string> Labels(const PeriodListing& listing) {
  std::vector<std::string> labels;
  for (const ListedRow& row : listing.rows) {
    const std::string task = "task " + std::to_string(row.taskNumber);
    switch (row.label) {
      case RowLabel::DayGoing:
        labels.push_back("day");
        break;
      case RowLabel::DayDone:
        labels.push_back("day done");
        break;
      case RowLabel::TaskGoing:
        labels.push_back(task);
        break;
      case RowLabel::TaskDone:
        labels.push_back(task + " done");
        break;
      case RowLabel::Unknown:
        labels.push_back("?");
    }
  }
  return labels;
}

std::int64_t Minutes(const WorkDuration& duration) {
  EXPECT_FALSE(duration.IsEmpty());
  return duration.Seconds() / 60;
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
  EXPECT_EQ(Labels(listing),
            (std::vector<std::string>{"day", "task 1 done", "task 2 done", "task 3", "day done"}));
  EXPECT_EQ(listing.rows[3].taskNumber, 3);
  EXPECT_EQ(listing.rows[4].taskNumber, 0);
  EXPECT_EQ(Minutes(listing.taskTotal), 150);
  EXPECT_EQ(Minutes(listing.dayTotal), 355);
  EXPECT_EQ(listing.rows[0].begin, At("2002-10-07 09:00:00").ToSeconds());
  EXPECT_EQ(listing.rows[4].end, At("2002-10-07 18:00:00").ToSeconds());
  EXPECT_EQ(Minutes(listing.rows[4].Duration()), 350);
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
  EXPECT_EQ(Labels(listing), (std::vector<std::string>{"task 1 done", "?", "?", "task 2"}));
  EXPECT_EQ(Minutes(listing.rows[1].Duration()), 60);
  EXPECT_EQ(Minutes(listing.taskTotal), 120);
  EXPECT_EQ(Minutes(listing.dayTotal), 0);
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
  EXPECT_EQ(listing.rows[0].begin, At("2002-10-07 23:00:00").ToSeconds());
  EXPECT_EQ(listing.rows[1].begin, At("2002-10-08 00:00:01").ToSeconds());
  // The row closed at midnight lists on its begin date only.
  listing = ListPeriod(*db, At("2002-10-08 00:00:00"), At("2002-10-08 00:00:00"), "petrov");
  ASSERT_EQ(listing.rows.size(), 1u);
  EXPECT_EQ(Minutes(listing.rows[0].Duration()), 119);
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
    EXPECT_EQ(Labels(listing)[1], "task 2 done");
    EXPECT_EQ(listing.Login(listing.rows[2]), "Petrov");
    EXPECT_EQ(listing.Login(listing.rows[3]), "petrov");
    EXPECT_EQ(Minutes(listing.taskTotal), 150);
  }
  const PeriodListing one =
      ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 00:00:00"), "PETROV");
  ASSERT_EQ(one.rows.size(), 2u);
  EXPECT_EQ(Labels(one)[0], "task 1 done");
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
  EXPECT_EQ(listing.rows[2].end, ListedRow::kNoTime);
  EXPECT_TRUE(listing.rows[2].Duration().IsEmpty());
  EXPECT_EQ(Minutes(listing.rows[3].Duration()), 60);
  EXPECT_TRUE(listing.taskTotal.IsEmpty());
  // An unknown row enters neither total, even without an end.
  EXPECT_EQ(Minutes(listing.dayTotal), 60);
}

TEST(PeriodListingTest, NegativeDurationLowersItsTotal) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 08:00:00", "2002-10-07 09:00:00");
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 12:00:00", "2002-10-07 09:30:00");
  AddLog(*db, "petrov", "StopWork", "2002-10-07 13:00:00", "2002-10-05 10:59:30");
  const PeriodListing listing =
      ListPeriod(*db, At("2002-10-07 00:00:00"), At("2002-10-07 00:00:00"), "petrov");
  ASSERT_EQ(listing.rows.size(), 3u);
  EXPECT_EQ(Minutes(listing.rows[1].Duration()), -150);
  EXPECT_EQ(Minutes(listing.dayTotal), -90);
  EXPECT_EQ(listing.taskTotal.Seconds(), -(50 * 3600 + 30));
}

}  // namespace
}  // namespace vornal
