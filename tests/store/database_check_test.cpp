#include "store/database_check.h"

#include <gtest/gtest.h>

#include <fstream>

#include "store/people.h"
#include "test_util.h"

namespace vornal {
namespace {

const DateTime kNow = *DateTime::FromParts(2024, 5, 20, 12, 0, 0);

void AddRow(Database& db, const std::string& login, const std::string& event, const DateTime& begin,
            const DateTime& end) {
  db.Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime, LoginKey) VALUES (?, ?, ?, ?, ?)",
             login, event, begin, end, login);
}

std::string Text(const std::vector<CheckFinding>& findings) {
  std::string text;
  for (const CheckFinding& finding : findings) {
    text += (finding.problem ? "problem: " : "note: ") + finding.text + "\n";
    for (const std::string& example : finding.examples) text += "  " + example + "\n";
  }
  return text;
}

TEST(DatabaseCheck, FindsRowsEndingBeforeTheyBeginAndRowsLeftGoingOn) {
  auto db = test::MakeMemoryDatabase();
  InsertPerson(*db, {"A", "", "", "", "a", "", ""});
  EXPECT_EQ(Text(CheckDatabase(*db, kNow)), "");

  // Sound rows: finished long ago, and going on with activity an hour ago.
  AddRow(*db, "a", "StopWDay", kNow.AddDays(-30), kNow.AddDays(-30).AddSeconds(3600));
  AddRow(*db, "a", "WorkingDay", kNow.AddSeconds(-7200), kNow.AddSeconds(-3600));
  EXPECT_EQ(Text(CheckDatabase(*db, kNow)), "");

  AddRow(*db, "a", "StopWork", kNow.AddDays(-2), kNow.AddDays(-3));  // ID 3
  AddRow(*db, "a", "Working", kNow.AddDays(-3), kNow.AddDays(-2));   // ID 4
  AddRow(*db, "gone", "StopWDay", kNow.AddDays(-5), kNow.AddDays(-5));
  const std::vector<CheckFinding> findings = CheckDatabase(*db, kNow);
  EXPECT_EQ(Text(findings),
            "problem: rows that end before they begin (the statistics count them as no time): 1\n"
            "  ID 3: a StopWork from 2024-05-18 12:00:00 to 2024-05-17 12:00:00\n"
            "problem: rows still going on with no activity for more than a day (the client sent "
            "no stop, or the folder was not collected since): 1\n"
            "  ID 4: a Working from 2024-05-17 12:00:00 to 2024-05-18 12:00:00\n"
            "note: logins with work rows but no person (removed, or never entered): 1\n"
            "  gone: 1 row\n");
}

TEST(DatabaseCheck, DamagedFileIsAProblem) {
  if (test::OnServer()) GTEST_SKIP() << "a server checks its own storage";
  test::TempDir dir;
  const std::string path = dir.File("base.mdb");
  std::int64_t firstRows = 0;  // the page after the tables' and indexes' first ones
  {
    DatabasePtr db = test::MakeDatabase(path);
    firstRows = db->QueryInt("SELECT MAX(rootpage) FROM sqlite_master").value_or(0) + 1;
    Transaction transaction(*db);
    for (int i = 0; i < 3000; ++i)
      AddRow(*db, "user" + std::to_string(i % 50), "StopWDay", kNow.AddDays(-i), kNow.AddDays(-i));
    transaction.Commit();
  }
  {
    // A page in the middle of the LOGS rows overwritten with other bytes.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp((firstRows + 1) * 4096 + 100);
    file << std::string(3000, 'x');
  }
  Database db;
  db.Open(path);
  const std::vector<CheckFinding> findings = CheckDatabase(db, kNow);
  ASSERT_FALSE(findings.empty());
  EXPECT_TRUE(findings.front().problem);
  EXPECT_EQ(findings.front().text.rfind("storage: ", 0), 0u) << Text(findings);
}

}  // namespace
}  // namespace vornal
