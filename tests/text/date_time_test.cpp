#include "text/date_time.h"

#include <gtest/gtest.h>

namespace vornal {
namespace {

TEST(DateTime, RefusesWhatIsNoDateOrTime) {
  EXPECT_TRUE(DateTime::FromParts(2002, 10, 7, 9, 5, 0));
  EXPECT_TRUE(DateTime::FromParts(2004, 2, 29));
  EXPECT_FALSE(DateTime::FromParts(2003, 2, 29));
  EXPECT_FALSE(DateTime::FromParts(2002, 4, 31));
  EXPECT_FALSE(DateTime::FromParts(2002, 13, 1));
  EXPECT_FALSE(DateTime::FromParts(2002, 0, 1));
  EXPECT_FALSE(DateTime::FromParts(2002, 1, 0));
  EXPECT_FALSE(DateTime::FromParts(2002, 1, 1, 24, 0, 0));
  EXPECT_FALSE(DateTime::FromParts(2002, 1, 1, 0, 60, 0));
  EXPECT_FALSE(DateTime::FromParts(2002, 1, 1, 0, 0, 60));
  EXPECT_FALSE(DateTime::FromParts(0, 1, 1));
  EXPECT_FALSE(DateTime::FromParts(1900, 2, 29));
  EXPECT_TRUE(DateTime::FromParts(2000, 2, 29));
}

TEST(DateTime, FormatsTheTextsOfTheProgram) {
  const DateTime t = *DateTime::FromParts(2002, 10, 7, 9, 5, 3);
  EXPECT_EQ(t.Format("%d.%m.%Y %H:%M:%S"), "07.10.2002 09:05:03");
  EXPECT_EQ(t.Format("%d.%m.%Y"), "07.10.2002");
  EXPECT_EQ(t.Format("%Y.%m.%d"), "2002.10.07");
  EXPECT_EQ(t.Format("%H:%M %d %b %y"), "09:05 07 Oct 02");
  EXPECT_EQ(t.Format("%B"), "October");
  EXPECT_EQ(DateTime::FromParts(2002, 1, 1)->Format("%b %B"), "Jan January");
  EXPECT_EQ(DateTime::FromParts(2002, 12, 1)->Format("%b %B 100%%"), "Dec December 100%");
  EXPECT_EQ(t.ToIso(), "2002-10-07 09:05:03");
}

TEST(DateTime, IsoRoundTripAndRefusal) {
  const DateTime t = *DateTime::FromParts(1999, 12, 31, 23, 59, 59);
  EXPECT_EQ(DateTime::FromIso(t.ToIso()), t);
  EXPECT_EQ(DateTime::FromIso("2002-10-07"), DateTime::FromParts(2002, 10, 7));
  EXPECT_FALSE(DateTime::FromIso("2002-02-30 00:00:00"));
  EXPECT_FALSE(DateTime::FromIso("07.10.2002 09:05:00"));
  EXPECT_FALSE(DateTime::FromIso("2002-10-07 09:05"));
  EXPECT_FALSE(DateTime::FromIso(""));
}

TEST(DateTime, CivilArithmeticAcrossMonthsYearsAndLeapDays) {
  const DateTime t = *DateTime::FromParts(2004, 2, 28, 23, 58, 0);
  EXPECT_EQ(t.AddDays(1), DateTime::FromParts(2004, 2, 29, 23, 58, 0));
  EXPECT_EQ(t.AddDays(2), DateTime::FromParts(2004, 3, 1, 23, 58, 0));
  EXPECT_EQ(DateTime::FromParts(2002, 12, 31)->AddDays(1), DateTime::FromParts(2003, 1, 1));
  EXPECT_EQ(DateTime::FromParts(2003, 1, 1)->AddDays(-1), DateTime::FromParts(2002, 12, 31));
  EXPECT_EQ(t.AddSeconds(4 * 60), DateTime::FromParts(2004, 2, 29, 0, 2, 0));
  EXPECT_EQ(DateTime::FromParts(2004, 2, 29, 0, 2, 0)->SecondsSince(t), 240);
  EXPECT_EQ(t.SecondsSince(*DateTime::FromParts(2004, 2, 29, 0, 2, 0)), -240);
  EXPECT_EQ(t.Date(), DateTime::FromParts(2004, 2, 28));
  EXPECT_EQ(DateTime::FromSeconds(0), DateTime::FromParts(1970, 1, 1));
  EXPECT_EQ(DateTime::FromSeconds(-1), DateTime::FromParts(1969, 12, 31, 23, 59, 59));
  EXPECT_LT(t, t.AddSeconds(1));
  EXPECT_EQ(DateTime::DaysInMonth(2100, 2), 28);
}

}  // namespace
}  // namespace vornal
