// vornal-cli process on careless or hostile folders, and the commands
// around it: nothing hangs, nothing outside a folder is read, nothing is
// dropped silently, nothing printed steers the terminal.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_util.h"
#include "stats/stats_test_util.h"
#include "store/people.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

constexpr int kTimeout = 60;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A FIFO, a link to a file outside, a folder and a read-only file, each named
// main.buf, are left in place with a note; the folders after them are still
// collected, and the run says it was partial.
TEST(CliHostile, OnlyRegularWritableFilesAreTaken) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  const std::string good = "2002|10|7|9|0|0|petrov|StartWDay|\n";
  test::MakeOffice(cwd, {"", "", "", "", good});
  const auto path = [&](int i) { return cwd + "/w" + std::to_string(i) + "/main.buf"; };
  for (int i = 0; i < 4; ++i) fs::remove(path(i));
  ASSERT_EQ(::mkfifo(path(0).c_str(), 0666), 0);
  test::WriteFile(cwd + "/outside.txt", "2002|10|7|9|0|0|outsider|StartWDay|\n");
  fs::create_symlink(cwd + "/outside.txt", path(1));
  fs::create_directory(path(2));
  test::WriteFile(path(3), good);
  ::chmod(path(3).c_str(), 0444);

  const auto run = test::WaitCliWithin(cwd, test::StartCli(cwd, {"process"}), kTimeout);
  ASSERT_NE(run.exitCode, -1000) << "process hung";
  EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "w0/main.buf: a FIFO, not a regular file; left in place")) << run.out;
  EXPECT_TRUE(Has(run.out, "w1/main.buf: a symbolic link, not a regular file")) << run.out;
  EXPECT_TRUE(Has(run.out, "w2/main.buf: a folder, not a regular file")) << run.out;
  EXPECT_TRUE(Has(run.out, "w3/main.buf: has no write permission")) << run.out;
  EXPECT_TRUE(Has(run.out, "4 files not collected")) << run.out;
  EXPECT_EQ(test::RowsIn(cwd), "petrov|StartWDay|2002-10-07 09:00:00|2002-10-07 09:00:00\n");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(fs::exists(fs::symlink_status(path(i)))) << i;
  EXPECT_TRUE(fs::is_empty(cwd + "/w4"));
  EXPECT_EQ(test::ReadFile(cwd + "/outside.txt"), "2002|10|7|9|0|0|outsider|StartWDay|\n");
}

// CR alone ends a line; a second event glued after the eighth "|", the bytes
// after a 0x1A and bad lines are kept aside and counted, never dropped; a
// retry applies what now parses exactly once, and a time out of range once
// accepted; clear forgets.
TEST(CliHostile, NothingIsDroppedSilently) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  test::MakeOffice(cwd, {"2002|10|7|9|0|0|petrov|StartWDay|\r"
                         "2002|10|7|9|3|0|petrov|WorkingDay|2002|10|7|9|4|0|petrov|WorkingDay|\r"
                         "2002|10|7|9|5|0|petrov|Lunch|\r\r"
                         "2002|10|7|9|6|0|esc\x1B[31m|StartWork|\r"
                         "2002|10|7|9|6|30|n" +
                         std::string(1, '\0') +
                         "ul|StartWork|\r"
                         "2099|1|1|9|0|0|far|StartWDay|\r"
                         "2002|10|7|9|7|0|petrov|StopWDay|\x1A"
                         "2002|10|7|9|8|0|sidorov|StartWDay|\r\n"});
  auto run = RunCli(cwd, {"process"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Has(run.out,
                  ": 1 file, 3 events applied, 7 lines skipped (1 blank line, 1 unknown "
                  "or missing event name, 2 control character in the login, 1 after "
                  "an end-of-file mark (0x1A), 1 second event on a line, 1 time out of range)"))
      << run.out;
  EXPECT_TRUE(Has(run.out, "6 kept aside")) << run.out;
  EXPECT_EQ(test::RowsIn(cwd), "petrov|StopWDay|2002-10-07 09:00:00|2002-10-07 09:07:00\n");

  run = RunCli(cwd, {"rejected"});
  EXPECT_TRUE(Has(run.out, ":2  second event on a line\n    2002|10|7|9|4|0|petrov|WorkingDay|\n"))
      << run.out;
  EXPECT_TRUE(Has(run.out, "esc\\x1B[31m|StartWork|")) << run.out;
  EXPECT_FALSE(Has(run.out, "\x1B")) << "raw ESC printed";
  EXPECT_TRUE(Has(run.out, "6 lines kept aside.")) << run.out;
  run = RunCli(cwd, {"rejected", "--csv"});
  EXPECT_EQ(run.out.rfind("ID,CollectedAt,Folder,File,Line,Reason,Length,Text\r\n", 0), 0u);
  EXPECT_TRUE(Has(run.out, ",9,after-end-mark,34,2002|10|7|9|8|0|sidorov|StartWDay|\r\n"))
      << run.out;

  // The glued event and the one after the mark parse: applied once, gone.
  // A NUL, which a server stores as another control character, stays kept.
  run = RunCli(cwd, {"rejected", "--retry"});
  EXPECT_EQ(run.out, "2 lines applied, 4 still kept aside.\n");
  EXPECT_EQ(RunCli(cwd, {"rejected", "--retry"}).out, "0 lines applied, 4 still kept aside.\n");
  EXPECT_EQ(RunCli(cwd, {"rejected", "--retry", "--accept", "2099-01-01"}).out,
            "1 line applied, 3 still kept aside.\n");
  EXPECT_EQ(test::RowsIn(cwd),
            "petrov|StopWDay|2002-10-07 09:00:00|2002-10-07 09:07:00\n"
            "sidorov|StartWDay|2002-10-07 09:08:00|2002-10-07 09:08:00\n"
            "far|StartWDay|2099-01-01 09:00:00|2099-01-01 09:00:00\n");
  EXPECT_EQ(RunCli(cwd, {"rejected", "--retry", "--accept", "2099-01-02..2099-01-01"}).exitCode, 2);
  EXPECT_EQ(RunCli(cwd, {"rejected", "--clear", "--before", "2000-01-01"}).out,
            "0 lines forgotten.\n");
  EXPECT_EQ(RunCli(cwd, {"rejected", "--clear"}).out, "3 lines forgotten.\n");
  EXPECT_EQ(RunCli(cwd, {"rejected"}).out, "No line is kept aside.\n");
  EXPECT_EQ(RunCli(cwd, {"rejected", "--before", "x"}).exitCode, 2);
}

// Logins compare with full case folding everywhere: the stop of one spelling
// closes the day of another, and statistics find either spelling.
TEST(CliHostile, LoginsCompareWithFullCaseFolding) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  test::MakeOffice(cwd, {"\xEF\xBB\xBF"
                         "2002|10|7|9|0|0|Иванов|StartWDay|\n"
                         "2002|10|7|10|0|0|ИВАНОВ|StopWDay|\n"
                         "2002|10|7|9|0|0|Straße|StartWork|\n"
                         "2002|10|7|9|1|0|STRASSE|StopWork|\n"});
  ASSERT_EQ(RunCli(cwd, {"process"}).exitCode, 0);
  EXPECT_EQ(test::RowsIn(cwd),
            "Иванов|StopWDay|2002-10-07 09:00:00|2002-10-07 10:00:00\n"
            "Straße|StopWork|2002-10-07 09:00:00|2002-10-07 09:01:00\n");
  const auto stats = RunCli(cwd, {"stats", "--login", "иванов", "--year", "2002", "--csv"});
  EXPECT_TRUE(Has(stats.out, "Закончен рабочий день")) << stats.out;
  EXPECT_TRUE(Has(RunCli(cwd, {"tree", "--login", "strasse"}).out, "October"));
  {
    Database db;
    db.Open(test::DatabaseIn(cwd));
    db.Execute("INSERT INTO HUMAN (Name, Login) VALUES (?, ?)", "Ива\r\x1B[2Kнов", "ivanov");
  }
  EXPECT_EQ(RunCli(cwd, {"people"}).out, "1. Ива\\x0D\\x1B[2Kнов (ivanov)\n");
}

// Characters that reorder or hide text (a right-to-left override, isolates,
// a zero-width space, a line separator) show as escapes in every listing,
// CSV and PDF; a cell that a spreadsheet would trim into a formula is
// guarded.
TEST(CliHostile, ReorderingAndInvisibleCharactersShowAsEscapes) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  const std::string login = "x\u2066y";
  {
    const DatabasePtr db = test::MakeDatabase(test::DatabaseIn(cwd));
    InsertPerson(*db, {"Evil\u202Egnp.exe\u200B\u2028", "", "", "", login, "", ""});
    test::AddLog(*db, login, "StopWDay", "2024-03-04 09:00:00", "2024-03-04 10:00:00");
    test::AddLog(*db, " =HYPERLINK(\"http://x\")", "StopWDay", "2024-03-05 09:00:00",
                 "2024-03-05 10:00:00");
  }
  const std::vector<std::vector<std::string>> commands{
      {"people"},
      {"status", "--people"},
      {"stats", "--year", "2024"},
      {"stats", "--year", "2024", "--csv"},
      {"timesheet", "--year", "2024", "--month", "3"},
      {"timesheet", "--year", "2024", "--month", "3", "--csv"}};
  for (const auto& command : commands) {
    SCOPED_TRACE(command.size() > 3 ? command[0] + " " + command.back() : command[0]);
    const auto run = RunCli(cwd, command);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* hidden : {"\u202E", "\u2066", "\u200B", "\u2028"})
      EXPECT_FALSE(Has(run.out, hidden)) << run.out;
    EXPECT_TRUE(Has(run.out, "x\\u2066y")) << run.out;
  }
  EXPECT_TRUE(Has(RunCli(cwd, {"people"}).out, "Evil\\u202Egnp.exe\\u200B\\u2028 ("));
  EXPECT_TRUE(Has(RunCli(cwd, {"stats", "--year", "2024", "--csv"}).out,
                  ",\"'  =HYPERLINK(\"\"http://x\"\")\"\r\n"));
#ifdef VORNAL_PDF
  const auto pdf = RunCli(cwd, {"sheets", "--year", "2024", "--month", "3", "--pdf", "s.pdf",
                                "--title", "Bank\u202ElivE"});
  ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
  const std::string text = test::RunProgram(cwd, "pdftotext", {"s.pdf", "-"}).out;
  EXPECT_TRUE(Has(text, "Bank\\u202ElivE")) << text;
  EXPECT_TRUE(Has(text, "Логин: x\\u2066y")) << text;
  EXPECT_FALSE(Has(text, "\u202E")) << text;
#endif
}

// Slot rows with an empty, blank or NULL value are free slots; database
// names that keep nothing are refused.
TEST(CliHostile, OddSlotRowsAndDatabaseNames) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  fs::create_directory(dir.File("w"));
  ASSERT_EQ(RunCli(cwd, {"folders"}).exitCode, 0);
  {
    Database db;
    db.Open(test::DatabaseIn(cwd));
    db.ExecuteScript(
        "INSERT INTO SETTING (Key, Val) VALUES ('Path1', ''), ('Path2', '   '), "
        "('Path3', NULL)");
  }
  auto run = RunCli(cwd, {"folders"});
  EXPECT_TRUE(Has(run.out, " 1  (free)\n 2  (free)\n 3  (free)\n")) << run.out;
  EXPECT_EQ(RunCli(cwd, {"folders", "set", "2", "w"}).exitCode, 0);
  EXPECT_EQ(RunCli(cwd, {"folders", "clear", "3"}).exitCode, 0);
  EXPECT_TRUE(Has(RunCli(cwd, {"folders"}).out, " 2  " + dir.File("w") + "\n"));
  EXPECT_EQ(RunCli(cwd, {"process"}).exitCode, 0);

  for (const char* name : {"", ":memory:", "file:x.mdb?mode=memory"}) {
    run = RunCli(cwd, {"--db", name, "folders"});
    EXPECT_EQ(run.exitCode, 2) << name;
    EXPECT_TRUE(Has(run.err, "no database file name")) << run.err;
  }
  EXPECT_FALSE(fs::exists(dir.File("x.mdb")));
}

// A later folder's engine error leaves what earlier folders applied printed
// and applied, and the exit code says the run was partial.
TEST(CliHostile, FailureInALaterFolderIsAPartialRun) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  test::MakeOffice(cwd,
                   {"2002|10|7|9|0|0|petrov|StartWDay|\n", "2002|10|7|9|0|0|boom|StartWDay|\n"});
  {
    Database db;
    db.Open(test::DatabaseIn(cwd));
    test::RefuseRows(db, "logs", "NEW.Login = 'boom'", "refused");
  }
  const auto run = RunCli(cwd, {"process"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_TRUE(Has(run.out, "Path1 " + cwd + "/w0: 1 file, 1 event applied")) << run.out;
  EXPECT_TRUE(Has(run.err, "refused")) << run.err;
  EXPECT_TRUE(Has(run.err, "1 events were applied before")) << run.err;
  EXPECT_EQ(test::RowsIn(cwd), "petrov|StartWDay|2002-10-07 09:00:00|2002-10-07 09:00:00\n");
}

}  // namespace
}  // namespace vornal
