#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_util.h"
#include "intake/intake_test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

std::string Rows(const std::string& dbPath) {
  Database db;
  db.Open(dbPath);
  return test::DumpRows(db);
}

TEST(CliFolders, SetListClearAndRefuseMissingFolders) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  fs::create_directory(dir.File("ivanov"));

  auto result = RunCli(cwd, {"folders", "set", "3", "ivanov"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Slot 3: " + dir.File("ivanov") + "\n");
  if (test::OnServer()) {
    EXPECT_NE(result.err.find("had none of the program's tables; created them"), std::string::npos);
  } else {
    EXPECT_NE(result.err.find("did not exist; created a new database"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.File("base.mdb")));
  }

  result = RunCli(cwd, {"folders", "set", "4", "nowhere"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("'nowhere' does not exist"), std::string::npos);

  result = RunCli(cwd, {"folders"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find(" 3  " + dir.File("ivanov") + "\n"), std::string::npos);
  EXPECT_NE(result.out.find(" 4  (free)\n"), std::string::npos);
  EXPECT_NE(result.out.find("10  (free)\n"), std::string::npos);

  EXPECT_EQ(RunCli(cwd, {"folders", "clear", "3"}).exitCode, 0);
  EXPECT_NE(RunCli(cwd, {"folders"}).out.find(" 3  (free)\n"), std::string::npos);

  // A path too long to store is refused with a message.
  const std::string deep = dir.File(std::string(250, 'd'));
  fs::create_directory(deep);
  result = RunCli(cwd, {"folders", "set", "5", deep});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("longer than 255 characters"), std::string::npos) << result.err;

  EXPECT_EQ(RunCli(cwd, {"folders", "set", "10000", "ivanov"}).exitCode, 2);
  EXPECT_EQ(RunCli(cwd, {"folders", "set", "011", "ivanov"}).exitCode, 2);
  EXPECT_EQ(RunCli(cwd, {"folders", "clear"}).exitCode, 2);
  EXPECT_EQ(RunCli(cwd, {"folders", "move", "1"}).exitCode, 2);
  result = RunCli(cwd, {"folders", "--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("folders set N FOLDER"), std::string::npos);
}

TEST(CliProcess, AppliesBuffersAndPrintsTheSummary) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  fs::create_directory(dir.File("a"));
  fs::create_directory(dir.File("b"));
  // --db wins over VORNAL_DB, which the tests set on the server.
  const std::string db = test::OnServer() ? test::ServerDatabases::New() : "office.mdb";
  ASSERT_EQ(RunCli(cwd, {"--db", db, "folders", "set", "1", "a/"}).exitCode, 0);
  ASSERT_EQ(RunCli(cwd, {"--db", db, "folders", "set", "2", "b"}).exitCode, 0);
  fs::copy_file(test::DataFile("worked_sequence.buf"), dir.File("a/main.buf"));
  fs::copy_file(test::DataFile("mixed_cp1251.buf"), dir.File("b/main.buf"));

  auto result = RunCli(cwd, {"--db", db, "process"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "Path1 " + dir.File("a") + ": 1 file, 5 events applied, 0 lines skipped\n" +
                            "Path2 " + dir.File("b") +
                            ": 1 file, 8 events applied, 4 lines skipped (1 blank line, "
                            "1 unknown or missing event name, 1 no valid date and time, "
                            "1 after an end-of-file mark (0x1A))\n"
                            "Total: 2 files, 13 events applied, 4 lines skipped, 3 kept aside "
                            "('vornal-cli rejected' lists them).\n");
  EXPECT_EQ(Rows(test::OnServer() ? db : dir.File(db)),
            test::ReadFile(test::DataFile("worked_sequence.rows")) +
                test::ReadFile(test::DataFile("mixed_cp1251.rows")));
  EXPECT_FALSE(fs::exists(dir.File("a/main.buf")));

  // Nothing left: still a success.
  fs::remove_all(dir.File("b"));
  result = RunCli(cwd, {"--db", db, "process"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("Path2 " + dir.File("b") + ": folder does not exist, skipped\n"),
            std::string::npos);
  EXPECT_NE(result.out.find("Total: 0 files, 0 events applied, 0 lines skipped.\n"),
            std::string::npos);
  EXPECT_EQ(RunCli(cwd, {"process", "now"}).exitCode, 2);
  EXPECT_EQ(RunCli(cwd, {"process", "--help"}).exitCode, 0);
}

TEST(CliProcess, EngineErrorFailsAndLeavesTheFileWhole) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  fs::create_directory(dir.File("a"));
  ASSERT_EQ(RunCli(cwd, {"folders", "set", "1", "a"}).exitCode, 0);
  {
    Database db;
    db.Open(test::DatabaseIn(cwd));
    test::RefuseRows(db, "logs", "NEW.Event = 'StopWDay'", "no stops today", true);
  }
  fs::copy_file(test::DataFile("worked_sequence.buf"), dir.File("a/main.buf"));
  const auto result = RunCli(cwd, {"process"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("no stops today"), std::string::npos);
  EXPECT_NE(result.err.find("left whole for the next run"), std::string::npos);
  EXPECT_EQ(test::RowsIn(cwd), "");
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir.File("a"))) {
    ++files;
    EXPECT_EQ(test::ReadFile(entry.path().string()),
              test::ReadFile(test::DataFile("worked_sequence.buf")));
  }
  EXPECT_EQ(files, 1u);
}

}  // namespace
}  // namespace vornal
