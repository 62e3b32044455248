#include "stats/work_duration.h"

#include <gtest/gtest.h>

namespace vornal {
namespace {

constexpr std::int64_t kHour = 3600;

TEST(WorkDurationTest, ClockShowsHoursAndMinutesOfTheAbsoluteValueWithoutDays) {
  EXPECT_EQ(WorkDuration::FromSeconds(25 * kHour + 10 * 60).FormatClock(), "01:10");
  // Exact to the second, then minutes cut: 59:59 is not yet an hour.
  EXPECT_EQ(WorkDuration::FromSeconds(59 * 60 + 59).FormatClock(), "00:59");
  EXPECT_EQ(WorkDuration::FromSeconds(-(3 * kHour + 5 * 60)).FormatClock(), "03:05");
  EXPECT_EQ(WorkDuration::FromSeconds(0).FormatClock(), "00:00");
  EXPECT_EQ(WorkDuration::Empty().FormatClock(), "");
}

TEST(WorkDurationTest, TotalShowsDaysTruncatedTowardZero) {
  EXPECT_EQ(WorkDuration().FormatTotal(), "0 дней 00:00");
  EXPECT_EQ(WorkDuration::FromSeconds(26 * kHour + 30 * 60).FormatTotal(), "1 дней 02:30");
  EXPECT_EQ(WorkDuration::FromSeconds(24 * kHour - 1).FormatTotal(), "0 дней 23:59");
  EXPECT_EQ(WorkDuration::FromSeconds(-(26 * kHour + 30 * 60)).FormatTotal(), "-1 дней 02:30");
  // Under a day below zero must not read as time worked.
  EXPECT_EQ(WorkDuration::FromSeconds(-(2 * kHour + 30 * 60)).FormatTotal(), "-0 дней 02:30");
  EXPECT_EQ(WorkDuration::Empty().FormatTotal(), "");
}

TEST(WorkDurationTest, EmptyTermEmptiesTheSumForGood) {
  WorkDuration total;
  total += WorkDuration::FromSeconds(kHour);
  total += WorkDuration::FromSeconds(-kHour / 2);
  EXPECT_EQ(total.Seconds(), kHour / 2);
  total += WorkDuration::Between(DateTime::FromIso("2002-10-07 09:00:00"), std::nullopt);
  EXPECT_TRUE(total.IsEmpty());
  total += WorkDuration::FromSeconds(kHour);
  EXPECT_TRUE(total.IsEmpty());
  EXPECT_EQ(total.FormatTotal(), "");
}

}  // namespace
}  // namespace vornal
