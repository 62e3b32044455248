#include "stats/stat_grid.h"

#include <gtest/gtest.h>

#include "stats/stats_test_util.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::At;

TEST(StatGridTest, ListedRowsThenBothTotals) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StartWDay", "2002-10-07 09:05:00", "2002-10-07 09:10:00");
  AddLog(*db, "petrov", "StartWork", "2002-10-07 09:10:00", "2002-10-08 10:20:00");
  AddLog(*db, "petrov", "WorkingDay", "2002-10-07 09:15:00", nullptr);
  const StatGrid grid =
      BuildStatGrid(*db, At("2002-10-01 00:00:00"), At("2002-10-31 23:59:59"), "petrov");
  EXPECT_EQ(grid.RowCount(), 7);
  EXPECT_EQ(grid.Cells(0), (StatGrid::Row{"Событие ", "Начало", "Конец", "Всего", "Login"}));
  EXPECT_EQ(grid.Cells(1), (StatGrid::Row{"Идет рабочий день", " 09:05 07 Oct 02",
                                          " 09:10 07 Oct 02", " 00:05", " petrov"}));
  EXPECT_EQ(grid.Cells(2), (StatGrid::Row{"Выполняется 1 задание", " 09:10 07 Oct 02",
                                          " 10:20 08 Oct 02", " 01:10", " petrov"}));
  EXPECT_EQ(grid.Cells(3),
            (StatGrid::Row{"Идет рабочий день", " 09:15 07 Oct 02", " ", " ", " petrov"}));
  EXPECT_EQ(grid.Cells(4), (StatGrid::Row{" Всего отработано", "", "", "", "1 дней 01:10"}));
  EXPECT_EQ(grid.Cells(5), (StatGrid::Row{" Общее рабочее время", "", "", "", ""}));
}

TEST(StatGridTest, EmptyListingStillHasHeaderAndZeroTotals) {
  auto db = test::MakeMemoryDatabase();
  AddLog(*db, "petrov", "StopWDay", "2002-10-07 23:00:00", "2002-10-08 00:00:00");
  const StatGrid grid =
      BuildStatGrid(*db, At("2002-10-08 00:00:00"), At("2002-10-08 23:59:59"), "petrov");
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Cell(1, 0), " Всего отработано");
  EXPECT_EQ(grid.Cell(1, 4), "0 дней 00:00");
  EXPECT_EQ(grid.Cell(2, 0), " Общее рабочее время");
  EXPECT_EQ(grid.Cell(2, 4), "0 дней 00:00");
}

}  // namespace
}  // namespace vornal
