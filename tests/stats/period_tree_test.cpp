#include "stats/period_tree.h"

#include <gtest/gtest.h>

#include "stats/stats_test_util.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::At;

// "2002: October(7, 8); ..." for compact comparisons.
std::string Describe(const PeriodTree& tree) {
  std::string text;
  for (const auto& year : tree.years) {
    text += std::to_string(year.year) + ":";
    for (const auto& month : year.months) {
      text += " " + DateTime::FromParts(2000, month.month, 1)->Format("%B") + "(";
      for (const int day : month.days) text += std::to_string(day) + ",";
      text.back() = ')';
    }
    text += "; ";
  }
  return text;
}

TEST(PeriodTreeTest, DaysWhereRowsBeginOrEndWithinTheYearsShown) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWDay", "1980-12-31 23:00:00", "1981-01-01 00:00:00");
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 23:00:00", "2002-10-08 00:00:00");
  AddLog(*db, "petrov", "Working", "2002-10-07 09:00:00", nullptr);
  AddLog(*db, "ivanov", "StopWork", "2002-04-30 09:00:00", "2002-05-01 09:00:00");
  AddLog(*db, "petrov", "StopWork", "2003-02-03 09:00:00", "2003-02-03 10:00:00");
  AddLog(*db, "petrov", "StopWork", "2004-01-05 09:00:00", "2004-01-05 10:00:00");

  const PeriodTree all = BuildPeriodTree(*db, "", At("2003-10-01 12:00:00"));
  EXPECT_EQ(Describe(all),
            "1981: January(1); 2002: April(30) May(1) October(7,8); 2003: February(3); ");
  EXPECT_EQ(all.currentYear, 2);
  // The last month node with the current month's number, in an earlier year.
  EXPECT_EQ(all.currentMonthYear, 1);
  EXPECT_EQ(all.currentMonth, 2);

  const PeriodTree one = BuildPeriodTree(*db, "PETROV", At("2004-01-05 12:00:00"));
  EXPECT_EQ(Describe(one),
            "1981: January(1); 2002: October(7,8); 2003: February(3); "
            "2004: January(5); ");
  EXPECT_EQ(one.currentYear, 3);
  EXPECT_EQ(one.currentMonthYear, 3);
  EXPECT_EQ(one.currentMonth, 0);

  EXPECT_TRUE(BuildPeriodTree(*db, "sidorov", At("2004-01-05 12:00:00")).IsEmpty());
  EXPECT_TRUE(BuildPeriodTree(*db, "", At("1980-12-31 12:00:00")).IsEmpty());
  const PeriodTree noCurrent = BuildPeriodTree(*db, "ivanov", At("2002-12-01 12:00:00"));
  EXPECT_EQ(noCurrent.currentYear, 0);
  EXPECT_EQ(noCurrent.currentMonth, -1);
}

TEST(PeriodTreeTest, BusyDaysAreJumpedOverWithoutLosingTheDaysAfter) {
  auto db = test::MakeMemoryDatabase();
  for (int i = 0; i < 40; ++i) {
    const std::string login = "user" + std::to_string(i % 7);
    AddLog(*db, login, "StopWork", "2002-10-07 09:00:00", "2002-10-07 10:00:00");
    AddLog(*db, login, "StopWork", "2002-10-08 09:00:00", "2002-10-08 10:00:00");
  }
  AddLog(*db, "user3", "StopWDay", "2002-10-08 23:00:00", "2002-10-09 00:00:00");
  AddLog(*db, "user3", "StopWDay", "2002-10-12 09:00:00", "2002-10-12 10:00:00");
  AddLog(*db, "user3", "StopWDay", "2002-10-12 23:00:00", "2002-10-13 00:00:00");
  const DateTime now = At("2002-12-01 00:00:00");
  EXPECT_EQ(Describe(BuildPeriodTree(*db, "", now)), "2002: October(7,8,9,12,13); ");
  EXPECT_EQ(Describe(BuildPeriodTree(*db, "user3", now)), "2002: October(7,8,9,12,13); ");
  EXPECT_EQ(Describe(BuildPeriodTree(*db, "user4", now)), "2002: October(7,8); ");
}

TEST(PeriodTreeTest, NodePeriodsCoverWholeCalendarPeriods) {
  const auto february = NodePeriod(2004, 2);
  ASSERT_TRUE(february);
  EXPECT_EQ(february->start, At("2004-02-01 00:00:00"));
  EXPECT_EQ(february->end, At("2004-02-29 23:59:59"));
  EXPECT_EQ(NodePeriod(2002)->end, At("2002-12-31 23:59:59"));
  EXPECT_EQ(NodePeriod(2002, 4, 30)->start, At("2002-04-30 00:00:00"));
  EXPECT_FALSE(NodePeriod(2002, 4, 31));
  EXPECT_FALSE(NodePeriod(2002, 13));
  EXPECT_FALSE(NodePeriod(2002, 0, 5));
}

}  // namespace
}  // namespace vornal
