#include <gtest/gtest.h>

#include <string>

#include "cli/cli_test_util.h"
#include "stats/stats_test_util.h"
#include "store/people.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::AddLog;
using test::RunCli;

class CliTimesheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto db = test::MakeDatabase(test::DatabaseIn(Dir()));
    InsertPerson(*db, {"Петров Пётр", "", "", "", "petrov", "", ""});
    InsertPerson(*db, {"Сидоров", "", "", "", "sidorov", "", ""});
    AddLog(*db, "petrov", "StopWDay", "2024-02-28 20:00:00", "2024-02-29 00:00:00");
    AddLog(*db, "Petrov", "StopWDay", "2024-02-29 00:00:01", "2024-02-29 02:00:59");
    AddLog(*db, "petrov", "StopWork", "2024-02-29 00:10:00", "2024-02-29 01:00:00");
    AddLog(*db, "=SUM(A1)", "Working", "2024-02-01 08:00:00", "2024-02-01 09:30:00");
  }

  std::string Dir() const { return m_dir.Path().string(); }

  test::TempDir m_dir;
};

TEST_F(CliTimesheetTest, CsvHasADayColumnPerDayOfTheMonth) {
  const test::CliResult csv =
      RunCli(Dir(), {"timesheet", "--year", "2024", "--month", "2", "--csv"});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  std::string header = "\xEF\xBB\xBFLogin,ФИО";
  for (int day = 1; day <= 29; ++day) header += "," + std::to_string(day);
  const std::string empty27(27, ',');
  EXPECT_EQ(csv.out, header +
                         ",Дней,Работа,Задания\r\n"
                         "petrov,Петров Пётр" +
                         empty27 +
                         ",4:00,2:00,2,6:00,0:50\r\n"
                         "sidorov,Сидоров" +
                         std::string(29, ',') +
                         ",0,0:00,0:00\r\n"
                         "'=SUM(A1),,0:00" +
                         std::string(28, ',') + ",1,0:00,1:30\r\n");

  const test::CliResult one =
      RunCli(Dir(), {"timesheet", "--year=2024", "--month=3", "--login", "nobody", "--csv"});
  EXPECT_EQ(one.out.substr(one.out.find("\r\n") + 2),
            "nobody," + std::string(31, ',') + ",0,0:00,0:00\r\n");
  EXPECT_EQ(RunCli(Dir(), {"timesheet", "--year", "2024", "--month", "13"}).exitCode, 2);
  EXPECT_EQ(RunCli(Dir(), {"timesheet", "--year", "2024"}).exitCode, 2);
  EXPECT_EQ(RunCli(Dir(), {"timesheet", "--year", "2024", "--month", "2", "--csv", "--pdf", "x"})
                .exitCode,
            2);
  EXPECT_EQ(RunCli(Dir(), {"sheets", "--year", "2024", "--month", "2"}).exitCode, 2);
}

// The PDF files, read back with poppler's tools: a page per person, the
// office's title and the figures on them.
TEST_F(CliTimesheetTest, PdfPagesCarryTheFigures) {
#ifndef VORNAL_PDF
  GTEST_SKIP() << "vornal-cli is built without PDF output";
#endif
  const std::string sheets = m_dir.File("sheets.pdf");
  const test::CliResult written = RunCli(Dir(), {"sheets", "--year", "2024", "--month", "2",
                                                 "--pdf", sheets, "--title", "ООО Вектор"});
  ASSERT_EQ(written.exitCode, 0) << written.err;
  EXPECT_EQ(written.err, "");
  const test::CliResult info = test::RunProgram(Dir(), "pdfinfo", {sheets});
  EXPECT_NE(info.out.find("Pages:           3"), std::string::npos) << info.out;
  const test::CliResult text = test::RunProgram(Dir(), "pdftotext", {"-layout", sheets, "-"});
  EXPECT_NE(text.out.find("ООО Вектор"), std::string::npos);
  EXPECT_NE(text.out.find("Работник: Петров Пётр"), std::string::npos);
  EXPECT_NE(text.out.find("29.02.2024"), std::string::npos);
  EXPECT_NE(text.out.find("Страница 3 из 3"), std::string::npos);

  const std::string timesheet = m_dir.File("timesheet.pdf");
  ASSERT_EQ(
      RunCli(Dir(), {"timesheet", "--year", "2024", "--month", "2", "--pdf", timesheet}).exitCode,
      0);
  const test::CliResult page = test::RunProgram(Dir(), "pdftotext", {"-layout", timesheet, "-"});
  EXPECT_NE(page.out.find("Табель учёта рабочего времени за февраль 2024 г."), std::string::npos);
  EXPECT_NE(page.out.find("6:00"), std::string::npos);
  EXPECT_EQ(RunCli(Dir(), {"timesheet", "--year", "2024", "--month", "2", "--pdf",
                           m_dir.File("missing/t.pdf")})
                .exitCode,
            1);
}

}  // namespace
}  // namespace vornal
