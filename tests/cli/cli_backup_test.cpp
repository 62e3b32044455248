#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "buffer_generator.h"
#include "cli/cli_test_util.h"
#include "store/people.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

// Backups taken again and again while a collection writes: each one is
// complete, opens and passes check, and none leaves a temporary file.
TEST(CliBackup, BackupTakenWhileProcessRunsOpensAndPassesCheck) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  if (test::OnServer()) {
    RunCli(cwd, {"people"});
    const auto refused = RunCli(cwd, {"backup", "copy.mdb"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("pg_dump"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(cwd + "/copy.mdb"));
    return;
  }
  std::vector<std::string> buffers;
  for (int i = 0; i < 4; ++i) {
    std::ostringstream out;
    // Today's events, so that the rows still going on are not a day old.
    bench::BufferGenerator generator(40, static_cast<unsigned>(i + 7), DateTime::Now().Date());
    generator.Write(out, 20000);
    buffers.push_back(out.str());
  }
  test::MakeOffice(cwd, buffers);
  const pid_t process =
      test::StartProgram(cwd + "/w0", VORNAL_CLI, {"--db", cwd + "/base.mdb", "process"});
  int takenDuring = 0, taken = 0, status = 0;
  for (bool running = true; running; ++taken) {
    const std::string copy = "copy" + std::to_string(taken) + ".mdb";
    const auto backup = RunCli(cwd, {"backup", copy});
    running = ::waitpid(process, &status, WNOHANG) == 0;
    takenDuring += running;
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    const auto check = RunCli(cwd, {"--db", copy, "check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  }
  EXPECT_EQ(status, 0) << test::ReadFile(cwd + "/w0/.cli.err");
  std::printf("%d backups, %d of them while the collection ran\n", taken, takenDuring);
  EXPECT_GT(takenDuring, 0);
  // The last copy, taken after the collection, holds all its rows.
  EXPECT_EQ(test::RowsIn(cwd), [&] {
    Database db;
    db.Open(cwd + "/copy" + std::to_string(taken - 1) + ".mdb");
    return test::DumpRows(db);
  }());
  for (const auto& entry : fs::directory_iterator(cwd))
    EXPECT_EQ(entry.path().filename().string().find("partial"), std::string::npos) << entry.path();

  // An existing file is kept unless --force.
  const std::string before = test::ReadFile(cwd + "/copy0.mdb");
  EXPECT_EQ(RunCli(cwd, {"backup", "copy0.mdb"}).exitCode, 1);
  EXPECT_EQ(test::ReadFile(cwd + "/copy0.mdb"), before);
  EXPECT_EQ(RunCli(cwd, {"backup", "--force", "copy0.mdb"}).exitCode, 0);
  EXPECT_EQ(RunCli(cwd, {"backup", "--force", "base.mdb"}).exitCode, 1);
  EXPECT_EQ(RunCli(cwd, {"check"}).exitCode, 0);
}

// check reads only: what an upgrade would change is a note, not done.
TEST(CliBackup, CheckChangesNothingAndSaysWhatAnUpgradeWould) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  const std::string location = test::DatabaseIn(cwd);
  {
    // As steps 5 to 7 find it.
    const DatabasePtr db = test::MakeOlderDatabase(location, 4);
    db->Execute("INSERT INTO human (Name, Login) VALUES ('Иванов', 'ivanov')");
  }
  const auto state = [&] {
    Database db;
    db.Open(location);
    return std::to_string(db.Connection().SchemaVersion()) + " " +
           std::to_string(db.HasTable("folder_status")) + " " +
           std::to_string(*db.QueryInt("SELECT count(*) FROM human WHERE LoginKey IS NULL")) +
           (db.IsServer() ? "" : " " + test::ReadFile(location));
  };
  const std::string before = state();
  const auto check = RunCli(cwd, {"check"});
  EXPECT_EQ(check.exitCode, 0) << check.err;
  // The steps from 5 on, each named (later steps follow in the same way).
  EXPECT_NE(check.out.find("note: the schema is at version 4; a command that writes would bring it "
                           "to version " +
                           std::to_string(kSchemaVersion) +
                           ", adding the table of each folder's latest collection; "
                           "the table of events applied, per login and day; working folders per "
                           "site and a version on each person and setting; a department and a "
                           "personnel number for each person; the tables of corrections, "
                           "absences and the working calendar"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("note: 1 row of human has no login key"), std::string::npos)
      << check.out;
  EXPECT_EQ(RunCli(cwd, {"check", "--storage"}).out.find("note"), std::string::npos);
  EXPECT_EQ(state(), before);
  // A command that writes takes the steps.
  EXPECT_EQ(RunCli(cwd, {"people"}).exitCode, 0);
  const std::string current = std::to_string(kSchemaVersion) + " 1";
  EXPECT_EQ(state().substr(0, current.size()), current);
}

}  // namespace
}  // namespace vornal
