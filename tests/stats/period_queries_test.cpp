#include "stats/period_queries.h"

#include <gtest/gtest.h>

#include "stats/stats_test_util.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;

TEST(PeriodQueriesTest, RowMarksThePeriodsItBeginsAndEndsIn) {
  auto db = test::MakeMemoryDatabase();
  // Closed at midnight, across the turn of the year.
  AddLog(*db, "petrov", "StopWDay", "2001-12-31 23:00:00", "2002-01-01 00:00:00");
  EXPECT_FALSE(IsDayEmpty(*db, 31, 12, 2001, "petrov"));
  EXPECT_FALSE(IsDayEmpty(*db, 1, 1, 2002, "petrov"));
  EXPECT_TRUE(IsDayEmpty(*db, 2, 1, 2002, "petrov"));
  EXPECT_TRUE(IsDayEmpty(*db, 30, 12, 2001, "petrov"));
  EXPECT_FALSE(IsMonthEmpty(*db, 12, 2001, "petrov"));
  EXPECT_FALSE(IsMonthEmpty(*db, 1, 2002, "petrov"));
  EXPECT_TRUE(IsMonthEmpty(*db, 2, 2002, "petrov"));
  EXPECT_FALSE(IsYearEmpty(*db, 2001, "petrov"));
  EXPECT_FALSE(IsYearEmpty(*db, 2002, "petrov"));
  EXPECT_TRUE(IsYearEmpty(*db, 2003, "petrov"));
}

TEST(PeriodQueriesTest, LoginSelectsItsRowsIgnoringCaseAndEmptyLoginSelectsAll) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWork", "2002-10-07 09:00:00", "2002-10-07 10:00:00");
  AddLog(*db, "ivanov", "Working", "2002-10-08 09:00:00", nullptr);
  EXPECT_FALSE(IsDayEmpty(*db, 7, 10, 2002, "Petrov"));
  EXPECT_TRUE(IsDayEmpty(*db, 8, 10, 2002, "petrov"));
  EXPECT_FALSE(IsDayEmpty(*db, 8, 10, 2002, ""));
  EXPECT_FALSE(IsDayEmpty(*db, 7, 10, 2002, ""));
  EXPECT_TRUE(IsYearEmpty(*db, 2002, "sidorov"));
  EXPECT_TRUE(IsYearEmpty(*db, 2002, "petrov' OR '1'='1"));
}

TEST(PeriodQueriesTest, DaysAndMonthsThatDoNotExistAreEmpty) {
  auto db = test::MakeMemoryDatabase();
  // Where a careless date calculation puts 31 April, 30 February and month 13.
  AddLog(*db, "petrov", "StopWork", "2002-05-01 09:00:00", "2002-05-01 10:00:00");
  AddLog(*db, "petrov", "StopWork", "2002-03-02 09:00:00", "2002-03-02 10:00:00");
  AddLog(*db, "petrov", "StopWork", "2003-01-01 09:00:00", "2003-01-01 10:00:00");
  EXPECT_TRUE(IsDayEmpty(*db, 31, 4, 2002, ""));
  EXPECT_TRUE(IsDayEmpty(*db, 30, 2, 2002, ""));
  EXPECT_TRUE(IsDayEmpty(*db, 0, 5, 2002, ""));
  EXPECT_TRUE(IsMonthEmpty(*db, 13, 2002, ""));
  EXPECT_TRUE(IsMonthEmpty(*db, 0, 2003, ""));
  EXPECT_TRUE(IsYearEmpty(*db, 0, ""));
  EXPECT_FALSE(IsDayEmpty(*db, 1, 5, 2002, ""));
}

TEST(PeriodQueriesTest, PeopleAndLoginsByID) {
  auto db = test::MakeMemoryDatabase();
  db->Execute("INSERT INTO HUMAN (ID, Name, Login) VALUES (?, ?, ?)", 5, "Сидоров С.", "sid'orov");
  db->Execute("INSERT INTO HUMAN (ID, Name, Login) VALUES (?, ?, ?)", 3, "Петров Пётр  ",
              "petrov ");
  EXPECT_EQ(GetLoginByID(*db, 5), "sid'orov");
  EXPECT_EQ(GetLoginByID(*db, 3), "petrov ");
  EXPECT_EQ(GetLoginByID(*db, 4), "");

  const auto people = ListPeople(*db);
  ASSERT_EQ(people.size(), 2u);
  EXPECT_EQ(people[0].id, 3);
  EXPECT_EQ(people[0].name, "Петров Пётр  ");
  EXPECT_EQ(people[1].login, "sid'orov");
}

}  // namespace
}  // namespace vornal
