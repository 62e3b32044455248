#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "cli/cli_test_util.h"
#include "intake/intake_test_util.h"
#include "store/people.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

std::string Rows(const std::string& dbPath) {
  Database db;
  db.Open(dbPath);
  return test::DumpRows(db);
}

TEST(CliFolders, SetListClearAndWarnOfMissingFolders) {
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

  // A folder that does not exist here may be another machine's of the site.
  result = RunCli(cwd, {"folders", "set", "4", "nowhere"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.err.find("warning: folder 'nowhere' does not exist here"), std::string::npos)
      << result.err;

  result = RunCli(cwd, {"folders"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find(" 3  " + dir.File("ivanov") + "\n"), std::string::npos);
  EXPECT_NE(result.out.find(" 4  " + dir.File("nowhere") + "  (folder does not exist)\n"),
            std::string::npos)
      << result.out;
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

// Two sites on one database, each collector with its own folders, at the
// same time: each collects only its site's; status and sites show both.
TEST(CliSites, TwoSitesCollectTheirOwnFoldersAtOnce) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  const std::vector<std::pair<std::string, std::string>> folders = {
      {"north", "n1"}, {"north", "n2"}, {"south", "s1"}};
  for (const auto& [site, name] : folders) {
    fs::create_directory(dir.File(name));
    ASSERT_EQ(RunCli(cwd, {"--site", site, "folders", "add", dir.File(name)}).exitCode, 0);
    test::WriteFile(
        dir.File(name + "/main.buf"),
        "2002|10|7|9|0|0|" + name + "|StartWDay|\r\n2002|10|7|17|0|0|" + name + "|StopWDay|\r\n");
  }
  EXPECT_EQ(RunCli(cwd, {"--site", "NORTH", "folders"}).out,
            RunCli(cwd, {"--site", "north", "folders"}).out);
  EXPECT_NE(RunCli(cwd, {"--site", "south", "folders"}).out.find(" 1  " + dir.File("s1") + "\n"),
            std::string::npos);

  // Each run in a folder of its own, so that their outputs stay apart.
  test::TempDir northRun, southRun;
  const auto start = [&](const test::TempDir& run, const char* site) {
    fs::create_directory(run.Path());
    return test::StartProgram(run.Path().string(), "/usr/bin/env",
                              {"VORNAL_DB=" + test::DatabaseIn(cwd), VORNAL_CLI, "--site", site,
                               "process", "--quiet-period", "0"});
  };
  const pid_t north = start(northRun, "north");
  const pid_t south = start(southRun, "south");
  const auto northDone = test::WaitCli(northRun.Path().string(), north);
  const auto southDone = test::WaitCli(southRun.Path().string(), south);
  ASSERT_EQ(northDone.exitCode, 0) << northDone.err;
  ASSERT_EQ(southDone.exitCode, 0) << southDone.err;
  EXPECT_NE(northDone.out.find("Path1 " + dir.File("n1") + ": 1 file, 2 events"), std::string::npos)
      << northDone.out;
  EXPECT_NE(northDone.out.find("Path2 " + dir.File("n2") + ": 1 file, 2 events"),
            std::string::npos);
  EXPECT_EQ(northDone.out.find(dir.File("s1")), std::string::npos);
  EXPECT_NE(southDone.out.find("Path1 " + dir.File("s1") + ": 1 file, 2 events"), std::string::npos)
      << southDone.out;
  EXPECT_EQ(southDone.out.find(dir.File("n1")), std::string::npos);
  for (const auto& [site, name] : folders) EXPECT_TRUE(fs::is_empty(dir.File(name))) << name;
  std::istringstream rows(test::RowsIn(cwd));
  std::set<std::string> lines;
  for (std::string line; std::getline(rows, line);) lines.insert(line);
  EXPECT_EQ(lines, (std::set<std::string>{"n1|StopWDay|2002-10-07 09:00:00|2002-10-07 17:00:00",
                                          "n2|StopWDay|2002-10-07 09:00:00|2002-10-07 17:00:00",
                                          "s1|StopWDay|2002-10-07 09:00:00|2002-10-07 17:00:00"}));

  const auto sites = RunCli(cwd, {"--site", "south", "sites"});
  EXPECT_NE(sites.out.find("north  2 folders, collected "), std::string::npos) << sites.out;
  EXPECT_NE(sites.out.find("(default)\n"), std::string::npos) << sites.out;
  EXPECT_NE(sites.out.find("south  1 folder, collected "), std::string::npos);
  EXPECT_NE(sites.out.find("(this site)\n"), std::string::npos);
  const auto status = RunCli(cwd, {"--site", "south", "status", "--folders"});
  EXPECT_NE(status.out.find("Folders of site north\n"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("Folders of site south (this site)\n"), std::string::npos);
  EXPECT_NE(status.out.find(dir.File("n2")), std::string::npos);
  const auto csv = RunCli(cwd, {"--site", "south", "status", "--folders", "--csv"});
  EXPECT_NE(csv.out.find(",Note,Site\r\n"), std::string::npos) << csv.out;
  EXPECT_NE(csv.out.find(",1,2,0,0,0,,south\r\n"), std::string::npos) << csv.out;
  EXPECT_EQ(RunCli(cwd, {"--site", "no site", "folders"}).exitCode, 2);
}

// Desks adding and setting slots at the same time lose none of them: each
// add takes a slot of its own, each set changes only its slot.
TEST(CliSites, SlotsAddedAndSetAtOnceAllStay) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  ASSERT_EQ(RunCli(cwd, {"folders"}).exitCode, 0);
  std::vector<std::pair<pid_t, std::string>> runs;
  for (int i = 0; i < 6; ++i) {
    const std::string run = cwd + "/run" + std::to_string(i);
    fs::create_directory(run);
    const std::string folder = dir.File("f" + std::to_string(i));
    fs::create_directory(folder);
    const std::vector<std::string> args =
        i % 2 ? std::vector<std::string>{"folders", "add", folder}
              : std::vector<std::string>{"folders", "set", std::to_string(20 + i), folder};
    runs.emplace_back(
        test::StartProgram(
            run, "/usr/bin/env",
            [&] {
              std::vector<std::string> all{"VORNAL_DB=" + test::DatabaseIn(cwd), VORNAL_CLI};
              all.insert(all.end(), args.begin(), args.end());
              return all;
            }()),
        run);
  }
  std::set<std::string> printed;
  for (const auto& [pid, run] : runs) {
    const auto done = test::WaitCli(run, pid);
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_TRUE(printed.insert(done.out.substr(0, done.out.find(':'))).second) << done.out;
  }
  const std::string list = RunCli(cwd, {"folders"}).out;
  for (int i = 0; i < 6; ++i)
    EXPECT_NE(list.find(dir.File("f" + std::to_string(i)) + "\n"), std::string::npos) << list;
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

// A small office: petrov at work since his night shift began, ivanov gone
// home, kostin's client silent since 17:28 (more than five minutes before
// the latest event), sidorov never seen; two folders of a pattern and a
// slot that names none.
TEST(CliStatus, PeopleAtWorkOrLastSeenAndEachFolder) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  for (const char* name : {"a", "b"}) {
    fs::create_directories(dir.File(std::string("office/") + name));
    fs::copy_file(test::DataFile(std::string("office_") + name + ".buf"),
                  dir.File(std::string("office/") + name + "/main.buf"));
  }
  fs::create_directory(dir.File("gone"));
  ASSERT_EQ(RunCli(cwd, {"folders", "set", "1", "office/*"}).exitCode, 0);
  ASSERT_EQ(RunCli(cwd, {"folders", "add", "gone"}).exitCode, 0);
  fs::remove(dir.File("gone"));
  {
    Database db;
    db.Open(test::DatabaseIn(cwd));
    for (const char* login : {"PETROV", "ivanov", "kostin", "sidorov"})
      InsertPerson(db, {std::string("Person ") + login, "", "", "", login, "", ""});
  }
  const auto before = RunCli(cwd, {"status", "--folders", "--csv"});
  EXPECT_NE(before.out.find("1," + dir.File("office/a") + ",,,,,,,\r\n"), std::string::npos)
      << before.out;
  ASSERT_EQ(RunCli(cwd, {"process"}).exitCode, 0);

  const auto people = RunCli(cwd, {"status", "--people", "--csv"});
  EXPECT_EQ(people.exitCode, 0);
  EXPECT_EQ(people.out,
            "ID,Name,Login,State,Time\r\n"
            "1,Person PETROV,PETROV,at-work,2002-10-06 22:00:00\r\n"
            "2,Person ivanov,ivanov,away,2002-10-07 17:02:00\r\n"
            "3,Person kostin,kostin,away,2002-10-07 17:28:00\r\n"
            "4,Person sidorov,sidorov,unknown,\r\n");
  const auto text = RunCli(cwd, {"status"});
  EXPECT_NE(text.out.find("People (latest event collected: 2002-10-07 18:03)\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("PETROV   at work since 2002-10-06 22:00\n"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("  Path2 " + dir.File("gone") + ": folder does not exist, skipped\n"),
            std::string::npos);

  const auto folders = RunCli(cwd, {"status", "--folders", "--csv"});
  const auto lines = [&folders] {
    std::vector<std::string> out;
    std::istringstream in(folders.out);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }();
  ASSERT_EQ(lines.size(), 4u) << folders.out;
  // Slot, folder, when, files, events, kept aside, waiting, not collected.
  EXPECT_EQ(lines[1].substr(0, 2 + dir.File("office/a").size() + 1),
            "1," + dir.File("office/a") + ",");
  EXPECT_EQ(lines[1].substr(lines[1].size() - 14), ",1,302,0,0,0,\r");
  EXPECT_EQ(lines[2].substr(lines[2].size() - 14), ",1,265,1,0,0,\r");
  EXPECT_EQ(lines[3], "2," + dir.File("gone") + ",,,,,,,\"Path2 " + dir.File("gone") +
                          ": folder does not exist, skipped\"\r");
}

}  // namespace
}  // namespace vornal
