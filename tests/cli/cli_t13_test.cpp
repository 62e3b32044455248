#include <gtest/gtest.h>

#include <map>
#include <string>

#include "cli/cli_test_util.h"
#include "stats/stats_test_util.h"
#include "store/people.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::RunCli;

// A small office's February 2026, worked out by hand: 1 February is a
// Sunday; days off 1, 7, 8, 14, 15, 21, 22, 28 and the holiday on Monday
// 23; 20 February made a 6-hour day; a norm of 18 * 8 + 6 = 150 hours.
TEST(CliT13Test, FormOfASmallOfficeAsComputedByHand) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  {
    auto db = test::MakeDatabase(test::DatabaseIn(cwd));
    InsertPerson(*db,
                 {"Орлова Ольга", "", "Бухгалтер", "", "orlova", "", "", "Бухгалтерия", "0007"});
    InsertPerson(*db, {"Зайцев Пётр", "", "Сторож", "", "zaitsev", "", "", "Охрана", "0012"});
    AddLog(*db, "orlova", "StopWDay", "2026-02-02 09:00:00", "2026-02-02 18:00:00");
    AddLog(*db, "orlova", "StopWDay", "2026-02-03 09:00:00", "2026-02-03 17:30:00");
    // A night shift from Friday into Saturday, cut at midnight.
    AddLog(*db, "zaitsev", "StopWDay", "2026-02-06 20:00:00", "2026-02-07 00:00:00");
    AddLog(*db, "zaitsev", "StopWDay", "2026-02-07 00:00:00", "2026-02-07 04:00:00");
    AddLog(*db, "zaitsev", "StopWDay", "2026-02-12 09:00:00", "2026-02-12 10:00:00");
    AddLog(*db, "zaitsev", "StopWDay", "2026-02-23 10:00:00", "2026-02-23 14:00:00");
    AddLog(*db, "guest", "WorkingDay", "2026-02-04 10:00:00", "2026-02-04 11:00:00");
    // Task rows and rows of other months count nowhere.
    AddLog(*db, "orlova", "StopWork", "2026-02-05 09:00:00", "2026-02-05 12:00:00");
    AddLog(*db, "orlova", "StopWDay", "2026-03-01 09:00:00", "2026-03-01 12:00:00");
  }
  test::WriteFile(cwd + "/calendar.csv", "date,kind,hours\r\n2026-02-20,short,6\r\n");
  ASSERT_EQ(RunCli(cwd, {"calendar", "import", "calendar.csv"}).exitCode, 0);
  ASSERT_EQ(RunCli(cwd, {"absences", "set", "--login", "zaitsev", "--from", "2026-02-10", "--to",
                         "2026-02-12", "--code", "б", "--note", "больничный"})
                .exitCode,
            0);
  const test::CliResult added =
      RunCli(cwd, {"logs", "add", "--login", "orlova", "--event", "StopWDay", "--begin",
                   "2026-02-04 09:00:00", "--end", "2026-02-04 13:00:00", "--reason",
                   "забыла отметиться"});
  ASSERT_EQ(added.exitCode, 0) << added.err;

  // Fields after the date: code, number, hours, worked, night, flagged,
  // note, correction.
  const std::map<std::pair<int, int>, std::string> marked = {
      {{1, 2}, "Я,01,9:00,9:00,,,,"},
      {{1, 3}, "Я,01,8:30,8:30,,,,"},
      {{1, 4}, "Я,01,4:00,4:00,,,,забыла отметиться"},
      {{2, 6}, "Я/Н,01/02,2:00/2:00,4:00,2:00,,,"},
      {{2, 7}, "РВ,03,4:00,4:00,4:00,,,"},
      {{2, 10}, "Б,19,,,,,больничный,"},
      {{2, 11}, "Б,19,,,,,больничный,"},
      {{2, 12}, "Б/Я,19/01,1:00,1:00,,да,больничный,"},
      {{2, 23}, "РВ,03,4:00,4:00,,,,"},
      {{3, 4}, "Я,01,1:00,1:00,,,,"},
  };
  const char* people[] = {"1,0007,orlova,Орлова Ольга,Бухгалтер,Бухгалтерия",
                          "2,0012,zaitsev,Зайцев Пётр,Сторож,Охрана", "3,,guest,,,"};
  std::string expected =
      "\xEF\xBB\xBFНомер,Табельный номер,Логин,ФИО,Должность,Подразделение,Дата,Код,"
      "Цифровой код,Часы,Отработано,Ночные,Неявка и часы,Примечание,Исправлено\r\n";
  for (int person = 1; person <= 3; ++person) {
    for (int day = 1; day <= 28; ++day) {
      const bool off = day == 1 || day % 7 == 0 || day % 7 == 1 || day == 23;
      const auto found = marked.find({person, day});
      const std::string rest = found != marked.end() ? found->second
                               : off                 ? "В,26,,,,,,"
                                                     : ",,,,,,,";
      char date[11];
      std::snprintf(date, sizeof date, "%02d.02.2026", day);
      expected += std::string(people[person - 1]) + "," + date + "," + rest + "\r\n";
    }
  }
  const test::CliResult csv =
      RunCli(cwd, {"timesheet", "--form", "t13", "--year", "2026", "--month", "2", "--csv"});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  EXPECT_EQ(csv.out, expected);

  // The totals: days and hours, the norm less the days away, the difference.
  const test::CliResult text =
      RunCli(cwd, {"timesheet", "--form", "t13", "--year", "2026", "--month", "2"});
  EXPECT_NE(text.out.find("Дни 3, часы 21:30, норма 150:00, разница -128:30\n"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("Дни 4, часы 13:00, норма 126:00, разница -113:00, неявки Б 3\n"),
            std::string::npos)
      << text.out;

  // A department alone: its people, numbered from 1, and no login nobody has.
  const test::CliResult guards = RunCli(cwd, {"timesheet", "--form", "t13", "--year", "2026",
                                              "--month", "2", "--department", "Охрана"});
  EXPECT_EQ(guards.out.rfind("1. Зайцев Пётр (zaitsev)\n", 0), 0u) << guards.out;
  EXPECT_EQ(guards.out.find("guest"), std::string::npos) << guards.out;

#ifdef VORNAL_PDF
  const test::CliResult pdf = RunCli(cwd, {"timesheet", "--form", "t13", "--year", "2026",
                                           "--month", "2", "--pdf", "t13.pdf", "--number", "5"});
  ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
  EXPECT_EQ(test::ReadFile(cwd + "/t13.pdf").substr(0, 5), "%PDF-");
#endif
  // Refused: an unknown code, a form that does not exist, a row going on.
  EXPECT_EQ(RunCli(cwd, {"absences", "set", "--login", "orlova", "--from", "2026-02-10", "--to",
                         "2026-02-11", "--code", "Я"})
                .exitCode,
            2);
  EXPECT_EQ(RunCli(cwd, {"timesheet", "--form", "t14", "--year", "2026", "--month", "2"}).exitCode,
            2);
  const test::CliResult open = RunCli(cwd, {"logs", "remove", "7", "--reason", "x"});
  EXPECT_EQ(open.exitCode, 1);
  EXPECT_NE(open.err.find("still going on"), std::string::npos) << open.err;
}

// The intake goes on under corrections: a row still going on is its own and
// refused to a correction; a row removed stays removed when its events come
// again in another file; its undo brings it back once.
TEST(CliT13Test, CorrectionsLeaveTheIntakeItsRowsAndAppliedEvents) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  const std::string day =
      "2026|12|1|9|0|0|ivanov|StartWDay|\r\n2026|12|1|9|4|0|ivanov|WorkingDay|\r\n";
  test::MakeOffice(cwd, {day});
  const auto process = [&] {
    const test::CliResult run = RunCli(cwd, {"process", "--quiet-period", "0"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
  };
  process();
  const test::CliResult open = RunCli(cwd, {"logs", "remove", "1", "--reason", "x"});
  EXPECT_EQ(open.exitCode, 1);
  EXPECT_NE(open.err.find("still going on"), std::string::npos) << open.err;

  test::WriteFile(cwd + "/w0/main.buf", "2026|12|1|9|8|0|ivanov|StopWDay|\r\n");
  process();
  const std::string finished = test::RowsIn(cwd);
  EXPECT_EQ(finished, "ivanov|StopWDay|2026-12-01 09:00:00|2026-12-01 09:08:00\n");
  ASSERT_EQ(RunCli(cwd, {"logs", "remove", "1", "--reason", "не работал"}).exitCode, 0);
  test::WriteFile(cwd + "/w0/main.buf", day + "2026|12|1|9|8|0|ivanov|StopWDay|\r\n");
  process();
  EXPECT_EQ(test::RowsIn(cwd), "");
  ASSERT_EQ(RunCli(cwd, {"logs", "undo", "1", "--reason", "работал"}).exitCode, 0);
  EXPECT_EQ(test::RowsIn(cwd), finished);
  EXPECT_EQ(RunCli(cwd, {"logs", "undo", "1", "--reason", "again"}).exitCode, 1);
  EXPECT_EQ(test::RowsIn(cwd), finished);
}

}  // namespace
}  // namespace vornal
