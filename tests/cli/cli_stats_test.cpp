#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "stats/period_tree.h"
#include "test_util.h"

namespace vornal {
namespace {

struct Output {
  int exitCode = -1;
  std::string out;
};

// Runs vornal-cli on the database with the arguments; stderr is dropped.
Output RunCli(const std::string& dbPath, const std::string& args) {
  const std::string command =
      std::string("'") + VORNAL_CLI + "' --db '" + dbPath + "' " + args + " 2>/dev/null";
  Output result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class CliStatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto db = test::MakeDatabase(m_path);
    const auto add = [&db](const char* login, const char* event, const char* begin,
                           const char* end) {
      db->Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?)", login,
                  event, *DateTime::FromIso(begin),
                  end ? DateTime::FromIso(end) : std::optional<DateTime>());
    };
    add("petrov", "StartWDay", "2002-10-07 09:05:00", "2002-10-07 09:10:00");
    add("petrov", "StopWork", "2002-10-07 09:10:00", "2002-10-07 11:40:30");
    add("ivanov", "Working", "2002-10-07 10:00:00", nullptr);
    add("petrov", "StopWDay", "2002-10-07 23:00:00", "2002-10-08 00:00:00");
    add("petrov", "Stop\"Work, odd", "2002-11-02 08:00:00", "2002-11-02 09:00:00");
    db->Execute("INSERT INTO HUMAN (Name, Login) VALUES (?, ?)", "Петров Пётр ", "petrov");
    db->Execute("INSERT INTO HUMAN (Name, Login) VALUES (?, ?)", "Иванов", "ivanov");
  }

  test::TempDir m_dir;
  std::string m_path = test::DatabaseIn(m_dir.Path().string());
};

TEST_F(CliStatsTest, TreeListsYearsMonthsAndDaysIndented) {
  EXPECT_EQ(RunCli(m_path, "tree").out, "2002\n  October\n    7\n    8\n  November\n    2\n");
  const Output one = RunCli(m_path, "tree --login IVANOV");
  EXPECT_EQ(one.exitCode, 0);
  EXPECT_EQ(one.out, "2002\n  October\n    7\n");
  EXPECT_EQ(RunCli(m_path, "tree --login nobody").out, "Нет данных\n");
  const test::TempDir empty;
  const std::string emptyDb = test::DatabaseIn(empty.Path().string());
  test::MakeDatabase(emptyDb);
  EXPECT_EQ(RunCli(emptyDb, "tree").out, "База данных пуста\n");
}

TEST_F(CliStatsTest, StatsCsvGivesTheGridCellsExactly) {
  const Output day = RunCli(m_path, "stats --csv --year 2002 --month 10 --day 7");
  EXPECT_EQ(day.exitCode, 0);
  EXPECT_EQ(
      day.out,
      "\"Событие \",Начало,Конец,Всего,Login\r\n"
      "Идет рабочий день,\" 09:05 07 Oct 02\",\" 09:10 07 Oct 02\",\" 00:05\",\" petrov\"\r\n"
      "Закончено 1 задание,\" 09:10 07 Oct 02\",\" 11:40 07 Oct 02\",\" 02:30\",\" petrov\"\r\n"
      "Выполняется 2 задание,\" 10:00 07 Oct 02\",\" \",\" \",\" ivanov\"\r\n"
      "Закончен рабочий день,\" 23:00 07 Oct 02\",\" 00:00 08 Oct 02\",\" 01:00\",\" petrov\"\r\n"
      "\" Всего отработано\",,,,\r\n"
      "\" Общее рабочее время\",,,,0 дней 01:05\r\n");
  const Output year = RunCli(m_path, "stats --csv --login petrov --year=2002");
  EXPECT_NE(year.out.find("Unknown,\" 08:00 02 Nov 02\",\" 09:00 02 Nov 02\",\" 01:00\""),
            std::string::npos);
  EXPECT_NE(year.out.find("\" Всего отработано\",,,,0 дней 02:30\r\n"), std::string::npos);
  // The day where a row only ends: header and totals at zero.
  EXPECT_EQ(RunCli(m_path, "stats --csv --year 2002 --month 10 --day 8").out,
            "\"Событие \",Начало,Конец,Всего,Login\r\n"
            "\" Всего отработано\",,,,0 дней 00:00\r\n"
            "\" Общее рабочее время\",,,,0 дней 00:00\r\n");
  EXPECT_EQ(RunCli(m_path, "stats --csv --bom --year 2002 --month 12").out.substr(0, 3),
            "\xEF\xBB\xBF");
}

TEST_F(CliStatsTest, StatsTableAlignsColumns) {
  const Output table = RunCli(m_path, "stats --login ivanov --year 2002 --month 10");
  EXPECT_EQ(table.exitCode, 0);
  EXPECT_EQ(table.out,
            "Событие              |Начало          |Конец           |Всего |Login\n"
            "---------------------+----------------+----------------+------+------------\n"
            "Выполняется 1 задание| 10:00 07 Oct 02|                |      | ivanov\n"
            " Всего отработано    |                |                |      |\n"
            " Общее рабочее время |                |                |      |0 дней 00:00\n");
}

TEST_F(CliStatsTest, PeopleAndCommandLineErrors) {
  EXPECT_EQ(RunCli(m_path, "people").out, "1. Петров Пётр (petrov)\n2. Иванов (ivanov)\n");
  EXPECT_EQ(RunCli(m_path, "stats --help").exitCode, 0);
  EXPECT_NE(RunCli(m_path, "tree --help").out.find("--login"), std::string::npos);
  EXPECT_EQ(RunCli(m_path, "people --help").exitCode, 0);
  EXPECT_EQ(RunCli(m_path, "stats").exitCode, 2);
  EXPECT_EQ(RunCli(m_path, "stats --year 2002 --day 3").exitCode, 2);
  EXPECT_EQ(RunCli(m_path, "stats --year 2002 --month 4 --day 31").exitCode, 2);
  EXPECT_EQ(RunCli(m_path, "stats --year 2002 --month 0").exitCode, 2);
  EXPECT_EQ(RunCli(m_path, "stats --year 20x2").exitCode, 2);
  EXPECT_EQ(RunCli(m_path, "stats --year").exitCode, 2);
  EXPECT_EQ(RunCli(m_path, "tree --frobnicate").exitCode, 2);
  EXPECT_EQ(RunCli(m_path, "people extra").exitCode, 2);
  EXPECT_EQ(RunCli(m_dir.File("not-a-folder/base.mdb"), "people").exitCode, 1);
}

}  // namespace
}  // namespace vornal
