#include "stats/work_duration.h"

#include <gtest/gtest.h>

namespace vornal {
namespace {

constexpr std::int64_t kHour = 3600;

TEST(WorkDurationTest, EmptyTermEmptiesTheSumForGood) {
  WorkDuration total;
  total += WorkDuration::FromSeconds(kHour);
  total += WorkDuration::FromSeconds(-kHour / 2);
  EXPECT_EQ(total.Seconds(), kHour / 2);
  total += WorkDuration::Between(DateTime::FromIso("2002-10-07 09:00:00"), std::nullopt);
  EXPECT_TRUE(total.IsEmpty());
  total += WorkDuration::FromSeconds(kHour);
  EXPECT_TRUE(total.IsEmpty());
}

}  // namespace
}  // namespace vornal
